#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/fehler.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/zusatzeinstellungen.h"

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
// which show every alarm as a real one, mislead nobody; Hestrel knows it by it.
inline constexpr std::string_view k_probevorsatz = "PROBEALARM – ";
inline bool ist_probealarm(std::string_view text)
{
    return text.starts_with(k_probevorsatz);
}

// The test alarm's colours (0x00BBGGRR): a blue that is not the alarm's red.
inline constexpr int k_probeblau = 0xAA4600;

// One alarm in the window: shown until it is closed; answered, it stays, steady.
struct OffenerAlarm {
    // Counts the alarms shown, so that what comes later for one finds it.
    int nummer = 0;
    std::string text;
    // Its text begins "PROBEALARM – ".
    bool probe = false;
    // The origin line ("Gruppe 3 · Empfang-2 · 10:32:05"): its sender reads answers.
    std::string herkunft;
    // Who else is coming, or why the answer failed.
    std::string rueckmeldung;
    bool geantwortet = false;
    std::int64_t seit_ms = 0;

    // The button is there while the alarm's sender reads answers and none was given.
    bool antwort_moeglich() const { return !herkunft.empty() && !geantwortet; }
    std::string antwortknopf() const { return probe ? "Empfangen" : "Ich komme"; }
};

// The alarm window: the topmost, red and white blinking window with the text
// of every received alarm not yet closed. This is its state and its logic;
// the view draws it.
//
// A later alarm never hides an earlier one: each stays with its own origin
// line, its own answer and its own "schließen"; real alarms come first,
// newest first, test alarms after them, and the window keeps the alarm's red
// while a real one is in it. While an alarm is neither answered nor closed
// its sound comes again (Hestrel-Zusatz.ini: every AlarmWiederholungSekunden
// for at most AlarmWiederholungMinuten); a test alarm never repeats.
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

    // Shows anztext beside the alarms still open; port and statuscom are
    // passed by the caller but change nothing.
    void alarm_zeigen(const std::string& anztext, const std::string& port, const std::string& statuscom);
    // Closes every alarm and hides the window; it stays, with its timer, for the next alarm.
    void verbergen();
    // "schließen" / "Alle schließen".
    void schliessen_geklickt() { verbergen(); }
    // "schließen" of one alarm; the window goes with the last.
    void alarm_schliessen(int nummer);
    // Closing through the title bar destroys the window, its timer included.
    void schliessen();
    void blinken();
    // What is known of alarm nummer; for an alarm no longer shown nothing changes.
    void herkunft_setzen(int nummer, const std::string& zeile);
    // "n kommt bereits: …" / "n kommen bereits: …", or "" while nobody else answered.
    void kommende_setzen(int nummer, const std::string& zeile);
    // "Ich komme" / "Empfangen" of the first alarm shown, or of alarm nummer:
    // the colour stays, the answer goes its way.
    void antwort_geklickt();
    void antwort_geklickt(int nummer);
    // The answer could not be written: the window blinks again and says so.
    void antwort_misslungen(int nummer, const std::string& grund);
    void antwortweg_setzen(Antwortweg* weg) { m_antwortweg = weg; }
    // The repeat's settings; none: never repeated.
    void zusatz_setzen(const Zusatzeinstellungen* zusatz) { m_zusatz = zusatz; }
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
    // The number of the alarm shown last.
    int alarmnummer() const { return m_alarmnummer; }
    // The alarms in the window, in the order shown.
    const std::vector<OffenerAlarm>& alarme() const { return m_alarme; }
    // Alarm nummer is in the window.
    bool zeigt(int nummer) const { return finden(nummer) != nullptr; }
    // Alarm nummer as shown; none once closed.
    const OffenerAlarm* alarm(int nummer) const { return finden(nummer); }
    // Only test alarms are in the window (its text begins "PROBEALARM – ").
    bool probealarm() const { return m_probe; }
    // Of the first alarm shown.
    const std::string& herkunftszeile() const { return erster().herkunft; }
    bool antwort_moeglich() const { return erster().antwort_moeglich(); }
    bool geantwortet() const { return erster().geantwortet; }
    std::string antwortknopf() const { return erster().antwortknopf(); }
    const std::string& rueckmeldezeile() const { return erster().rueckmeldung; }
    const std::string& alarmtext() const { return erster().text; }
    // Every alarm shown is answered: the window no longer blinks.
    bool alle_beantwortet() const;
    double schriftgroesse() const { return m_schriftgroesse; }
    const std::string& caption() const { return m_caption; }
    // Counts the creations, so that the view places a new window in the middle.
    int erzeugungen() const { return m_erzeugungen; }
    Zeitgeber& hintergrund() { return *m_hintergrund; }
    Zeitgeber& wiederholung() { return *m_wiederholung; }

    // The view refreshes on every change.
    std::function<void()> geaendert;
    // The view raises the window above all others and gives it the focus.
    std::function<void()> vorholen;
    // The screen in use; a 1920 x 1080 screen at 96 dpi when unset.
    std::function<Bildschirm()> bildschirm;
    // Plays the alarm's sound once more.
    std::function<void()> ton_wiederholen;

  private:
    void erzeugen();
    void melden();
    void fehler_melden(const Fehler& f);
    Fehler gesperrt_melden(const std::string& anztext);
    const OffenerAlarm& erster() const;
    OffenerAlarm* finden(int nummer);
    const OffenerAlarm* finden(int nummer) const;
    // The window's look follows the alarms in it.
    void aussehen_anpassen();
    // Whether alarm a's sound is still to come again.
    bool wiederholen(const OffenerAlarm& a) const;
    void wiederholung_planen();
    void wiederholt();

    const Einstellungen& m_e;
    Logbuch& m_log;
    Meldungsdienst& m_boxen;
    Scheduler& m_scheduler;
    Prozessstarter* m_prozesse;
    const Zusatzeinstellungen* m_zusatz = nullptr;
    std::unique_ptr<Zeitgeber> m_hintergrund;
    std::unique_ptr<Zeitgeber> m_wiederholung;
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
    std::string m_caption;
    int m_erzeugungen = 0;
    int m_alarmnummer = 0;
    bool m_probe = false;
    std::vector<OffenerAlarm> m_alarme;
    Antwortweg* m_antwortweg = nullptr;
};

} // namespace hestrel
