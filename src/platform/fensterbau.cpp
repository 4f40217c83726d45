#include "platform/fensterbau.h"

#include <QGuiApplication>

namespace hestrel {

QFont arial(double punkte, bool fett, bool kursiv)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(punkte);
    f.setBold(fett);
    f.setItalic(kursiv);
    return f;
}

void nach_vorne(QWidget* fenster)
{
    fenster->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        fenster->raise();
        fenster->activateWindow();
    }
}

}  // namespace hestrel
