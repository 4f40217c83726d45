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
#include "exchange/verzeichnisschau.h"
#include "presentation/alarmanzeige.h"
#include "presentation/alarmgesendet.h"

namespace hestrel {
namespace {

constexpr int k_importwartezeit = 16;

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
    std::array<bool, k_gruppen> herkunft_unterwegs{};
    bool signale_gesendet = false;
    // Answers still awaited.
    int offen = 0;
    bool weiter = false;
    bool berichtet = false;
    bool probe = false;
    // The origin record's bytes; "" where none is written.
    std::string herkunft;
};

Alarmversand::Alarmversand(Einstellungsverwaltung& einstellungen, Logbuch& log, Freigabedienst& freigaben,
                           Scheduler& scheduler, Meldungsdienst& boxen, Alarmgesendet& bestaetigung)
    : m_einstellungen(einstellungen), m_log(log), m_freigaben(freigaben), m_boxen(boxen),
      m_bestaetigung(bestaetigung), m_scheduler(scheduler),
      m_frist(scheduler.timer("Sendefrist", k_sendefrist_ms))
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
        auto bericht = std::make_shared<Ersetzbericht>();
        m_freigaben.auftrag(
            s->pfade[g],
            [s, g, daten, bericht](Dateisystem& fs) {
                s->datenfehler[g] = fs.ersetzen_berichtet(s->pfade[g] + k_sendedatei, daten, *bericht);
                s->daten_ok[g] = !s->datenfehler[g];
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), s, g, bericht](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                s->daten_beantwortet[g] = true;
                if (!s->daten_ok[g]) {
                    schreibfehler("Gruppe " + std::to_string(g + 1),
                                  ausgefuehrt ? s->datenfehler[g] : keine_antwort(s->pfade[g]));
                } else if (bericht->an_ort) {
                    m_log.logeintrag("Gruppe " + std::to_string(g + 1) + ": " + k_sendedatei +
                                     " an Ort und Stelle geschrieben, ein anderer Platz hielt sie offen");
                }
                // A send that renews the texts renews the origin record with them.
                if (s->laufend && s->weiter && m_nachricht_gesendet) {
                    herkunft_schreiben(s, g);
                }
                --s->offen;
                erledigt(s);
            },
            k_verfall_ms, Spur::alarm);
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
            k_verfall_ms, Spur::alarm);
    }
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
    if (s->offen > 0) {
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
                const auto g = static_cast<std::size_t>(i);
                if (s->daten_beantwortet[g]) {
                    herkunft_schreiben(s, g);
                }
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
    s->signale_gesendet = true;
    for (int i : s->ziele) {
        const auto g = static_cast<std::size_t>(i);
        ++s->offen;
        struct Ergebnis {
            Fehler fehler;
            Dateistand stand;
        };
        auto e = std::make_shared<Ergebnis>();
        m_freigaben.auftrag(
            s->pfade[g],
            [s, g, signal, e](Dateisystem& fs) {
                if (!s->daten_ok[g]) {
                    return;
                }
                e->fehler = fs.ersetzen_fluechtig(s->pfade[g] + k_signaldatei, signal);
                // What it is now known by, to remove it later and never show it here.
                if (!e->fehler) {
                    e->stand = fs.stand(s->pfade[g] + k_signaldatei);
                }
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), s, g, e](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                s->signal_beantwortet[g] = true;
                if (!ausgefuehrt && s->daten_ok[g]) {
                    schreibfehler("Gruppe " + std::to_string(g + 1), keine_antwort(s->pfade[g]));
                } else if (e->fehler) {
                    schreibfehler("Gruppe " + std::to_string(g + 1), e->fehler);
                } else if (ausgefuehrt && s->daten_ok[g]) {
                    if (e->stand.art == Dateistand::Art::datei) {
                        signal_geschrieben(g, e->stand.info);
                    }
                    herkunft_schreiben(s, g);
                }
                --s->offen;
                erledigt(s);
            },
            k_verfall_ms, Spur::alarm);
    }
}

void Alarmversand::herkunft_schreiben(const std::shared_ptr<Sendung>& s, std::size_t g)
{
    if (s->herkunft.empty() || s->herkunft_unterwegs[g]) {
        return;
    }
    // In the group's queue for records, after its signal file: the record never delays the alarm.
    s->herkunft_unterwegs[g] = true;
    auto fehler = std::make_shared<Fehler>();
    m_freigaben.auftrag(
        s->pfade[g],
        [s, g, fehler](Dateisystem& fs) {
            *fehler = fs.ersetzen_fluechtig(s->pfade[g] + k_herkunftsdatei, s->herkunft);
        },
        [this, lebt = std::weak_ptr<bool>(m_lebt), fehler, g](bool) {
            if (lebt.lock() && *fehler) {
                m_log.logeintrag("Herkunft nicht geschrieben, Gruppe " + std::to_string(g + 1) + ": " +
                                 fehler->meldungstext());
            }
        },
        k_verfall_ms, Spur::begleit);
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
            k_verfall_ms, Spur::alarm);
        m_in_uebergabe = false;
    }
    m_bestaetigung.einschalten();
    m_abfragetakt->setInterval(15000);
    m_nachricht_gesendet = true;
    m_abfragetakt->start();
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
            },
            -1, Spur::alarm);
        m_import_frei = true;
        m_import_wartet = false;
        m_abfragetakt->setInterval(2000);
        // For the rest of this tick the file is gone, as it is once removed.
        importsignal = false;
    }
    return false;
}

void Alarmversand::signal_geschrieben(std::size_t g, const Dateiinfo& info)
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    auto& eigene = m_eigene[g];
    std::erase_if(eigene,
                  [&](const Eigene& e) { return !e.offen && jetzt - e.geschrieben_ms > k_eigene_merken_ms; });
    // Due with the send's clean-up tick; one written after it gets its receivers' 15 s from now.
    eigene.push_back({info, jetzt, jetzt + k_aufraeumwartezeit_ms});
}

bool Alarmversand::eigene_signaldatei(int index, const Dateiinfo& info) const
{
    if (index < 0 || index >= k_gruppen) {
        return false;
    }
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    for (const Eigene& e : m_eigene[static_cast<std::size_t>(index)]) {
        if (e.info == info && jetzt - e.geschrieben_ms <= k_eigene_merken_ms) {
            return true;
        }
    }
    return false;
}

void Alarmversand::aufraeumen(std::array<std::optional<Verzeichnisbefund>, k_gruppen + 1>& befunde)
{
    m_abfragetakt->stop();
    // This desk's own signal files go, each while it is still the file this
    // desk wrote, whether this tick's look at its directory answered in time
    // or not. Another sender's, written meanwhile, belongs to a later alarm
    // whose receivers need their 15 s: its own sender removes it.
    for (std::size_t g = 0; g < k_gruppen; ++g) {
        std::optional<Verzeichnisbefund>& b = befunde[g];
        bool eigen = false;
        for (std::size_t n = 0; n < m_eigene[g].size(); ++n) {
            Eigene& e = m_eigene[g][n];
            if (!e.offen) {
                continue;
            }
            if (b && b->signal.art == Dateistand::Art::datei && b->signal.info == e.info) {
                // For the rest of this tick the file is gone, as it is once removed.
                b->signal.art = Dateistand::Art::fehlt;
                eigen = true;
            }
            if (!e.unterwegs) {
                entfernen(g, n);
            }
        }
        if (!eigen && b && b->signal.art == Dateistand::Art::datei) {
            liegengebliebenes_entfernen(g, b->signal.info);
        }
    }
    m_abfragetakt->setInterval(5000);
    m_nachricht_gesendet = false;
    m_abfragetakt->start();
}

void Alarmversand::liegengebliebenes_entfernen(std::size_t g, const Dateiinfo& gesehen)
{
    // A signal file older than the wait by the share's own clock (desks'
    // clocks differ) was left by a sender that stopped before its clean-up;
    // receivers that count a group as presented while any signal file lies
    // there would miss its next alarm. The clock is that of this desk's own
    // presence record there; without one nothing is judged.
    const std::string& pfad = m_einstellungen.einstellungen().gruppenpfad[g];
    const std::optional<std::int64_t> jetzt =
        m_freigabeuhr ? m_freigabeuhr->freigabezeit_ns(pfad) : std::nullopt;
    if (pfad.empty() || !jetzt ||
        *jetzt - gesehen.geaendert_ns <= std::int64_t{k_aufraeumwartezeit_ms} * 1000000) {
        return;
    }
    auto fehler = std::make_shared<std::optional<Fehler>>();
    m_freigaben.auftrag(
        pfad,
        [fehler, gesehen, ziel = pfad + k_signaldatei](Dateisystem& fs) {
            // Removed only while it is still the same file.
            if (fs.info(ziel) == gesehen) {
                *fehler = fs.loeschen(ziel);
            }
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
        k_verfall_ms, Spur::alarm);
}

void Alarmversand::eigene_entfernen()
{
    if (m_nachricht_gesendet) {
        return;
    }
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    for (std::size_t g = 0; g < k_gruppen; ++g) {
        for (std::size_t n = 0; n < m_eigene[g].size(); ++n) {
            const Eigene& e = m_eigene[g][n];
            if (e.offen && !e.unterwegs && jetzt >= e.faellig_ms) {
                entfernen(g, n);
            }
        }
    }
}

void Alarmversand::entfernen(std::size_t g, std::size_t nummer)
{
    const std::string& pfad = m_einstellungen.einstellungen().gruppenpfad[g];
    Eigene& e = m_eigene[g][nummer];
    if (pfad.empty()) {
        e.offen = false;
        return;
    }
    e.unterwegs = true;
    struct Antwort {
        Entfernung ergebnis = Entfernung::gescheitert;
        Fehler fehler;
    };
    auto a = std::make_shared<Antwort>();
    m_freigaben.auftrag(
        pfad,
        [a, gesehen = e.info, ziel = pfad + k_signaldatei](Dateisystem& fs) {
            const Dateistand st = fs.stand(ziel);
            if (st.art == Dateistand::Art::fehler) {
                a->fehler = st.fehler;
            } else if (st.art != Dateistand::Art::datei || st.info != gesehen) {
                // Removed by another desk, or another sender's file in its place.
                a->ergebnis = Entfernung::weg;
            } else {
                a->fehler = fs.loeschen(ziel);
                a->ergebnis = a->fehler ? Entfernung::gescheitert : Entfernung::geloescht;
            }
        },
        [this, lebt = std::weak_ptr<bool>(m_lebt), a, g, info = e.info, pfad](bool ausgefuehrt) {
            if (!lebt.lock()) {
                return;
            }
            entfernt(g, info, ausgefuehrt ? a->ergebnis : Entfernung::gescheitert,
                     ausgefuehrt ? a->fehler : keine_antwort(pfad));
        },
        k_verfall_ms, Spur::alarm);
}

void Alarmversand::entfernt(std::size_t g, const Dateiinfo& info, Entfernung ergebnis, const Fehler& f)
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    for (Eigene& e : m_eigene[g]) {
        if (!e.offen || !(e.info == info)) {
            continue;
        }
        e.unterwegs = false;
        if (ergebnis == Entfernung::geloescht) {
            e.offen = false;
            m_log.logeintrag("Message - gelöscht");
            m_bestaetigung.ok_freigeben();
        } else if (ergebnis == Entfernung::weg) {
            e.offen = false;
        } else {
            // Tried again at the next ticks; only the end of the tries is logged.
            if (e.erster_fehlschlag_ms < 0) {
                e.erster_fehlschlag_ms = jetzt;
            }
            e.faellig_ms = jetzt + k_loeschabstand_ms;
            if (jetzt - e.erster_fehlschlag_ms >= k_loeschversuche_ms) {
                e.offen = false;
                m_log.logeintrag("Message nicht gelöscht: " + f.meldungstext());
            }
        }
        return;
    }
}

} // namespace hestrel
