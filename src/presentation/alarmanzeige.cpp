#include "presentation/alarmanzeige.h"

#include <algorithm>

#include "core/prozessstarter.h"
#include "core/version.h"
#include "einstellungen/einstellungen.h"
#include "presentation/msg/meldetext.h"

namespace hestrel {
namespace {

constexpr double k_schrift_bei_erzeugung = 11.25;
// The label's font size is the width in twips divided by this.
constexpr double k_twips_pro_punkt = 450.0;
// A window nobody closes for days keeps the newest alarms; the journal keeps all.
constexpr std::size_t k_max_alarme = 50;

const OffenerAlarm k_keiner{};

} // namespace

Alarmanzeige::Alarmanzeige(const Einstellungen& einstellungen, Logbuch& log, Meldungsdienst& boxen,
                           Scheduler& scheduler, Prozessstarter* prozesse)
    : m_e(einstellungen), m_log(log), m_boxen(boxen), m_scheduler(scheduler), m_prozesse(prozesse),
      m_hintergrund(scheduler.timer("Blinktakt", 500)),
      m_wiederholung(scheduler.timer("Alarmwiederholung", 60000))
{
    m_hintergrund->tick = [this] { blinken(); };
    m_wiederholung->tick = [this] { wiederholt(); };
}

const OffenerAlarm& Alarmanzeige::erster() const
{
    return m_alarme.empty() ? k_keiner : m_alarme.front();
}

OffenerAlarm* Alarmanzeige::finden(int nummer)
{
    const auto it = std::find_if(m_alarme.begin(), m_alarme.end(),
                                 [nummer](const OffenerAlarm& a) { return a.nummer == nummer; });
    return it == m_alarme.end() ? nullptr : &*it;
}

const OffenerAlarm* Alarmanzeige::finden(int nummer) const
{
    const auto it = std::find_if(m_alarme.begin(), m_alarme.end(),
                                 [nummer](const OffenerAlarm& a) { return a.nummer == nummer; });
    return it == m_alarme.end() ? nullptr : &*it;
}

bool Alarmanzeige::alle_beantwortet() const
{
    return !m_alarme.empty() &&
           std::all_of(m_alarme.begin(), m_alarme.end(), [](const OffenerAlarm& a) { return a.geantwortet; });
}

void Alarmanzeige::aussehen_anpassen()
{
    // The test alarm's look only while nothing but test alarms is in the window.
    if (!m_alarme.empty()) {
        m_probe =
            std::all_of(m_alarme.begin(), m_alarme.end(), [](const OffenerAlarm& a) { return a.probe; });
    }
    m_caption = m_probe ? "PROBEALARM" : k_firmentext;
    if (m_farbe != k_weiss || alle_beantwortet()) {
        m_farbe = hauptfarbe();
    }
}

void Alarmanzeige::melden()
{
    if (geaendert) {
        geaendert();
    }
}

void Alarmanzeige::erzeugen()
{
    if (m_existiert) {
        return;
    }
    m_existiert = true;
    ++m_erzeugungen;
    m_caption = k_firmentext;
    m_aussenbreite_twips = k_aussenbreite_twips;
    m_schriftgroesse = k_schrift_bei_erzeugung;
    m_zustand = Fensterzustand::normal;
    m_vollbild_platziert = false;
    m_farbe = k_rot;
    m_alarme.clear();
    m_hintergrund->start();
}

void Alarmanzeige::fehler_melden(const Fehler& f)
{
    const std::string text = f.meldungstext();
    m_boxen.hinweis(k_programmtitel, text);
    // When this entry fails as well, the box has told the user already.
    m_log.anzeigelog_eintragen(text);
}

Fehler Alarmanzeige::gesperrt_melden(const std::string& anztext)
{
    std::string benutzer;
    if (m_prozesse) {
        benutzer = m_prozesse->umgebung("UserName");
        if (benutzer.empty()) {
            benutzer = m_prozesse->anmeldename();
        }
    }
    if (Fehler f = m_log.anzeigelog_eintragen("Meldung bei gesperrtem Rechner")) {
        fehler_melden(f);
    }
    if (!m_prozesse) {
        return {53, "Datei nicht gefunden"};
    }
    const std::string programm = m_prozesse->programmverzeichnis() + k_trenner + k_meldeprogramm;
    // The text goes through standard input: on the command line a NUL byte would
    // end it, a long one would keep the helper from starting, and every local
    // user could read it.
    return m_prozesse->starten_mit_eingabe(programm, {benutzer}, fuer_meldeprogramm(anztext));
}

void Alarmanzeige::alarm_zeigen(const std::string& anztext, const std::string& /*port*/,
                                const std::string& /*statuscom*/)
{
    erzeugen();
    // Each alarm comes in blinking, without origin or answer, beside those still
    // open: a real one first, a test alarm after every real one.
    OffenerAlarm neu;
    neu.nummer = ++m_alarmnummer;
    neu.text = anztext;
    neu.probe = ist_probealarm(anztext);
    neu.seit_ms = m_scheduler.jetzt_ms();
    const auto platz = neu.probe ? std::find_if(m_alarme.begin(), m_alarme.end(),
                                                [](const OffenerAlarm& a) { return a.probe; })
                                 : m_alarme.begin();
    m_alarme.insert(platz, std::move(neu));
    if (m_alarme.size() > k_max_alarme) {
        m_log.logeintrag("Alarmfenster voll, ältester Alarm nur noch im Journal: " +
                         m_alarme.back().text.substr(0, 80));
        m_alarme.pop_back();
    }
    m_farbe = k_rot;
    aussehen_anpassen();
    if (!m_alarme.front().probe && m_alarme.front().nummer == m_alarmnummer) {
        // Its own sound plays now: the next repeat is one interval away.
        m_wiederholung->stop();
    }
    wiederholung_planen();
    const Einstellungen& e = m_e;
    // A failing step is reported but never keeps the alarm from being shown.
    if (e.vollbildanzeige) {
        if (Fehler f = m_log.anzeigelog_eintragen("Vollbild - gesetzt")) {
            fehler_melden(f);
        }
        const Bildschirm b = bildschirm ? bildschirm() : Bildschirm{};
        m_vollbild_platziert = true;
        m_breite_px = b.breite_px;
        m_hoehe_px = b.hoehe_px;
        m_oben = true;
        m_sichtbar = true;
        m_aussenbreite_twips = b.breite_px * b.twips_pro_pixel_x;
        m_schriftgroesse = m_aussenbreite_twips / k_twips_pro_punkt;
    } else {
        m_sichtbar = true;
        m_oben = true;
    }
    melden();
    if (vorholen) {
        vorholen();
    }
    if (e.gesperrtanzeige) {
        if (Fehler f = gesperrt_melden(anztext)) {
            fehler_melden(f);
        }
    }
}

void Alarmanzeige::verbergen()
{
    erzeugen();
    m_alarme.clear();
    m_wiederholung->stop();
    m_sichtbar = false;
    melden();
}

void Alarmanzeige::alarm_schliessen(int nummer)
{
    const auto it = std::find_if(m_alarme.begin(), m_alarme.end(),
                                 [nummer](const OffenerAlarm& a) { return a.nummer == nummer; });
    if (it == m_alarme.end()) {
        return;
    }
    m_alarme.erase(it);
    if (m_alarme.empty()) {
        verbergen();
        return;
    }
    aussehen_anpassen();
    wiederholung_planen();
    melden();
}

void Alarmanzeige::schliessen()
{
    m_hintergrund->stop();
    m_wiederholung->stop();
    m_alarme.clear();
    m_existiert = false;
    m_sichtbar = false;
    m_oben = false;
    melden();
}

void Alarmanzeige::aussenbreite_setzen(int twips)
{
    m_aussenbreite_twips = twips;
}

int Alarmanzeige::vordergrundfarbe() const
{
    if (!m_probe) {
        return 0;
    }
    return m_farbe == k_probeblau ? k_weiss : k_probeblau;
}

void Alarmanzeige::herkunft_setzen(int nummer, const std::string& zeile)
{
    OffenerAlarm* a = finden(nummer);
    if (!a || zeile == a->herkunft) {
        return;
    }
    a->herkunft = zeile;
    melden();
}

void Alarmanzeige::kommende_setzen(int nummer, const std::string& zeile)
{
    OffenerAlarm* a = finden(nummer);
    if (!a || zeile == a->rueckmeldung) {
        return;
    }
    a->rueckmeldung = zeile;
    melden();
}

void Alarmanzeige::antwort_geklickt()
{
    if (!m_alarme.empty()) {
        antwort_geklickt(m_alarme.front().nummer);
    }
}

void Alarmanzeige::antwort_geklickt(int nummer)
{
    OffenerAlarm* a = finden(nummer);
    if (!a || !a->antwort_moeglich() || !m_existiert) {
        return;
    }
    // Once every alarm is answered the window no longer calls for attention: its colour stays.
    a->geantwortet = true;
    aussehen_anpassen();
    wiederholung_planen();
    melden();
    if (m_antwortweg) {
        m_antwortweg->antworten(nummer);
    }
}

void Alarmanzeige::antwort_misslungen(int nummer, const std::string& grund)
{
    OffenerAlarm* a = finden(nummer);
    if (!a) {
        return;
    }
    a->geantwortet = false;
    a->rueckmeldung = "Antwort nicht gesendet: " + grund;
    wiederholung_planen();
    melden();
}

void Alarmanzeige::blinken()
{
    if (alle_beantwortet()) {
        return;
    }
    const int haupt = hauptfarbe();
    if (m_farbe == haupt) {
        m_farbe = k_weiss;
        melden();
        return;
    }
    m_farbe = haupt;
    if (m_e.vollbildanzeige) {
        m_zustand = Fensterzustand::maximiert;
    } else {
        m_zustand = Fensterzustand::normal;
        m_schriftgroesse = m_aussenbreite_twips / k_twips_pro_punkt;
    }
    melden();
}

bool Alarmanzeige::wiederholen(const OffenerAlarm& a) const
{
    if (!m_zusatz || a.probe || a.geantwortet || m_zusatz->wiederholung_sekunden <= 0 ||
        m_zusatz->wiederholung_minuten <= 0) {
        return false;
    }
    const std::int64_t frist = std::int64_t{m_zusatz->wiederholung_minuten} * 60 * 1000;
    return m_scheduler.jetzt_ms() - a.seit_ms <= frist;
}

void Alarmanzeige::wiederholung_planen()
{
    if (!m_sichtbar && m_alarme.empty()) {
        m_wiederholung->stop();
        return;
    }
    if (std::none_of(m_alarme.begin(), m_alarme.end(),
                     [this](const OffenerAlarm& a) { return wiederholen(a); })) {
        m_wiederholung->stop();
        return;
    }
    if (!m_wiederholung->aktiv()) {
        m_wiederholung->setInterval(m_zusatz->wiederholung_sekunden * 1000);
        m_wiederholung->start();
    }
}

void Alarmanzeige::wiederholt()
{
    const auto offen = std::count_if(m_alarme.begin(), m_alarme.end(),
                                     [this](const OffenerAlarm& a) { return wiederholen(a); });
    if (offen == 0 || !m_sichtbar) {
        m_wiederholung->stop();
        return;
    }
    m_log.logeintrag("Alarmton wiederholt, " +
                     (offen == 1 ? std::string("1 Alarm") : std::to_string(offen) + " Alarme") +
                     " ohne Antwort");
    if (ton_wiederholen) {
        ton_wiederholen();
    }
    // The interval may have been changed meanwhile.
    const int ms = m_zusatz->wiederholung_sekunden * 1000;
    if (m_wiederholung->interval() != ms) {
        m_wiederholung->setInterval(ms);
    }
}

} // namespace hestrel
