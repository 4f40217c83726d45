#include "platform/fensterbau.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>

namespace hestrel {

QFont arial(double punkte, bool fett, bool kursiv)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(punkte);
    f.setBold(fett);
    f.setItalic(kursiv);
    return f;
}

namespace {

constexpr const char* k_oben = "hestrel_oben_halten";

} // namespace

void nach_vorne(QWidget* fenster)
{
    // Shown by the program, never activated: the keyboard stays where the person types.
    fenster->setAttribute(Qt::WA_ShowWithoutActivating);
    fenster->show();
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return;
    }
    fenster->raise();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != fenster && w->isVisible() && w->property(k_oben).toBool()) {
            w->raise();
        }
    }
}

void oben_halten(QWidget* fenster)
{
    fenster->setProperty(k_oben, true);
}

void nur_mit_maus(QWidget* knopf)
{
    knopf->setFocusPolicy(Qt::NoFocus);
    if (auto* p = qobject_cast<QPushButton*>(knopf)) {
        p->setAutoDefault(false);
        p->setDefault(false);
    }
}

} // namespace hestrel
