#include "exchange/alarmversand.h"

#include <algorithm>
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
    Herkunft herkunft_daten;
    // A test alarm not sent into the group: another alarm lies there.
    std::array<bool, k_gruppen> besetzt{};
    // A real alarm whose signal file is taken away for a moment and written again.
    std::array<bool, k_gruppen> luecke{};
};

Alarmversand::Alarmversand(Einstellungsverwaltung& einstellungen, Logbuch& log, Freigabedienst& freigaben,
                           Scheduler& scheduler, Meldungsdienst& boxen, Alarmgesendet& bestaetigung)
    : m_einstellungen(einstellungen), m_log(log), m_freigaben(freigaben), m_boxen(boxen),
      m_bestaetigung(bestaetigung), m_scheduler(scheduler),
      m_frist(scheduler.timer("Sendefrist", k_sendefrist_ms)), m_luecketakt(scheduler.timer("Luecke", 500))
{
    m_frist->tick = [this] { frist_abgelaufen(); };
    m_luecketakt->tick = [this] { luecken_pflegen(); };
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
    // A real alarm is never held back for its text; one that begins like a
    // test alarm's goes without that beginning, so that nobody at an older
    // desk takes it for a test, and the sender is told to change the text.
    bool vorsatz_entfernt = false;
    while (!probe && ist_probealarm(texte[0])) {
        texte[0].erase(0, k_probevorsatz.size());
        vorsatz_entfernt = true;
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
        s->herkunft_daten = h;
    }
    m_sendung = s;
    for (int i : s->ziele) {
        const auto g = static_cast<std::size_t>(i);
        ++s->offen;
        auto bericht = std::make_shared<Ersetzbericht>();
        // A test alarm never goes where another alarm lies, or has just been
        // written (its data file younger than the clean-up's wait by the
        // share's clock): it would take that alarm's text and signal file.
        std::optional<std::int64_t> freigabezeit;
        if (probe) {
            freigabezeit = freigabezeit_ns(s->pfade[g]);
        }
        m_freigaben.auftrag(
            s->pfade[g],
            [s, g, daten, bericht, freigabezeit](Dateisystem& fs) {
                if (s->probe) {
                    const Dateistand signal = fs.stand(s->pfade[g] + k_signaldatei);
                    const Dateistand alt = fs.stand(s->pfade[g] + k_sendedatei);
                    const std::int64_t wartezeit_ns = std::int64_t{k_aufraeumwartezeit_ms} * 1000000;
                    if (signal.art == Dateistand::Art::datei ||
                        (freigabezeit && alt.art == Dateistand::Art::datei &&
                         *freigabezeit - alt.info.geaendert_ns < wartezeit_ns)) {
                        s->besetzt[g] = true;
                        return;
                    }
                }
                s->datenfehler[g] = fs.ersetzen_berichtet(s->pfade[g] + k_sendedatei, daten, *bericht);
                s->daten_ok[g] = !s->datenfehler[g];
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), s, g, bericht](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                s->daten_beantwortet[g] = true;
                if (s->besetzt[g]) {
                    m_log.logeintrag("Probealarm nicht gesendet, Gruppe " + std::to_string(g + 1) +
                                     ": dort ist gerade ein Alarm unterwegs");
                } else if (!s->daten_ok[g]) {
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
    if (vorsatz_entfernt) {
        m_log.logeintrag("Alarmtext begann mit \"" + std::string(k_probevorsatz) +
                         "\": als Alarm ohne diesen Anfang gesendet");
        m_boxen.hinweis(k_programmtitel,
                        "Der Alarm wurde gesendet, aber ohne den Anfang \"" + std::string(k_probevorsatz) +
                            "\" seines Textes: so beginnen nur Probealarme. Bitte den Text in der "
                            "Meldeliste ändern; für eine Probe gibt es \"Probealarm\" im Menü.");
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
    // A test alarm that could go nowhere: no confirmation, only why (bericht).
    if (s->probe && std::all_of(s->ziele.begin(), s->ziele.end(), [&](int i) {
            const auto g = static_cast<std::size_t>(i);
            return s->daten_beantwortet[g] && s->besetzt[g];
        })) {
        erledigt(s);
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
            bool herkunft = false;
        };
        auto e = std::make_shared<Ergebnis>();
        std::vector<Dateiinfo> probe_dateien;
        s->luecke[g] = !s->probe && luecke_noetig(g, probe_dateien);
        m_freigaben.auftrag(
            s->pfade[g],
            [s, g, signal, e, probe_dateien](Dateisystem& fs) {
                if (!s->daten_ok[g]) {
                    return;
                }
                // A test alarm of this desk still lying there, whatever this desk remembers of it.
                if (!s->probe && !s->luecke[g] && !probe_dateien.empty()) {
                    const Dateistand vorher = fs.stand(s->pfade[g] + k_signaldatei);
                    s->luecke[g] = vorher.art == Dateistand::Art::datei &&
                                   std::find(probe_dateien.begin(), probe_dateien.end(), vorher.info) !=
                                       probe_dateien.end();
                }
                e->fehler = fs.ersetzen_fluechtig(s->pfade[g] + k_signaldatei, signal);
                // What it is now known by, to remove it later and never show it here.
                if (!e->fehler) {
                    e->stand = fs.stand(s->pfade[g] + k_signaldatei);
                    // A test alarm is one only by its origin record: it follows at once.
                    if (s->probe && !s->herkunft.empty()) {
                        e->herkunft = !fs.ersetzen_fluechtig(s->pfade[g] + k_herkunftsdatei, s->herkunft);
                    }
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
                        signal_geschrieben(g, e->stand.info, s->probe);
                        if (s->luecke[g]) {
                            m_luecken.push_back({g, e->stand.info,
                                                 m_scheduler.jetzt_ms() + k_luecke_vorlauf_ms, false, false,
                                                 s});
                            m_luecketakt->start();
                        }
                    }
                    if (!e->herkunft) {
                        herkunft_schreiben(s, g);
                    }
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
    besetzt_zeigen(s);
}

void Alarmversand::besetzt_zeigen(const std::shared_ptr<Sendung>& s)
{
    std::vector<int> gruppen;
    for (int i : s->ziele) {
        if (s->daten_beantwortet[static_cast<std::size_t>(i)] && s->besetzt[static_cast<std::size_t>(i)]) {
            gruppen.push_back(i + 1);
        }
    }
    if (gruppen.empty()) {
        return;
    }
    std::string wo = gruppen.size() == 1 ? "in Gruppe " : "in den Gruppen ";
    for (std::size_t n = 0; n < gruppen.size(); ++n) {
        wo += (n == 0 ? "" : ", ") + std::to_string(gruppen[n]);
    }
    m_boxen.hinweis(k_programmtitel,
                    "Der Probealarm wurde " + wo +
                        " nicht gesendet: dort ist gerade ein Alarm eines anderen Platzes "
                        "unterwegs, den er verdecken würde. Bitte in einer Minute noch einmal "
                        "\"Probealarm\" wählen.");
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

void Alarmversand::signal_geschrieben(std::size_t g, const Dateiinfo& info, bool probe, bool wiederholt)
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    auto& eigene = m_eigene[g];
    std::erase_if(eigene,
                  [&](const Eigene& e) { return !e.offen && jetzt - e.geschrieben_ms > k_eigene_merken_ms; });
    // Due with the send's clean-up tick; one written after it gets its receivers' 15 s from now.
    Eigene e{info, jetzt, jetzt + k_aufraeumwartezeit_ms};
    e.probe = probe;
    e.wiederholt = wiederholt;
    eigene.push_back(e);
}

bool Alarmversand::luecke_noetig(std::size_t g, std::vector<Dateiinfo>& probe_dateien) const
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    bool noetig = false;
    for (const Eigene& e : m_eigene[g]) {
        if (!e.probe || jetzt - e.geschrieben_ms > k_eigene_merken_ms) {
            continue;
        }
        probe_dateien.push_back(e.info);
        // Still there, or gone less than an older workstation's poll ago: it may not have looked since.
        if (e.offen || (e.weg_ms >= 0 && jetzt - e.weg_ms < k_luecke_ms)) {
            noetig = true;
        }
    }
    return noetig;
}

void Alarmversand::luecken_pflegen()
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    for (Luecke& l : m_luecken) {
        if (l.unterwegs || jetzt < l.faellig_ms) {
            continue;
        }
        l.unterwegs = true;
        luecke_schliessen(l);
    }
    // A step that answered at once may have ended its pause; the others' answers come later.
    std::erase_if(m_luecken, [](const Luecke& l) { return l.gruppe >= k_gruppen; });
    if (m_luecken.empty()) {
        m_luecketakt->stop();
    }
}

void Alarmversand::luecke_schliessen(Luecke& l)
{
    const std::size_t g = l.gruppe;
    const std::string& pfad = m_einstellungen.einstellungen().gruppenpfad[g];
    if (pfad.empty()) {
        l.gruppe = k_gruppen; // done
        return;
    }
    struct Antwort {
        bool erledigt = false; // the step was taken
        Dateistand stand;
        Fehler fehler;
    };
    auto a = std::make_shared<Antwort>();
    const Dateiinfo signal = l.signal;
    const bool entfernt = l.entfernt;
    const std::string kennung = utf8_zu_cp1252(m_einstellungen.einstellungen().idnummer);
    Herkunft h = l.sendung->herkunft_daten;
    h.wiederholt = true;
    m_freigaben.auftrag(
        pfad,
        [a, pfad, signal, entfernt, kennung, h](Dateisystem& fs) mutable {
            const Dateistand jetzt = fs.stand(pfad + k_signaldatei);
            if (!entfernt) {
                // Taken away only while it is still this alarm's file.
                if (jetzt.art == Dateistand::Art::datei && jetzt.info == signal) {
                    a->fehler = fs.loeschen(pfad + k_signaldatei);
                    a->erledigt = !a->fehler;
                }
                return;
            }
            // Written again only where no other alarm has come meanwhile; the
            // origin record, with the data file's check sum, right after it.
            if (jetzt.art != Dateistand::Art::fehlt) {
                return;
            }
            std::string daten;
            if ((a->fehler = fs.lesen(pfad + k_sendedatei, daten, k_max_alarmtext))) {
                return;
            }
            if ((a->fehler = fs.ersetzen_fluechtig(pfad + k_signaldatei, kennung))) {
                return;
            }
            a->erledigt = true;
            a->stand = fs.stand(pfad + k_signaldatei);
            if (!h.alarm.empty()) {
                h.pruefsumme = pruefsumme(daten);
                fs.ersetzen_fluechtig(pfad + k_herkunftsdatei, kodieren(h));
            }
        },
        [this, lebt = std::weak_ptr<bool>(m_lebt), a, g, signal, entfernt](bool ausgefuehrt) {
            if (!lebt.lock()) {
                return;
            }
            const std::int64_t jetzt = m_scheduler.jetzt_ms();
            for (Luecke& l : m_luecken) {
                if (l.gruppe != g || !(l.signal == signal)) {
                    continue;
                }
                l.unterwegs = false;
                if (!entfernt && ausgefuehrt && a->erledigt) {
                    // Gone for the clean-up: this file is no longer there to remove.
                    for (Eigene& e : m_eigene[g]) {
                        if (e.offen && e.info == signal) {
                            e.offen = false;
                            e.weg_ms = jetzt;
                        }
                    }
                    l.entfernt = true;
                    l.faellig_ms = jetzt + k_luecke_ms;
                    continue;
                }
                if (entfernt && ausgefuehrt && a->erledigt) {
                    if (a->stand.art == Dateistand::Art::datei) {
                        signal_geschrieben(g, a->stand.info, false, true);
                    }
                    m_log.logeintrag("Gruppe " + std::to_string(g + 1) +
                                     ": Message nach einer Pause erneut geschrieben, für ältere Plätze");
                } else if (a->fehler) {
                    m_log.logeintrag("Gruppe " + std::to_string(g + 1) +
                                     (entfernt ? ": Message nicht erneut geschrieben: "
                                               : ": Message für ältere Plätze nicht kurz entfernt: ") +
                                     a->fehler.meldungstext());
                }
                // Replaced by another alarm, removed by another desk, or written
                // again: done, and dropped at the next tick.
                l.gruppe = k_gruppen;
            }
        },
        k_verfall_ms, Spur::alarm);
}

std::optional<std::int64_t> Alarmversand::freigabezeit_ns(const std::string& pfad) const
{
    return m_freigabeuhr ? m_freigabeuhr->freigabezeit_ns(pfad) : std::nullopt;
}

bool Alarmversand::schreibt_wieder(int index) const
{
    return std::any_of(m_luecken.begin(), m_luecken.end(), [index](const Luecke& l) {
        return l.gruppe == static_cast<std::size_t>(index) && l.entfernt && l.unterwegs;
    });
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
            if (e.wiederholt) {
                // Written again after a pause: its receivers get their 15 s; removed when due.
                eigen = eigen || (b && b->signal.art == Dateistand::Art::datei && b->signal.info == e.info);
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
    const std::optional<std::int64_t> jetzt = freigabezeit_ns(pfad);
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
            e.weg_ms = jetzt;
            m_log.logeintrag("Message - gelöscht");
            m_bestaetigung.ok_freigeben();
        } else if (ergebnis == Entfernung::weg) {
            e.offen = false;
            e.weg_ms = jetzt;
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
