#include "presentation/alarmanzeige.h"

#include "core/prozessstarter.h"
#include "core/version.h"
#include "einstellungen/einstellungen.h"
#include "presentation/msg/meldetext.h"

namespace hestrel {
namespace {

constexpr double k_schrift_bei_erzeugung = 11.25;
// The label's font size is the width in twips divided by this.
constexpr double k_twips_pro_punkt = 450.0;

} // namespace

Alarmanzeige::Alarmanzeige(const Einstellungen& einstellungen, Logbuch& log, Meldungsdienst& boxen,
                           Scheduler& scheduler, Prozessstarter* prozesse)
    : m_e(einstellungen), m_log(log), m_boxen(boxen), m_prozesse(prozesse),
      m_hintergrund(scheduler.timer("Blinktakt", 500))
{
    m_hintergrund->tick = [this] { blinken(); };
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
    m_alarmtext.clear();
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
                                const std::string& /*statuscom*/, bool probe)
{
    erzeugen();
    // Each alarm starts blinking, without origin or answer; a test alarm in its own colours.
    ++m_alarmnummer;
    m_probe = probe;
    m_caption = m_probe ? "PROBEALARM" : k_firmentext;
    m_farbe = hauptfarbe();
    m_geantwortet = false;
    m_herkunft.clear();
    m_rueckmeldung.clear();
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
    m_alarmtext = anztext;
    melden();
}

void Alarmanzeige::verbergen()
{
    erzeugen();
    m_sichtbar = false;
    melden();
}

void Alarmanzeige::schliessen()
{
    m_hintergrund->stop();
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
    if (nummer != m_alarmnummer || zeile == m_herkunft) {
        return;
    }
    m_herkunft = zeile;
    melden();
}

void Alarmanzeige::kommende_setzen(int nummer, const std::string& zeile)
{
    if (nummer != m_alarmnummer || zeile == m_rueckmeldung) {
        return;
    }
    m_rueckmeldung = zeile;
    melden();
}

void Alarmanzeige::antwort_geklickt()
{
    if (!antwort_moeglich() || !m_existiert) {
        return;
    }
    // The window no longer calls for attention: its colour stays.
    m_geantwortet = true;
    m_farbe = hauptfarbe();
    melden();
    if (m_antwortweg) {
        m_antwortweg->antworten(m_alarmnummer);
    }
}

void Alarmanzeige::antwort_misslungen(int nummer, const std::string& grund)
{
    if (nummer != m_alarmnummer) {
        return;
    }
    m_geantwortet = false;
    m_rueckmeldung = "Antwort nicht gesendet: " + grund;
    melden();
}

void Alarmanzeige::blinken()
{
    if (m_geantwortet) {
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

} // namespace hestrel
