#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "platform/ressourcen.h"
#include "platform/uebersetzung.h"

int main(int argc, char** argv)
{
    const char* plattform = std::getenv("QT_QPA_PLATFORM");
    const QString datei = QDir::temp().filePath(
        QStringLiteral("hestrel-widgettest-schirm-%1.json").arg(static_cast<long>(::getpid())));
    if (!plattform || std::strcmp(plattform, "offscreen") == 0) {
        // A screen of 1920 x 1080 at 96 dpi, as on the workstations; tests of
        // smaller screens pass their screen in.
        QFile f(datei);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            f.write(R"({"screens":[{"name":"Schirm","x":0,"y":0,"width":1920,"height":1080,)"
                    R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1})");
#ifdef HESTREL_ZWEITER_SCHIRM
            // A second, smaller screen to the right, as on a desk with two monitors.
            f.write(R"(,{"name":"Zweiter","x":1920,"y":0,"width":1280,"height":1024,)"
                    R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1})");
#endif
            f.write("]}");
            f.close();
            setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + datei.toStdString()).c_str(), 1);
        } else {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
    }
    QApplication app(argc, argv);
    QFile::remove(datei);
    hestrel::ressourcen_laden();
    hestrel::qt_deutsch_laden(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
