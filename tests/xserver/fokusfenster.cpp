// A small window of another program that holds the keyboard focus while the
// X server test types into it: fokusfenster FILE [TITLE] writes every change
// of its text into FILE. With a title it plays a program the person works in
// (a presentation, say) on the desktops' tests.
#include <QApplication>
#include <QFile>
#include <QLineEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString datei = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QLineEdit zeile;
    zeile.setWindowTitle(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("Fokusfenster"));
    zeile.setGeometry(600, 500, 300, 40);
    if (argc > 2) {
        zeile.setStyleSheet(QStringLiteral("QLineEdit { background: #1d3557; color: white; font: 28pt; }"));
        zeile.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        zeile.setGeometry(100, 100, 1000, 600);
        zeile.setText(zeile.windowTitle());
    }
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
