#include "presentation/ui/alarmtext.h"

#include <algorithm>
#include <climits>

#include <QPaintEvent>
#include <QPainter>

namespace hestrel {
namespace {

constexpr int k_ausrichtung = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

Alarmtext::Alarmtext(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

int Alarmtext::hoehe_fuer(int breite) const
{
    if (breite != m_hoehe_breite || font() != m_hoehe_schrift || text() != m_hoehe_text) {
        m_hoehe_breite = breite;
        m_hoehe_schrift = font();
        m_hoehe_text = text();
        m_hoehe =
            fontMetrics().boundingRect(QRect(0, 0, breite, INT_MAX / 4), k_ausrichtung, text()).height();
    }
    return m_hoehe;
}

void Alarmtext::paintEvent(QPaintEvent* event)
{
    // Only the part inside the window is ever seen; the picture covers that.
    const QRect sichtbar = visibleRegion().boundingRect();
    const int hoehe = std::min(height(), std::max(0, sichtbar.bottom() + 1));
    const QColor farbe = palette().color(QPalette::WindowText);
    if (m_bild_breite != width() || m_bild.height() / std::max(1.0, m_bild.devicePixelRatio()) < hoehe ||
        m_bild_schrift != font() || m_bild_farbe != farbe || m_bild_text != text()) {
        m_bild_breite = width();
        m_bild_schrift = font();
        m_bild_farbe = farbe;
        m_bild_text = text();
        const qreal dpr = devicePixelRatioF();
        m_bild = QPixmap(QSize(std::max(1, width()), std::max(1, hoehe)) * dpr);
        m_bild.setDevicePixelRatio(dpr);
        m_bild.fill(Qt::transparent);
        QPainter p(&m_bild);
        p.setFont(font());
        p.setPen(farbe);
        p.drawText(QRect(0, 0, width(), INT_MAX / 4), k_ausrichtung, text());
        ++m_aufbauten;
    }
    // The background is filled by the widget itself (autoFillBackground).
    QPainter p(this);
    p.setClipRegion(event->region());
    p.drawPixmap(0, 0, m_bild);
}

} // namespace hestrel
