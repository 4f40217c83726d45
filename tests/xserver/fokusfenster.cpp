// A small window of another program that holds the keyboard focus while the
// X server test types into it: fokusfenster FILE writes every change of its
// text into FILE.
#include <QApplication>
#include <QFile>
#include <QLineEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString datei = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QLineEdit zeile;
    zeile.setWindowTitle(QStringLiteral("Fokusfenster"));
    zeile.setGeometry(600, 500, 300, 40);
    QObject::connect(&zeile, &QLineEdit::textChanged, [&datei](const QString& text) {
        QFile f(datei);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            f.write(text.toUtf8());
        }
    });
    zeile.show();
    zeile.activateWindow();
    return QApplication::exec();
}
