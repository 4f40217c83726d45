#include <cstdio>
#include <cstdlib>

#include <QApplication>

#include "app/programm.h"
#include "core/freigabedienst.h"
#include "platform/uebersetzung.h"

int main(int argc, char* argv[])
{
    const bool ohne_anzeige =
        !std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    if (ohne_anzeige) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::fputs("hestrel: no display found, running with QT_QPA_PLATFORM=offscreen\n", stderr);
    } else if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY") && std::getenv("DISPLAY")) {
        // Through XWayland a window may stay on top of all others; the alarm window must.
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hestrel"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!hestrel::qt_deutsch_laden(app)) {
        std::fputs("hestrel: Qt's German texts (qtbase_de) not found; standard dialogs speak English\n",
                   stderr);
    }

    int code = 0;
    {
        hestrel::Programm programm;
        programm.starten();
        code = QApplication::exec();
    }
    // A share that never answers holds a worker thread in the kernel; nothing
    // may wait for it on the way out (no clean-up handler, no leak check).
    if (hestrel::FaedenFreigabedienst::haengt_noch()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
