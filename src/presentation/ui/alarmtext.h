#pragma once

#include <QLabel>
#include <QPixmap>

namespace hestrel {

// The alarm window's text: a plain, word-wrapped label that lays its text out
// once per text, font and width. The blinking only changes its background;
// it repaints from a picture of the text, so a text of thousands of lines
// costs no layout twice a second.
class Alarmtext : public QLabel {
  public:
    explicit Alarmtext(QWidget* parent = nullptr);

    // The height the text needs at this width; laid out once per text, font and width.
    int hoehe_fuer(int breite) const;
    // How often the text was laid out into its picture (for tests).
    int aufbauten() const { return m_aufbauten; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap m_bild;
    QString m_bild_text;
    QFont m_bild_schrift;
    QColor m_bild_farbe;
    int m_bild_breite = -1;
    int m_aufbauten = 0;

    mutable QString m_hoehe_text;
    mutable QFont m_hoehe_schrift;
    mutable int m_hoehe_breite = -1;
    mutable int m_hoehe = 0;
};

} // namespace hestrel
