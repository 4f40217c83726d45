#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/fehler.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "einstellungen/einstellungen.h"

namespace hestrel {

class Prozessstarter;

// The screen the alarm window is shown on.
struct Bildschirm {
    int breite_px = 1920;
    int hoehe_px = 1080;
    int twips_pro_pixel_x = 15;
    int twips_pro_pixel_y = 15;
};

// Where a pressed "Ich komme" (or "Empfangen" for a test alarm) goes: to the
// directory the alarm came from. nummer names the alarm shown (alarmnummer()).
class Antwortweg {
  public:
    virtual ~Antwortweg() = default;
    virtual void antworten(int nummer) = 0;
};

// A test alarm's text begins with this (an en dash), so that older receivers,
// which show every alarm as a real one, mislead nobody. Hestrel shows an alarm
// as a test only when its origin record says so, never by the text alone.
inline constexpr std::string_view k_probevorsatz = "PROBEALARM – ";
inline bool ist_probealarm(std::string_view text)
{
    return text.starts_with(k_probevorsatz);
}

// The test alarm's colours (0x00BBGGRR): a blue that is not the alarm's red.
inline constexpr int k_probeblau = 0xAA4600;

// The alarm window: the topmost, red and white blinking window with the text
// of a received alarm. This is its state and its logic; the view draws it.
class Alarmanzeige {
  public:
    enum class Fensterzustand { normal, maximiert };
    // The window's outer width, frame included, as it is created; its client
    // area is designed 5250 x 3060 twips.
    static constexpr int k_aussenbreite_twips = 5500;
    static constexpr int k_innenhoehe_twips = 3060;

    Alarmanzeige(const Einstellungen& einstellungen, Logbuch& log, Meldungsdienst& boxen,
                 Scheduler& scheduler, Prozessstarter* prozesse);
    Alarmanzeige(const Alarmanzeige&) = delete;
    Alarmanzeige& operator=(const Alarmanzeige&) = delete;

    // Shows anztext; port and statuscom are passed by the caller but change nothing.
    // probe: a test alarm, as its verified origin record says; never judged by the text.
    void alarm_zeigen(const std::string& anztext, const std::string& port, const std::string& statuscom,
                      bool probe = false);
    // Hides the window and keeps it, with its timer, for the next alarm.
    void verbergen();
    // "schließen".
    void schliessen_geklickt() { verbergen(); }
    // Closing through the title bar destroys the window, its timer included.
    void schliessen();
    void blinken();
    // What is known of the alarm shown, nummer naming it; for an earlier alarm nothing changes.
    // The origin line ("Gruppe 3 · Empfang-2 · 10:32:05"): its sender reads responses.
    void herkunft_setzen(int nummer, const std::string& zeile);
    // "n kommen bereits: …", or "" while nobody else answered.
    void kommende_setzen(int nummer, const std::string& zeile);
    // "Ich komme" / "Empfangen": the colour stays, the answer goes its way.
    void antwort_geklickt();
    // The answer could not be written: the window blinks again and says so.
    void antwort_misslungen(int nummer, const std::string& grund);
    void antwortweg_setzen(Antwortweg* weg) { m_antwortweg = weg; }
    // The view reports the window's outer width when the user changes it.
    void aussenbreite_setzen(int twips);

    bool existiert() const { return m_existiert; }
    bool sichtbar() const { return m_sichtbar; }
    bool oben() const { return m_oben; }
    // True after a full-screen alarm placed the window over the screen at (0, 0).
    bool vollbild_platziert() const { return m_vollbild_platziert; }
    int breite_px() const { return m_breite_px; }
    int hoehe_px() const { return m_hoehe_px; }
    int aussenbreite_twips() const { return m_aussenbreite_twips; }
    Fensterzustand fensterzustand() const { return m_zustand; }
    int hintergrundfarbe() const { return m_farbe; }
    // The text's colour on the current background.
    int vordergrundfarbe() const;
    // The colour the window blinks from and stays in once answered.
    int hauptfarbe() const { return m_probe ? k_probeblau : k_rot; }
    // Counts the alarms shown, so that what comes later for one finds it.
    int alarmnummer() const { return m_alarmnummer; }
    // The alarm shown is a test alarm (its origin record says so).
    bool probealarm() const { return m_probe; }
    const std::string& herkunftszeile() const { return m_herkunft; }
    // The button is there while the alarm's sender reads answers and none was given.
    bool antwort_moeglich() const { return !m_herkunft.empty() && !m_geantwortet; }
    bool geantwortet() const { return m_geantwortet; }
    std::string antwortknopf() const { return m_probe ? "Empfangen" : "Ich komme"; }
    // Who else is coming, or why the answer failed.
    const std::string& rueckmeldezeile() const { return m_rueckmeldung; }
    double schriftgroesse() const { return m_schriftgroesse; }
    const std::string& alarmtext() const { return m_alarmtext; }
    const std::string& caption() const { return m_caption; }
    // Counts the creations, so that the view places a new window in the middle.
    int erzeugungen() const { return m_erzeugungen; }
    Zeitgeber& hintergrund() { return *m_hintergrund; }

    // The view refreshes on every change.
    std::function<void()> geaendert;
    // The view raises the window above all others and gives it the focus.
    std::function<void()> vorholen;
    // The screen in use; a 1920 x 1080 screen at 96 dpi when unset.
    std::function<Bildschirm()> bildschirm;

  private:
    void erzeugen();
    void melden();
    void fehler_melden(const Fehler& f);
    Fehler gesperrt_melden(const std::string& anztext);

    const Einstellungen& m_e;
    Logbuch& m_log;
    Meldungsdienst& m_boxen;
    Prozessstarter* m_prozesse;
    std::unique_ptr<Zeitgeber> m_hintergrund;
    bool m_existiert = false;
    bool m_sichtbar = false;
    bool m_oben = false;
    bool m_vollbild_platziert = false;
    int m_breite_px = 0;
    int m_hoehe_px = 0;
    int m_aussenbreite_twips = 5500;
    Fensterzustand m_zustand = Fensterzustand::normal;
    int m_farbe = 0;
    double m_schriftgroesse = 11.25;
    std::string m_alarmtext;
    std::string m_caption;
    int m_erzeugungen = 0;
    int m_alarmnummer = 0;
    bool m_probe = false;
    bool m_geantwortet = false;
    std::string m_herkunft;
    std::string m_rueckmeldung;
    Antwortweg* m_antwortweg = nullptr;
};

} // namespace hestrel
