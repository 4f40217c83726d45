#include "ueberwachung/ueberwachung.h"

#include <algorithm>

#include "exchange/begleitdateien.h"

namespace hestrel {
namespace {

std::string gruppenschluessel(const char* art, int index)
{
    return std::string(art) + "-" + std::to_string(index + 1);
}

bool gleicher_tag(const Zeitstempel& a, const Zeitstempel& b)
{
    return a.jahr == b.jahr && a.monat == b.monat && a.tag == b.tag;
}

// Two short tones, quieter in meaning than the alarm's beeps.
constexpr int k_warnton_hz = 660;
constexpr int k_warnton_ms = 120;

} // namespace

Ueberwachung::Ueberwachung(const Einstellungen& einstellungen, const Zusatzeinstellungen& zusatz,
                           Logbuch& log, Freigabedienst& freigaben, Scheduler& scheduler, const Uhr& uhr,
                           Tonausgabe* ton, Ueberwachungsquellen& quellen)
    : m_e(einstellungen), m_zusatz(zusatz), m_log(log), m_freigaben(freigaben), m_scheduler(scheduler),
      m_uhr(uhr), m_ton(ton), m_quellen(quellen), m_takt(scheduler.timer("Ueberwachungstakt", k_takt_ms)),
      m_warnton(scheduler.timer("Warnton", 300000)),
      m_probewiederholung(scheduler.timer("Probewiederholung", k_probewiederholung_ms))
{
    m_unerreichbar_seit.fill(-1);
    m_takt->tick = [this] { pruefen(); };
    m_warnton->tick = [this] { ton_wiederholen(); };
    m_probewiederholung->tick = [this] { probe(true); };
}

Ueberwachung::~Ueberwachung()
{
    *m_lebt = false;
    m_takt->stop();
    m_warnton->stop();
    m_probewiederholung->stop();
}

void Ueberwachung::starten()
{
    m_takt->start();
    probe(false);
}

std::string Ueberwachung::zeitangabe(const Zeitstempel& z) const
{
    return gleicher_tag(z, m_uhr.jetzt()) ? langzeit(z) : kurzdatum(z) + " " + langzeit(z);
}

void Ueberwachung::stoerung(const std::string& schluessel, int gruppe, const std::string& text)
{
    for (const Stoerung& s : m_stoerungen) {
        if (s.schluessel == schluessel) {
            return;
        }
    }
    const Zeitstempel seit = gruppe >= 0 && gruppe < k_gruppen &&
                                     m_unerreichbar_seit[static_cast<std::size_t>(gruppe)] >= 0 &&
                                     schluessel == gruppenschluessel("gruppe", gruppe)
                                 ? m_unerreichbar_zeit[static_cast<std::size_t>(gruppe)]
                                 : m_uhr.jetzt();
    m_stoerungen.push_back({schluessel, gruppe, text, zeitangabe(seit), false});
    m_log.logeintrag("Überwachung: " + text);
    anzeigen();
    ton_ausgeben();
    if (m_zusatz.warnton) {
        m_warnton->setInterval(std::max(1, m_zusatz.warnton_minuten) * 60000);
        m_warnton->start();
    }
}

void Ueberwachung::behoben(const std::string& schluessel)
{
    const auto s = std::find_if(m_stoerungen.begin(), m_stoerungen.end(),
                                [&](const Stoerung& x) { return x.schluessel == schluessel; });
    if (s == m_stoerungen.end()) {
        return;
    }
    m_log.logeintrag("Überwachung: behoben: " + s->text);
    m_stoerungen.erase(s);
    anzeigen();
    if (std::none_of(m_stoerungen.begin(), m_stoerungen.end(),
                     [](const Stoerung& x) { return !x.bestaetigt; })) {
        m_warnton->stop();
    }
}

void Ueberwachung::bestaetigen()
{
    for (Stoerung& s : m_stoerungen) {
        s.bestaetigt = true;
    }
    m_warnton->stop();
}

void Ueberwachung::ton_ausgeben()
{
    if (m_ton && m_zusatz.warnton) {
        m_ton->piepen(k_warnton_hz, k_warnton_ms);
        m_ton->piepen(k_warnton_hz, k_warnton_ms);
    }
}

void Ueberwachung::ton_wiederholen()
{
    const bool offen = std::any_of(m_stoerungen.begin(), m_stoerungen.end(),
                                   [](const Stoerung& s) { return !s.bestaetigt; });
    if (!offen || !m_zusatz.warnton) {
        m_warnton->stop();
        return;
    }
    // The interval follows a changed setting from the next tone on.
    const int intervall = std::max(1, m_zusatz.warnton_minuten) * 60000;
    if (m_warnton->interval() != intervall) {
        m_warnton->setInterval(intervall);
    }
    ton_ausgeben();
}

std::string Ueberwachung::warntext() const
{
    std::string text;
    for (const Stoerung& s : m_stoerungen) {
        text += (text.empty() ? "" : "\n") + s.text + " seit " + s.seit;
    }
    return text;
}

void Ueberwachung::anzeigen()
{
    if (!m_anzeige) {
        return;
    }
    m_anzeige->warnung_zeigen(warntext());
    std::array<bool, k_gruppen> warnen{};
    for (const Stoerung& s : m_stoerungen) {
        if (s.gruppe >= 0 && s.gruppe < k_gruppen) {
            warnen[static_cast<std::size_t>(s.gruppe)] = true;
        }
    }
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        if (warnen[i] != m_gewarnt[i]) {
            m_gewarnt[i] = warnen[i];
            m_anzeige->gruppe_warnen(static_cast<int>(i), warnen[i]);
        }
    }
}

void Ueberwachung::pruefen()
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        const bool weg = !m_e.gruppenpfad[g].empty() && m_quellen.gruppe_unerreichbar(i);
        if (!weg) {
            m_unerreichbar_seit[g] = -1;
            behoben(gruppenschluessel("gruppe", i));
            continue;
        }
        if (m_unerreichbar_seit[g] < 0) {
            m_unerreichbar_seit[g] = jetzt;
            m_unerreichbar_zeit[g] = m_uhr.jetzt();
        }
        if (jetzt - m_unerreichbar_seit[g] >= k_unerreichbar_ms) {
            stoerung(gruppenschluessel("gruppe", i), i,
                     "Gruppe " + std::to_string(i + 1) + " nicht erreichbar");
        }
    }
    if (m_quellen.geraet_stumm()) {
        stoerung("geraet", -1, "Alarmbox antwortet nicht");
    } else {
        behoben("geraet");
    }
    if (m_quellen.journal_wartend() > 0) {
        stoerung("journal", -1, "Journal mameldung.log nicht schreibbar");
    } else {
        behoben("journal");
    }
}

void Ueberwachung::probe(bool nur_gescheiterte)
{
    const std::string datei = probedatei(m_zusatz.platzname);
    const std::string inhalt = "HESTREL-PROBE 1\r\nKennung=" + neue_alarmkennung() + "\r\n";
    if (nur_gescheiterte &&
        std::none_of(m_probe_gescheitert.begin(), m_probe_gescheitert.end(), [](bool b) { return b; })) {
        m_probewiederholung->stop();
        return;
    }
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        const std::string& pfad = m_e.gruppenpfad[g];
        if (pfad.empty() || m_probe_offen[g]) {
            if (pfad.empty()) {
                m_probe_gescheitert[g] = false;
                behoben(gruppenschluessel("probe", i));
            }
            continue;
        }
        if (nur_gescheiterte && !m_probe_gescheitert[g]) {
            continue;
        }
        m_probe_offen[g] = true;
        auto grund = std::make_shared<std::string>();
        m_freigaben.auftrag(
            pfad,
            [grund, ziel = pfad + datei, inhalt](Dateisystem& fs) {
                if (Fehler f = fs.ersetzen(ziel, inhalt)) {
                    *grund = "schreiben: " + f.beschreibung;
                    return;
                }
                std::string gelesen;
                const Fehler f = fs.lesen(ziel, gelesen, k_max_begleitdatei + 1);
                if (f || gelesen != inhalt) {
                    *grund = f ? "lesen: " + f.beschreibung : std::string("anders zurückgelesen");
                }
                if (Fehler l = fs.loeschen(ziel); l && grund->empty()) {
                    *grund = "löschen: " + l.beschreibung;
                }
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), i, g, grund](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                m_probe_offen[g] = false;
                const std::string warum = ausgefuehrt ? *grund : std::string("keine Antwort");
                m_probe_gescheitert[g] = !warum.empty();
                if (warum.empty()) {
                    behoben(gruppenschluessel("probe", i));
                } else {
                    stoerung(gruppenschluessel("probe", i), i,
                             "Gruppe " + std::to_string(i + 1) + ": Probe fehlgeschlagen: " + warum);
                    m_probewiederholung->start();
                }
            },
            k_probewiederholung_ms);
    }
}

} // namespace hestrel
