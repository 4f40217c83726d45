#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QTableView;

namespace hestrel {

class Journalmodell;
class Meldeliste;

// The message list window: a view over the message list's state.
class MeldelisteFenster : public QWidget {
    Q_OBJECT
  public:
    explicit MeldelisteFenster(Meldeliste& liste, QWidget* parent = nullptr);
    ~MeldelisteFenster() override;

    // Brings every control in line with the state and shows or hides the window.
    void aktualisieren();
    // Fits the window to the free area of a screen: the designed size where it
    // fits, otherwise as large as the area, the controls reached by scrolling.
    void einpassen(const QRect& frei);
    // The program's menu, the notification area's items, on a button of the
    // window, for desktops without a notification area. infobereich tells
    // whether the icon is there: while it is not, closing the window minimises
    // it, so that the program stays within reach.
    void programmmenue_setzen(QMenu* menue, std::function<bool()> infobereich);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* objekt, QEvent* event) override;

  private:
    void anwesende_zeigen(std::size_t i, int anzahl);
    void gruppenname_zeigen(std::size_t i, const QString& name, const QString& hinweis);

    Meldeliste& m_liste;
    QScrollArea* m_flaeche = nullptr;
    QWidget* m_inhalt = nullptr;
    Journalmodell* m_journal = nullptr;
    QLabel* m_produkttitel = nullptr;
    QLabel* m_version = nullptr;
    QTableView* m_listmeldungen = nullptr;
    std::array<QLineEdit*, 4> m_sntext{};
    std::array<QPushButton*, 50> m_rel_stat{};
    std::array<QLabel*, 50> m_gruppe_status{};
    // The count of colleagues ready to receive, a small mark at the name's right end.
    std::array<QLabel*, 50> m_anwesend{};
    std::array<QCheckBox*, 50> m_melde_gruppen{};
    QCheckBox* m_melde_alle = nullptr;
    QCheckBox* m_ein1 = nullptr;
    QCheckBox* m_ein2 = nullptr;
    std::array<int, 50> m_farbe{};
    std::uint64_t m_gezeigt = 0;
    std::uint64_t m_gewuenscht = 0;
    bool m_schliesst = false;
    QPushButton* m_programm = nullptr;
    std::function<bool()> m_infobereich;
};

} // namespace hestrel
