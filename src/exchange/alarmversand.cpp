#include "exchange/alarmversand.h"

#include <array>

#include "core/cp1252.h"
#include "core/textdatei.h"
#include "core/version.h"
#include "einstellungen/einstellungsverwaltung.h"
#include "exchange/alarmempfang.h"
#include "exchange/austauschdateien.h"
#include "exchange/begleitdateien.h"
#include "exchange/rueckmeldungen.h"
#include "presentation/alarmanzeige.h"
#include "presentation/alarmgesendet.h"

namespace hestrel {
namespace {

constexpr int k_importwartezeit = 16;

Fehler keine_antwort(const std::string& pfad)
{
    return {57, "Das Verzeichnis antwortet nicht: " + pfad};
}

} // namespace

// One send: its targets, and what came back from each group's directory.
// The arrays are filled per group on that group's share side; the engine
// reads an entry only after its answer came back.
struct Alarmversand::Sendung {
    std::vector<int> ziele;
    std::vector<std::string> pfade;
    // A send already in progress when this one began: only its texts are renewed.
    bool laufend = false;
    std::optional<bool> import_da;
    std::array<bool, k_gruppen> daten_ok{};
    std::array<Fehler, k_gruppen> datenfehler{};
    std::array<bool, k_gruppen> daten_beantwortet{};
    std::array<bool, k_gruppen> signal_beantwortet{};
    bool signale_gesendet = false;
    // Answers still awaited, and whether work is still being queued.
    int offen = 0;
    bool einreihen = true;
    bool weiter = false;
    bool berichtet = false;
    bool probe = false;
    // The origin record's bytes; "" where none is written.
    std::string herkunft;
};

Alarmversand::Alarmversand(Einstellungsverwaltung& einstellungen, Logbuch& log, Freigabedienst& freigaben,
                           Scheduler& scheduler, Meldungsdienst& boxen, Alarmgesendet& bestaetigung)
    : m_einstellungen(einstellungen), m_log(log), m_freigaben(freigaben), m_boxen(boxen),
      m_bestaetigung(bestaetigung), m_frist(scheduler.timer("Sendefrist", k_sendefrist_ms))
{
    m_frist->tick = [this] { frist_abgelaufen(); };
}

Alarmversand::~Alarmversand() = default;

bool Alarmversand::ziel(int index, bool alle) const
{
    if (m_einstellungen.maske().pfade[static_cast<std::size_t>(index)].empty()) {
        return false;
    }
    // Only a ticked box counts; a greyed one (2) does not.
    return alle || (m_ziele && m_ziele->melde_gruppe(index) == 1);
}

std::string Alarmversand::importsignal() const
{
    return m_einstellungen.einstellungen().importverzeichnis + k_signaldatei;
}

void Alarmversand::schreibfehler(const std::string& ziel, const Fehler& f)
{
    const std::string text = ziel + ": " + f.meldungstext();
    m_log.logeintrag("Alarm nicht geschrieben, " + text);
    m_fehler.push_back(text);
}

void Alarmversand::schreibfehler_zeigen()
{
    if (m_fehler.empty()) {
        return;
    }
    std::string text = "Der Alarm konnte nicht überall geschrieben werden:";
    for (const auto& zeile : m_fehler) {
        text += "\n" + zeile;
    }
    m_fehler.clear();
    m_boxen.hinweis(k_programmtitel, text);
}

void Alarmversand::alarm_ausloesen(bool probe)
{
    const bool unterwegs = m_nachricht_gesendet || m_import_wartet || (m_sendung && !m_sendung->weiter);
    if (probe && unterwegs) {
        // Its text would take the place of the alarm's own in the data files.
        m_log.logeintrag("Probealarm nicht gesendet: ein Alarm ist noch unterwegs");
        m_boxen.hinweis(k_programmtitel, "Der Probealarm wurde nicht gesendet: ein Alarm dieses Platzes ist "
                                         "noch unterwegs. Bitte in einer Minute erneut versuchen.");
        return;
    }
    m_fehler.clear();

    // The targets: every ticked group with a directory, or all of them.
    const bool alle = m_ziele && m_ziele->melde_alle();
    auto s = std::make_shared<Sendung>();
    s->pfade.resize(k_gruppen);
    for (int i = 0; i < k_gruppen; ++i) {
        if (ziel(i, alle)) {
            s->ziele.push_back(i);
            s->pfade[static_cast<std::size_t>(i)] =
                m_einstellungen.maske().pfade[static_cast<std::size_t>(i)];
        }
    }
    // Nothing to send to is no alarm raised: the sender must not be told it
    // was. An alarm waiting in the import directory is still handed over there.
    if (s->ziele.empty() && m_einstellungen.einstellungen().importverzeichnis.empty()) {
        keine_zielgruppe();
        return;
    }

    // The data files first: each is complete before its group's signal file appears.
    std::array<std::string, 4> texte;
    if (m_ziele) {
        texte = m_ziele->sammeltexte();
    }
    if (probe) {
        texte[0] = std::string(k_probevorsatz) + texte[0];
    }
    const std::string daten = zeilen_kodieren({texte.begin(), texte.end()});
    // A real alarm right after a test alarm gets signal files of its own:
    // receivers that showed the test must see it as a new alarm.
    s->laufend = unterwegs && !m_probe_laeuft;
    s->probe = probe;
    m_probe_laeuft = probe;
    if (m_zusatz && m_uhr && !s->ziele.empty()) {
        if (!s->laufend || m_alarmkennung.empty()) {
            m_alarmkennung = neue_alarmkennung();
        }
        Herkunft h;
        h.alarm = m_alarmkennung;
        h.platz = m_zusatz->platzname;
        h.benutzer = benutzername();
        const Zeitstempel z = m_uhr->jetzt();
        h.zeit = kurzdatum(z) + " " + langzeit(z);
        for (int i : s->ziele) {
            h.gruppen.push_back(i + 1);
        }
        h.probe = probe;
        h.pruefsumme = pruefsumme(daten);
        s->herkunft = kodieren(h);
    }
    m_sendung = s;
    for (int i : s->ziele) {
        const auto g = static_cast<std::size_t>(i);
        ++s->offen;
        m_freigaben.auftrag(
            s->pfade[g],
            [s, g, daten](Dateisystem& fs) {
                s->datenfehler[g] = fs.ersetzen_fluechtig(s->pfade[g] + k_sendedatei, daten);
                s->daten_ok[g] = !s->datenfehler[g];
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), s, g](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                s->daten_beantwortet[g] = true;
                if (!s->daten_ok[g]) {
                    schreibfehler("Gruppe " + std::to_string(g + 1),
                                  ausgefuehrt ? s->datenfehler[g] : keine_antwort(s->pfade[g]));
                }
                --s->offen;
                erledigt(s);
            },
            k_verfall_ms);
    }

    // Whether another alarm waits in the import directory; a test alarm never goes there.
    if (!s->laufend && !probe && !m_einstellungen.einstellungen().importverzeichnis.empty()) {
        ++s->offen;
        auto da = std::make_shared<bool>(false);
        m_freigaben.auftrag(
            m_einstellungen.einstellungen().importverzeichnis,
            [da, pfad = importsignal()](Dateisystem& fs) {
                const Dateistand st = fs.stand(pfad);
                *da = st.art == Dateistand::Art::datei || st.art == Dateistand::Art::anderes;
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), s, da](bool) {
                if (!lebt.lock()) {
                    return;
                }
                s->import_da = *da;
                --s->offen;
                erledigt(s);
            },
            k_verfall_ms);
    }
    s->einreihen = false;
    erledigt(s);
    if (!s->weiter) {
        m_frist->setInterval(k_sendefrist_ms);
        m_frist->start();
    }
}

void Alarmversand::keine_zielgruppe()
{
    m_log.logeintrag("Alarm nicht ausgelöst: keine Zielgruppe angehakt");
    m_boxen.hinweis(k_programmtitel, "Der Alarm wurde nicht ausgelöst: es ist keine Zielgruppe angehakt.");
}

void Alarmversand::erledigt(const std::shared_ptr<Sendung>& s)
{
    if (s->einreihen || s->offen > 0) {
        return;
    }
    if (!s->weiter) {
        weitersenden(s);
    } else {
        bericht(s);
    }
}

void Alarmversand::frist_abgelaufen()
{
    m_frist->stop();
    const std::shared_ptr<Sendung> s = m_sendung;
    if (!s) {
        return;
    }
    // The groups that answered get their signal files now; a late group gets
    // its own as soon as its data file is written, or not at all.
    if (!s->weiter) {
        weitersenden(s);
    } else {
        bericht(s);
    }
}

void Alarmversand::weitersenden(const std::shared_ptr<Sendung>& s)
{
    if (s->weiter) {
        return;
    }
    s->weiter = true;
    m_frist->stop();

    m_log.logeintrag("Alarm gesetzt");

    // A send in progress keeps its signal files; the texts are renewed, and
    // with them the origin records the receivers compare them with.
    if (s->laufend) {
        if (m_nachricht_gesendet) {
            for (int i : s->ziele) {
                herkunft_schreiben(s, static_cast<std::size_t>(i), nullptr);
            }
        }
        erledigt(s);
        return;
    }
    // An alarm waiting in the import directory: this one is handed over there once it is gone.
    if (s->import_da.value_or(false)) {
        m_import_wartet = true;
        m_import_zaehler = k_importwartezeit;
        erledigt(s);
        return;
    }

    if (s->ziele.empty()) {
        keine_zielgruppe();
        return;
    }

    // The signal files, the poll paused meanwhile; then the confirmation,
    // and the clean-up at the poll tick 15 s from now.
    m_abfragetakt->stop();
    signale_schreiben(s);

    m_bestaetigung.einschalten(s->probe);
    if (m_rueckmeldungen && !s->herkunft.empty()) {
        std::vector<std::pair<int, std::string>> ziele;
        for (int i : s->ziele) {
            ziele.emplace_back(i, s->pfade[static_cast<std::size_t>(i)]);
        }
        m_rueckmeldungen->gesendet(m_alarmkennung, ziele, s->probe);
    }
    m_abfragetakt->setInterval(15000);
    m_nachricht_gesendet = true;
    m_abfragetakt->start();
    signale_merken();
    erledigt(s);
    if (!s->berichtet) {
        m_frist->setInterval(k_verfall_ms);
        m_frist->start();
    }
}

void Alarmversand::signale_schreiben(const std::shared_ptr<Sendung>& s)
{
    // A group whose data file failed gets no signal, which would show an old text.
    const std::string signal = utf8_zu_cp1252(m_einstellungen.einstellungen().idnummer);
    s->einreihen = true;
    s->signale_gesendet = true;
    for (int i : s->ziele) {
        const auto g = static_cast<std::size_t>(i);
        ++s->offen;
        auto fehler = std::make_shared<Fehler>();
        m_freigaben.auftrag(
            s->pfade[g],
            [s, g, signal, fehler](Dateisystem& fs) {
                if (s->daten_ok[g]) {
                    *fehler = fs.ersetzen_fluechtig(s->pfade[g] + k_signaldatei, signal);
                }
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), s, g, fehler](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                s->signal_beantwortet[g] = true;
                if (!ausgefuehrt && s->daten_ok[g]) {
                    schreibfehler("Gruppe " + std::to_string(g + 1), keine_antwort(s->pfade[g]));
                } else if (*fehler) {
                    schreibfehler("Gruppe " + std::to_string(g + 1), *fehler);
                }
                --s->offen;
                erledigt(s);
            },
            k_verfall_ms);
        herkunft_schreiben(s, g, fehler);
    }
    s->einreihen = false;
}

void Alarmversand::herkunft_schreiben(const std::shared_ptr<Sendung>& s, std::size_t g,
                                      std::shared_ptr<Fehler> signalfehler)
{
    if (s->herkunft.empty()) {
        return;
    }
    // In the group's own queue, after its signal file: the record never delays the alarm.
    auto fehler = std::make_shared<std::optional<Fehler>>();
    m_freigaben.auftrag(
        s->pfade[g],
        [s, g, signalfehler, fehler](Dateisystem& fs) {
            if (s->daten_ok[g] && !(signalfehler && *signalfehler)) {
                *fehler = fs.ersetzen_fluechtig(s->pfade[g] + k_herkunftsdatei, s->herkunft);
            }
        },
        [this, lebt = std::weak_ptr<bool>(m_lebt), fehler, g](bool) {
            if (lebt.lock() && fehler->has_value() && **fehler) {
                m_log.logeintrag("Herkunft nicht geschrieben, Gruppe " + std::to_string(g + 1) + ": " +
                                 (**fehler).meldungstext());
            }
        },
        k_verfall_ms);
}

void Alarmversand::bericht(const std::shared_ptr<Sendung>& s)
{
    if (s->berichtet) {
        return;
    }
    s->berichtet = true;
    if (m_sendung == s) {
        m_frist->stop();
    }
    for (int i : s->ziele) {
        const auto g = static_cast<std::size_t>(i);
        if (!s->daten_beantwortet[g] || (s->signale_gesendet && !s->signal_beantwortet[g])) {
            schreibfehler("Gruppe " + std::to_string(i + 1), keine_antwort(s->pfade[g]));
        }
    }
    schreibfehler_zeigen();
}

void Alarmversand::import_uebergeben()
{
    m_import_wartet = false;
    m_import_frei = false;
    m_abfragetakt->stop();
    // Without an import directory (changed meanwhile) the signal has nowhere to go.
    if (!m_einstellungen.einstellungen().importverzeichnis.empty()) {
        const std::string signal = utf8_zu_cp1252(m_einstellungen.einstellungen().idnummer);
        auto fehler = std::make_shared<Fehler>();
        m_in_uebergabe = true;
        m_freigaben.auftrag(
            m_einstellungen.einstellungen().importverzeichnis,
            [fehler, signal, pfad = importsignal()](Dateisystem& fs) {
                *fehler = fs.ersetzen_fluechtig(pfad, signal);
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), fehler,
             pfad = m_einstellungen.einstellungen().importverzeichnis](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                if (!ausgefuehrt) {
                    schreibfehler("Importverzeichnis", keine_antwort(pfad));
                } else if (*fehler) {
                    schreibfehler("Importverzeichnis", *fehler);
                }
                if (!m_in_uebergabe) {
                    schreibfehler_zeigen();
                }
            },
            k_verfall_ms);
        m_in_uebergabe = false;
    }
    m_bestaetigung.einschalten();
    m_abfragetakt->setInterval(15000);
    m_nachricht_gesendet = true;
    m_abfragetakt->start();
    signale_merken();
    schreibfehler_zeigen();
}

bool Alarmversand::import_abwarten(std::optional<bool>& importsignal)
{
    --m_import_zaehler;
    // An import directory that did not answer still holds what it held.
    if (!importsignal.value_or(true)) {
        m_import_frei = true;
        m_import_wartet = false;
        m_abfragetakt->setInterval(2000);
        m_import_zaehler = 0;
        return true;
    }
    if (m_import_zaehler <= 0) {
        auto fehler = std::make_shared<Fehler>();
        m_freigaben.auftrag(
            m_einstellungen.einstellungen().importverzeichnis,
            [fehler, pfad = this->importsignal()](Dateisystem& fs) { *fehler = fs.loeschen(pfad); },
            [this, lebt = std::weak_ptr<bool>(m_lebt), fehler](bool) {
                if (lebt.lock() && *fehler) {
                    m_log.logeintrag("Message nicht gelöscht: " + fehler->meldungstext());
                }
            });
        m_import_frei = true;
        m_import_wartet = false;
        m_abfragetakt->setInterval(2000);
        // For the rest of this tick the file is gone, as it is once removed.
        importsignal = false;
    }
    return false;
}

void Alarmversand::signale_merken()
{
    const std::uint64_t runde = ++m_merkrunde;
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        const std::string& pfad = m_einstellungen.einstellungen().gruppenpfad[g];
        m_nach_dem_senden[g].reset();
        if (pfad.empty()) {
            continue;
        }
        auto info = std::make_shared<std::optional<Dateiinfo>>();
        m_freigaben.auftrag(
            pfad, [info, ziel = pfad + k_signaldatei](Dateisystem& fs) { *info = fs.info(ziel); },
            [this, lebt = std::weak_ptr<bool>(m_lebt), info, g, runde](bool) {
                if (lebt.lock() && runde == m_merkrunde) {
                    m_nach_dem_senden[g] = *info;
                }
            });
    }
}

void Alarmversand::aufraeumen(std::array<std::optional<Verzeichnisbefund>, k_gruppen + 1>& befunde)
{
    m_abfragetakt->stop();
    // All group directories: this workstation's own signal files go, and so
    // does every one that has lain there longer than the wait, judged by the
    // share's own clock (desks' clocks differ): a sender that stopped before
    // its clean-up leaves one behind, and receivers that count a group as
    // presented while any signal file lies there would miss its next alarm.
    // A younger one belongs to a later alarm whose receivers need their 15 s:
    // its own sender removes it.
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        const std::string& pfad = m_einstellungen.einstellungen().gruppenpfad[g];
        std::optional<Verzeichnisbefund>& b = befunde[g];
        if (pfad.empty() || !b || b->signal.art != Dateistand::Art::datei) {
            continue;
        }
        const Dateiinfo gesehen = b->signal.info;
        const auto gemerkt = m_nach_dem_senden[g];
        const bool eigen = gemerkt && gesehen == *gemerkt;
        if (eigen) {
            // For the rest of this tick the file is gone, as it is once removed.
            b->signal.art = Dateistand::Art::fehlt;
        }
        auto fehler = std::make_shared<std::optional<Fehler>>();
        m_freigaben.auftrag(
            pfad,
            [fehler, gesehen, eigen, verzeichnis = pfad, ziel = pfad + k_signaldatei](Dateisystem& fs) {
                // Removed only while it is still the same file.
                if (fs.info(ziel) != gesehen) {
                    return;
                }
                if (!eigen) {
                    const std::optional<std::int64_t> jetzt = fs.verzeichnisuhr_ns(verzeichnis);
                    if (!jetzt ||
                        *jetzt - gesehen.geaendert_ns <= std::int64_t{k_aufraeumwartezeit_ms} * 1000000) {
                        return;
                    }
                }
                *fehler = fs.loeschen(ziel);
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), fehler](bool) {
                if (!lebt.lock() || !fehler->has_value()) {
                    return;
                }
                if (**fehler) {
                    m_log.logeintrag("Message nicht gelöscht: " + (**fehler).meldungstext());
                    return;
                }
                m_log.logeintrag("Message - gelöscht");
                m_bestaetigung.ok_freigeben();
            },
            k_verfall_ms);
    }
    m_abfragetakt->setInterval(5000);
    m_nachricht_gesendet = false;
    m_abfragetakt->start();
}

} // namespace hestrel
