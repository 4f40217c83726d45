#include "presentation/ui/alarmanzeigen.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

#include "presentation/alarmanzeige.h"
#include "presentation/ui/alarmanzeigefenster.h"

namespace hestrel {

Alarmanzeigen::Alarmanzeigen(Alarmanzeige& modell, Fensterstapel& stapel) : m_modell(modell), m_stapel(stapel)
{
    // The primary screen first; a session without any screen still has one window.
    std::vector<QScreen*> schirme{QGuiApplication::primaryScreen()};
    for (QScreen* s : QGuiApplication::screens()) {
        if (s != schirme.front()) {
            schirme.push_back(s);
        }
    }
    for (QScreen* s : schirme) {
        hinzufuegen(s);
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
        hinzufuegen(s);
        if (m_modell.existiert() && m_modell.sichtbar()) {
            m_fenster.back()->vorholen();
        }
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &Alarmanzeigen::entfernen);

    m_modell.geaendert = [this] {
        for (auto& f : m_fenster) {
            f->aktualisieren();
        }
    };
    m_modell.vorholen = [this] {
        for (auto& f : m_fenster) {
            f->vorholen();
        }
    };
    // Full-screen mode takes its size and font from the primary screen.
    m_modell.bildschirm = [] {
        Bildschirm b;
        if (const QScreen* s = QGuiApplication::primaryScreen()) {
            b.breite_px = s->geometry().width();
            b.hoehe_px = s->geometry().height();
            b.twips_pro_pixel_x = std::max(1, qRound(1440.0 / s->logicalDotsPerInchX()));
            b.twips_pro_pixel_y = std::max(1, qRound(1440.0 / s->logicalDotsPerInchY()));
        }
        return b;
    };
}

Alarmanzeigen::~Alarmanzeigen()
{
    m_modell.geaendert = nullptr;
    m_modell.vorholen = nullptr;
    m_modell.bildschirm = nullptr;
}

AlarmanzeigeFenster& Alarmanzeigen::haupt()
{
    for (auto& f : m_fenster) {
        if (f->schirm() == QGuiApplication::primaryScreen()) {
            return *f;
        }
    }
    return *m_fenster.front();
}

void Alarmanzeigen::hinzufuegen(QScreen* schirm)
{
    m_fenster.push_back(std::make_unique<AlarmanzeigeFenster>(m_modell, schirm, m_stapel));
}

void Alarmanzeigen::entfernen(QScreen* schirm)
{
    // The last window stays, whatever screen the desktop offers next.
    if (m_fenster.size() <= 1) {
        return;
    }
    std::erase_if(m_fenster, [schirm](const auto& f) { return f->schirm() == schirm; });
}

} // namespace hestrel
