#include "reliability/anlage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "arbeitsplatz/arbeitsplatz.h"
#include "console/meldeliste.h"
#include "core/cp1252.h"
#include "core/textdatei.h"
#include "einstellungen/zusatzeinstellungen.h"
#include "exchange/alarmversand.h"
#include "exchange/anwesenheitsmelder.h"
#include "exchange/begleitdateien.h"
#include "presentation/alarmanzeige.h"
#include "reliability/altplatz.h"
#include "reliability/protokolldateisystem.h"
#include "support/haltefreigaben.h"
#include "support/testarbeitsplatz.h"
#include "support/testumgebung.h"
#include "tray/traymenue.h"

namespace hestrel::test {
namespace {

constexpr const char* k_signal = "MESSAGE.XQV";
constexpr const char* k_daten = "MDAT0.XQV";
constexpr std::int64_t k_anwesenheitsprobe_ms = 600000;
// "PROBEALARM – " as it stands in the files and the journal.
const std::string k_probevorsatz_cp1252 = utf8_zu_cp1252(std::string(k_probevorsatz));
// "Probealarm" in the tray menu.
const int k_probealarmpunkt = [] {
    for (std::size_t i = 0; i < k_traymenue.size(); ++i) {
        if (std::string_view(k_traymenue[i].text) == "Probealarm") {
            return static_cast<int>(i);
        }
    }
    return -1;
}();
constexpr std::int64_t k_stunde_ms = 3600000;

// The kind of a record by its name; "" for a file that is none.
std::string begleitart(const std::string& name)
{
    if (name.rfind(k_begleitpraefix, 0) != 0) {
        return "";
    }
    for (const char* art : {"da", "probe", "herkunft", "antwort"}) {
        if (name.rfind(std::string(k_begleitpraefix) + art, 0) == 0) {
            return art;
        }
    }
    return "sonst";
}

std::string name_von(const std::string& pfad)
{
    return pfad.substr(pfad.find_last_of('/') + 1);
}

std::string verzeichnis_von(const std::string& pfad)
{
    return pfad.substr(0, pfad.find_last_of('/') + 1);
}

std::uint64_t mischen(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

} // namespace

struct Anlage::Platz {
    int nummer = 0;
    // An older workstation: runs as Altplatz instead of a whole engine.
    bool alt = false;
    std::string daten;
    std::vector<int> gruppen;
    // Its name on the shares (Hestrel-Zusatz.ini), "Platz-07".
    std::string name;
    int lauf = -1;
    // The start of the run, or the end of the last one and whether its records were taken off.
    std::int64_t seit = -1;
    std::int64_t gestoppt = -1;
    bool sauber = false;
    // The group whose signal file this workstation read last; -1: another directory.
    int zuletzt_gelesen = -1;
    // The tick in progress looked for signal files.
    bool hat_gepollt = false;
    std::unique_ptr<Protokolldateisystem> fs;
    std::unique_ptr<Haltefreigaben> freigaben;
    int lesefehler_in_folge = 0;
    std::unique_ptr<FakeMeldungsdienst> boxen;
    std::unique_ptr<FakePort> port;
    std::unique_ptr<Testarbeitsplatz> ap;
    std::unique_ptr<Altplatz> altplatz;
    bool laeuft() const { return ap || altplatz; }
};

Anlage::Anlage(Anlagenparameter p, std::string wurzel)
    : m_p(p), m_wurzel(std::move(wurzel)), m_zufall(p.seed), m_buch(p.gruppen),
      m_gruppe_weg(static_cast<std::size_t>(p.gruppen), false),
      m_gruppe_haengt(static_cast<std::size_t>(p.gruppen), false),
      m_gruppe_wieder(static_cast<std::size_t>(p.gruppen), -1)
{
    std::filesystem::remove_all(m_wurzel);
    for (int g = 0; g < m_p.gruppen; ++g) {
        std::filesystem::create_directories(gruppenpfad(g));
    }
    m_import = m_wurzel + "/import/";
    std::filesystem::create_directories(m_import);

    for (int n = 0; n < m_p.plaetze; ++n) {
        auto platz = std::make_unique<Platz>();
        platz->nummer = n;
        platz->daten = m_wurzel + "/platz" + std::to_string(n + 1);
        std::filesystem::create_directories(platz->daten);
        // Each workstation polls 3 to 15 of the groups.
        std::vector<int> alle(static_cast<std::size_t>(m_p.gruppen));
        for (int g = 0; g < m_p.gruppen; ++g) {
            alle[static_cast<std::size_t>(g)] = g;
        }
        std::shuffle(alle.begin(), alle.end(), m_zufall);
        const int anzahl = std::uniform_int_distribution<int>(3, std::min(15, m_p.gruppen))(m_zufall);
        platz->gruppen.assign(alle.begin(), alle.begin() + anzahl);
        std::sort(platz->gruppen.begin(), platz->gruppen.end());

        std::vector<std::string> z(68);
        z[1] = m_import;
        z[2] = "1";
        z[3] = "0";
        z[6] = "Taste 1";
        z[7] = "0";
        z[8] = "1";
        z[9] = " 250";
        z[10] = "1";
        z[25] = "keine";
        z[66] = "0";
        z[67] = "0";
        for (int g : platz->gruppen) {
            z[static_cast<std::size_t>(g < 10 ? 11 + g : 16 + g)] = gruppenpfad(g);
        }
        datei_schreiben(platz->daten + "/Hestrel.DAT", zeilen_kodieren(z));
        const std::string nummer = std::to_string(n + 1);
        platz->name = "Platz-" + std::string(nummer.size() < 2 ? 1 : 0, '0') + nummer;
        m_plaetze.push_back(std::move(platz));
    }
    // Which places are older ones, drawn apart from the course of events, so
    // that every share runs the same alarms, restarts and outages.
    std::vector<int> reihe(static_cast<std::size_t>(m_p.plaetze));
    for (int n = 0; n < m_p.plaetze; ++n) {
        reihe[static_cast<std::size_t>(n)] = n;
    }
    std::mt19937_64 wahl(mischen(m_p.seed ^ 0xA17ULL));
    std::shuffle(reihe.begin(), reihe.end(), wahl);
    const auto alte =
        static_cast<std::size_t>(std::lround(std::clamp(m_p.alt_anteil, 0.0, 1.0) * m_p.plaetze));
    for (std::size_t k = 0; k < alte; ++k) {
        m_plaetze[static_cast<std::size_t>(reihe[k])]->alt = true;
    }
    // Each Hestrel workstation under its own name; a site of Hestrel workstations only says so.
    EchtesDateisystem echt;
    for (auto& platz : m_plaetze) {
        if (!platz->alt) {
            Zusatzeinstellungen zusatz = zusatz_voreinstellungen();
            zusatz.platzname = platz->name;
            zusatz.nur_hestrel = alte == 0;
            zusatz_speichern(echt, platz->daten, zusatz);
        }
    }
    // A workstation's place stays within its directories plus the origin record and a probe.
    m_buch.begleitgrenze = m_p.plaetze + 2;
}

Anlage::~Anlage()
{
    for (auto& p : m_plaetze) {
        p->ap.reset();
        p->altplatz.reset();
    }
    std::error_code fehler;
    std::filesystem::remove_all(m_wurzel, fehler);
}

std::string Anlage::gruppenpfad(int g) const
{
    const std::string nummer = std::to_string(g + 1);
    return m_wurzel + "/gruppe" + std::string(nummer.size() < 2 ? 1 : 0, '0') + nummer + "/";
}

int Anlage::gruppe_von(const std::string& pfad) const
{
    const std::string verzeichnis = verzeichnis_von(pfad);
    const std::string vorne = m_wurzel + "/gruppe";
    if (verzeichnis.rfind(vorne, 0) != 0 || verzeichnis.size() != vorne.size() + 3) {
        return -1;
    }
    return std::stoi(verzeichnis.substr(vorne.size(), 2)) - 1;
}

void Anlage::planen(std::int64_t zeit, std::function<void()> tun)
{
    if (!m_uhr_laeuft) {
        m_ereignisse.push({zeit, m_folge++, std::move(tun)});
        return;
    }
    // The queue is looked at only when the clock stops: an event put there now
    // would happen at the next site event, perhaps minutes late.
    std::unique_ptr<Zeitgeber> t =
        m_uhr.timer("Anlage", static_cast<int>(std::max<std::int64_t>(1, zeit - m_uhr.now_ms())));
    Zeitgeber* z = t.get();
    t->tick = [z, tun = std::move(tun)] {
        z->stop();
        tun();
    };
    t->start();
    m_zeitgeber.push_back(std::move(t));
}

std::int64_t Anlage::pause(double mittel_s)
{
    return static_cast<std::int64_t>(std::exponential_distribution<double>(1.0 / mittel_s)(m_zufall) * 1000) +
           1;
}

void Anlage::starten(Platz& p)
{
    Protokolldateisystem::Beobachter b;
    b.geschrieben = [this, &p](const std::string& pfad) {
        alt_beruehrt(p, pfad);
        const int g = gruppe_von(pfad);
        if (g >= 0 && name_von(pfad) == k_signal) {
            m_buch.signal_geschrieben(g, p.lauf, m_uhr.now_ms(),
                                      datei_lesen(verzeichnis_von(pfad) + k_daten));
        }
    };
    b.geloescht = [this, &p](const std::string& pfad) {
        alt_beruehrt(p, pfad);
        const int g = gruppe_von(pfad);
        if (g >= 0 && name_von(pfad) == k_signal) {
            m_buch.signal_geloescht(g, p.lauf, m_uhr.now_ms());
        }
    };
    b.gelesen = [this, &p](const std::string& pfad) {
        alt_beruehrt(p, pfad);
        if (name_von(pfad) == k_signal) {
            p.zuletzt_gelesen = gruppe_von(pfad);
        }
    };
    // The poll of a tick begins with the import directory's signal file.
    const std::string importsignal = m_import + k_signal;
    b.gefragt = [this, &p, importsignal](const std::string& pfad) {
        alt_beruehrt(p, pfad);
        if (pfad == importsignal) {
            p.hat_gepollt = true;
        }
    };
    b.angehaengt = [this, &p](const std::string& pfad, const std::string& inhalt) {
        if (pfad == p.daten + "/Hestrel.log") {
            // The self-supervision's entries: "Überwachung: [behoben: ]Gruppe N …".
            const auto an = inhalt.find("berwachung: ");
            if (an == std::string::npos) {
                return;
            }
            std::string text = inhalt.substr(an + 12);
            const bool beginn = text.rfind("behoben: ", 0) != 0;
            if (!beginn) {
                text.erase(0, 9);
            }
            const int g = text.rfind("Gruppe ", 0) == 0 ? std::atoi(text.c_str() + 7) - 1 : -1;
            m_buch.warnung(p.lauf, g, m_uhr.now_ms(), beginn);
            return;
        }
        if (pfad != p.daten + "/mameldung.log") {
            return;
        }
        // "Antwort von Platz-07 (…): Ich komme, …": the sender shows an answer.
        if (const auto von = inhalt.find("Antwort von Platz-"); von != std::string::npos) {
            const auto n = static_cast<std::size_t>(std::atoi(inhalt.c_str() + von + 18) - 1);
            if (n < m_plaetze.size()) {
                m_buch.antwort_gezeigt_bei(p.lauf, m_plaetze[n]->lauf, m_uhr.now_ms());
            }
            return;
        }
        if (inhalt.find("Antwort gesendet") != std::string::npos) {
            return;
        }
        // "date time Alarm aus Gruppe N von:" CR, the text, CR LF.
        const auto anfang = inhalt.find(" von:\r");
        if (anfang == std::string::npos || p.zuletzt_gelesen < 0) {
            ++m_buch.zaehler["fremde_anzeige"];
            return;
        }
        const std::string text = inhalt.substr(anfang + 6, inhalt.size() - anfang - 8);
        const std::string datei = datei_lesen(gruppenpfad(p.zuletzt_gelesen) + k_daten);
        const std::string nummer = "Gruppe " + std::to_string(p.zuletzt_gelesen + 1) + " von:";
        // The texts begin "Alarm n" CR LF: which alarm this was.
        const long alarm = alarmnummer(text);
        if (text.rfind(k_probevorsatz_cp1252, 0) == 0) {
            ++m_buch.zaehler[p.alt ? "probe_gezeigt_alt" : "probe_gezeigt"];
            // A Hestrel receiver shows a test alarm as one, below any real alarm
            // still open; the window keeps the alarm's red only for such a one.
            if (!p.alt) {
                const Alarmanzeige& anz = p.ap->alarmanzeige();
                const OffenerAlarm* neu = anz.alarm(anz.alarmnummer());
                const bool echter_offen = std::any_of(anz.alarme().begin(), anz.alarme().end(),
                                                      [](const OffenerAlarm& a) { return !a.probe; });
                if (!neu || !neu->probe || (anz.hauptfarbe() == k_rot) != echter_offen) {
                    ++m_buch.zaehler["probe_als_alarm"];
                }
            }
        }
        m_buch.praesentiert(p.lauf, p.zuletzt_gelesen, m_uhr.now_ms(),
                            text == datei && inhalt.find(nummer) != std::string::npos, alarm);
        // Every third alarm a Hestrel receiver shows is answered "Ich komme"
        // two seconds on, once its origin is known (no random draw: the
        // site's course stays the same with answers off). The answer goes to
        // the alarm the window shows then, which may be a later one than this.
        if (m_p.antworten && !p.alt && ++m_antwortzaehler % 3 == 0) {
            const int antwortlauf = p.lauf;
            planen(m_uhr.now_ms() + 2000, [this, &p, antwortlauf] {
                if (p.lauf != antwortlauf || !p.ap || !p.ap->alarmanzeige().sichtbar() ||
                    !p.ap->alarmanzeige().antwort_moeglich()) {
                    return;
                }
                const long nummer = alarmnummer(p.ap->alarmanzeige().alarmtext());
                p.ap->alarmanzeige().antwort_geklickt();
                m_buch.antwort_geschrieben(nummer, antwortlauf, m_uhr.now_ms());
            });
        }
        // Someone closes the alarm window a minute later.
        const int lauf = p.lauf;
        planen(m_uhr.now_ms() + 60000, [&p, lauf] {
            if (p.lauf == lauf && p.ap) {
                p.ap->alarmanzeige().schliessen_geklickt();
            }
        });
    };
    b.lesestoerung = [this, &p](const std::string& pfad) { return lesestoerung(p, pfad); };
    // Simulated time on the shares, a day from an arbitrary start.
    b.uhr_ns = [this] { return (std::int64_t{1'700'000'000'000} + m_uhr.now_ms()) * 1'000'000; };
    p.lauf = m_buch.lauf_beginnt(p.nummer, p.gruppen, m_uhr.now_ms(), p.alt);
    p.seit = m_uhr.now_ms();
    p.zuletzt_gelesen = -1;
    if (p.alt) {
        auto gebucht = b.geschrieben;
        p.fs = std::make_unique<Protokolldateisystem>(std::move(b));
        auto geschrieben = [&p, gebucht](const std::string& pfad) {
            p.fs->zeit_setzen(pfad);
            gebucht(pfad);
        };
        Altplatz::Umgebung u{
            *p.fs, m_uhr, p.daten, m_import, {}, geschrieben, [this](const std::string& verzeichnis) {
                const int g = gruppe_von(verzeichnis + k_signal);
                return g >= 0 && m_gruppe_haengt[static_cast<std::size_t>(g)];
            }};
        for (int g : p.gruppen) {
            u.gruppenpfad[static_cast<std::size_t>(g)] = gruppenpfad(g);
        }
        p.altplatz = std::make_unique<Altplatz>(std::move(u));
        p.altplatz->gepollt = [this, &p] { m_buch.hoert_ab(p.lauf, m_uhr.now_ms()); };
        // A workstation held by a hanging share does not listen until its next poll.
        p.altplatz->angehalten = [this, &p] {
            m_buch.taub_ab(p.lauf, m_uhr.now_ms());
            ++m_buch.zaehler["alt_angehalten"];
        };
        return;
    }
    p.fs = std::make_unique<Protokolldateisystem>(std::move(b));
    p.freigaben = std::make_unique<Haltefreigaben>(*p.fs, m_uhr, [this] { return m_uhr.now_ms(); });
    for (int g = 0; g < m_p.gruppen; ++g) {
        if (m_gruppe_haengt[static_cast<std::size_t>(g)]) {
            p.freigaben->halten(gruppenpfad(g));
        }
    }
    p.boxen = std::make_unique<FakeMeldungsdienst>();
    p.port = std::make_unique<FakePort>();
    p.ap = std::make_unique<Testarbeitsplatz>(
        Dienste{*p.fs, m_uhr, m_uhr, *p.boxen, *p.port, nullptr, nullptr, p.freigaben.get()});
    p.ap->starten(p.daten);

    auto tick = p.ap->alarmempfang().abfragetakt().tick;
    p.ap->alarmempfang().abfragetakt().tick = [this, &p, tick] {
        p.hat_gepollt = false;
        tick();
        const bool hoert = p.hat_gepollt;
        if (hoert) {
            m_buch.hoert_ab(p.lauf, m_uhr.now_ms());
        }
    };
    p.ap->beim_ausloesen = [this, &p] { senden_gebucht(p, [&p] { p.ap->senden(); }); };
}

void Anlage::senden_gebucht(Platz& p, const std::function<void()>& senden)
{
    Alarmversand& versand = p.ap->alarmversand();
    const bool wartete = versand.nachricht_gesendet() || versand.import_wartet();
    const auto boxen = p.boxen->hinweise.size();
    senden();
    // The shares that are not held answer at this moment; the send's wait starts with their answers.
    m_uhr.ausfuehren();
    if (!wartete && versand.nachricht_gesendet()) {
        m_buch.taub_ab(p.lauf, m_uhr.now_ms());
        ++m_buch.zaehler["signal_gesendet"];
    } else if (wartete) {
        ++m_buch.zaehler["nur_texte"];
    }
    if (p.boxen->hinweise.size() > boxen) {
        ++m_buch.zaehler["schreibfehler_gemeldet"];
    }
}

void Anlage::anhalten(Platz& p)
{
    m_buch.lauf_endet(p.lauf, m_uhr.now_ms());
    p.gestoppt = m_uhr.now_ms();
    p.sauber = false;
    p.ap.reset();
    p.altplatz.reset();
    p.freigaben.reset();
    p.fs.reset();
    p.boxen.reset();
    p.port.reset();
    p.lauf = -1;
}

void Anlage::alarm()
{
    planen(m_uhr.now_ms() + pause(m_p.alarmabstand_s), [this] { alarm(); });
    std::vector<Platz*> laufend;
    for (auto& p : m_plaetze) {
        if (p->laeuft()) {
            laufend.push_back(p.get());
        }
    }
    if (laufend.empty()) {
        return;
    }
    Platz& p = *laufend[std::uniform_int_distribution<std::size_t>(0, laufend.size() - 1)(m_zufall)];
    const long n = ++m_alarmnummer;
    const std::array<std::string, 4> texte{"Alarm " + std::to_string(n),
                                           "von Platz " + std::to_string(p.nummer + 1), "",
                                           "um " + std::to_string(m_uhr.now_ms()) + " ms"};
    const bool alle = std::uniform_int_distribution<int>(0, 19)(m_zufall) == 0;
    std::vector<int> ziele;
    if (!alle) {
        ziele = p.gruppen;
        std::shuffle(ziele.begin(), ziele.end(), m_zufall);
        const int k =
            std::uniform_int_distribution<int>(1, std::min<int>(3, static_cast<int>(ziele.size())))(m_zufall);
        ziele.resize(static_cast<std::size_t>(k));
    }
    // Drawn for every alarm, so the course does not depend on the kind of sender.
    const bool stoppen = std::uniform_int_distribution<int>(1, m_p.stopp_nach_senden_jeder)(m_zufall) == 1;
    ++m_buch.zaehler["gesendet"];
    if (p.altplatz) {
        Altplatz& alt = *p.altplatz;
        const bool wartete = alt.nachricht_gesendet() || alt.import_wartet();
        alt.alarm_ausloesen(texte, ziele, alle);
        if (alt.blockiert()) {
            ++m_buch.zaehler["alt_blockiert_gesendet"];
        } else if (!wartete && alt.nachricht_gesendet()) {
            m_buch.taub_ab(p.lauf, m_uhr.now_ms());
            ++m_buch.zaehler["signal_gesendet"];
        } else if (wartete) {
            ++m_buch.zaehler["nur_texte"];
        }
    } else {
        Meldeliste& liste = p.ap->meldeliste();
        for (int i = 0; i < 4; ++i) {
            liste.alarmtext_geaendert(i + 1, texte[static_cast<std::size_t>(i)]);
        }
        liste.alle_gruppen_geklickt(false);
        if (alle) {
            liste.alle_gruppen_geklickt(true);
        }
        for (int g : ziele) {
            liste.meldegruppe_geklickt(g);
        }
        // Every tenth alarm of the site, raised at a Hestrel desk with no alarm
        // of its own under way, is a test alarm from the tray menu.
        Alarmversand& versand = p.ap->alarmversand();
        if (m_p.probealarme && n % 10 == 0 && !versand.nachricht_gesendet() && !versand.import_wartet()) {
            ++m_buch.zaehler["probealarme"];
            senden_gebucht(p, [&p] { p.ap->traymenue().menuepunkt_gewaehlt(k_probealarmpunkt); });
        } else {
            liste.alarm_ausloesen_geklickt();
        }
        // A desk that raises a second alarm while its first is still under way keeps the first one's
        // identity.
        m_buch.alarm_ausgeloest(n, p.lauf, m_uhr.now_ms(), p.ap->alarmversand().alarmkennung());
    }
    if (stoppen) {
        stoppen_nach_senden(p);
    }
}

void Anlage::stoppen_nach_senden(Platz& p)
{
    // Stopped within 15 s of its send, before its clean-up: its signal files stay.
    const std::int64_t nach = std::uniform_int_distribution<std::int64_t>(1000, 14000)(m_zufall);
    const std::int64_t weg = std::uniform_int_distribution<std::int64_t>(30000, 600000)(m_zufall);
    const int lauf = p.lauf;
    planen(m_uhr.now_ms() + nach, [this, &p, lauf, weg] {
        if (p.lauf != lauf) {
            return;
        }
        ++m_buch.zaehler["gestoppt_nach_senden"];
        anhalten(p);
        planen(m_uhr.now_ms() + weg, [this, &p] {
            if (!p.laeuft()) {
                starten(p);
            }
        });
    });
}

bool Anlage::lesestoerung(Platz& p, const std::string& pfad)
{
    if (gruppe_von(pfad) != m_p.flackergruppe || name_von(pfad) != k_daten) {
        return false;
    }
    // A quarter of the reads, decided by place and moment rather than by the
    // course's random numbers, so a mixed site meets the same failures.
    const std::uint64_t wurf = mischen(m_p.seed ^ mischen(static_cast<std::uint64_t>(p.nummer) * 1000003ULL +
                                                          static_cast<std::uint64_t>(m_uhr.now_ms())));
    if (p.lesefehler_in_folge < 2 && wurf % 4 == 0) {
        ++p.lesefehler_in_folge;
        ++m_buch.zaehler["lesefehler"];
        m_buch.lesefehler(p.lauf, gruppe_von(pfad), m_uhr.now_ms());
        return true;
    }
    p.lesefehler_in_folge = 0;
    return false;
}

void Anlage::beenden(Platz& p)
{
    if (!p.ap) {
        anhalten(p);
        return;
    }
    // As at "Beenden" or SIGTERM: the records come off the shares before the program ends.
    bool abgemeldet = false;
    static_cast<Traybefehle&>(*p.ap).abmelden([&abgemeldet] { abgemeldet = true; });
    anhalten(p);
    p.sauber = abgemeldet;
}

void Anlage::alt_beruehrt(const Platz& p, const std::string& pfad)
{
    // Older workstations never read, write nor delete a record: neither may their double.
    if (p.alt && !begleitart(name_von(pfad)).empty()) {
        ++m_buch.zaehler["alt_begleitdatei"];
    }
}

void Anlage::anwesenheit_pruefen()
{
    planen(m_uhr.now_ms() + k_anwesenheitsprobe_ms, [this] { anwesenheit_pruefen(); });
    const std::int64_t jetzt = m_uhr.now_ms();
    // A record is renewed once a round; a stopped workstation's record is taken
    // off at once after a clean exit, else by the next workstation by name in
    // the first round after it is 3 min old, and counted until the others list it gone.
    const std::int64_t runde = Anwesenheitsmelder::k_takt_ms + 1000;
    const std::int64_t liegt = Anwesenheitsmelder::k_anwesend_ms + 2 * runde;
    for (auto& p : m_plaetze) {
        if (!p->ap) {
            continue;
        }
        for (int g : p->gruppen) {
            Anlagenbuch::Anwesenheitsprobe a{p->lauf, g, jetzt, -1, 0, 0, false};
            for (auto& q : m_plaetze) {
                if (q == p || q->alt ||
                    std::find(q->gruppen.begin(), q->gruppen.end(), g) == q->gruppen.end()) {
                    continue;
                }
                if (q->ap) {
                    ++a.moeglich;
                    a.sicher += jetzt - q->seit >= runde ? 1 : 0;
                } else if (q->gestoppt >= 0 && jetzt - q->gestoppt < (q->sauber ? runde : liegt)) {
                    ++a.moeglich;
                }
            }
            const auto i = static_cast<std::size_t>(g);
            a.stoerung =
                m_gruppe_weg[i] || m_gruppe_haengt[i] ||
                (m_gruppe_wieder[i] >= 0 && jetzt - m_gruppe_wieder[i] < Anlagenbuch::k_anwesenheit_nachlauf);
            if (const auto n = p->ap->anwesenheit().anzahl(g)) {
                a.anzahl = *n;
            }
            m_buch.anwesenheit_geprueft(a);
        }
    }
}

void Anlage::begleitdateien_zaehlen(bool am_ende)
{
    if (!am_ende) {
        planen(m_uhr.now_ms() + k_stunde_ms, [this] { begleitdateien_zaehlen(false); });
    }
    std::vector<std::map<std::string, long>> je_gruppe(static_cast<std::size_t>(m_p.gruppen));
    for (int g = 0; g < m_p.gruppen; ++g) {
        // A share that is out lies under another name meanwhile.
        std::string pfad = gruppenpfad(g);
        if (m_gruppe_weg[static_cast<std::size_t>(g)]) {
            pfad = pfad.substr(0, pfad.size() - 1) + ".weg";
        }
        std::error_code fehler;
        for (const auto& e : std::filesystem::directory_iterator(pfad, fehler)) {
            const std::string art = begleitart(e.path().filename().string());
            if (!art.empty()) {
                ++je_gruppe[static_cast<std::size_t>(g)][art];
            }
        }
    }
    m_buch.begleitdateien_gezaehlt(m_uhr.now_ms(), je_gruppe, am_ende);
}

void Anlage::neustart()
{
    planen(m_uhr.now_ms() + pause(m_p.neustartabstand_s), [this] { neustart(); });
    Platz& p = *m_plaetze[std::uniform_int_distribution<std::size_t>(0, m_plaetze.size() - 1)(m_zufall)];
    if (!p.laeuft()) {
        return;
    }
    // Every other stop is a crash (its records stay on the shares), the others a clean exit.
    if (++m_buch.zaehler["neustarts"] % 2 == 0) {
        ++m_buch.zaehler["sauber_beendet"];
        beenden(p);
    } else {
        anhalten(p);
    }
    const std::int64_t weg = std::uniform_int_distribution<std::int64_t>(30000, 600000)(m_zufall);
    planen(m_uhr.now_ms() + weg, [this, &p] {
        if (!p.laeuft()) {
            starten(p);
        }
    });
}

void Anlage::ausfall()
{
    planen(m_uhr.now_ms() + pause(m_p.ausfallabstand_s), [this] { ausfall(); });
    // Every other time the share of a group that holds a signal file right now.
    std::vector<int> mit_signal;
    for (int i = 0; i < m_p.gruppen; ++i) {
        if (!m_gruppe_weg[static_cast<std::size_t>(i)] && existiert(gruppenpfad(i) + k_signal)) {
            mit_signal.push_back(i);
        }
    }
    // As many random numbers whatever lies in the directories, so the course stays the same.
    int g = std::uniform_int_distribution<int>(0, m_p.gruppen - 1)(m_zufall);
    const bool mit = std::uniform_int_distribution<int>(0, 1)(m_zufall) == 0;
    const std::uint64_t wahl = m_zufall();
    if (!mit_signal.empty() && mit) {
        g = mit_signal[wahl % mit_signal.size()];
    }
    if (m_gruppe_weg[static_cast<std::size_t>(g)] || m_gruppe_haengt[static_cast<std::size_t>(g)]) {
        return;
    }
    // The share is gone: its directory cannot be reached under its name.
    const std::string pfad = gruppenpfad(g);
    const std::string versteckt = pfad.substr(0, pfad.size() - 1) + ".weg";
    std::filesystem::rename(pfad, versteckt);
    m_gruppe_weg[static_cast<std::size_t>(g)] = true;
    m_buch.verzeichnis_weg(g, m_uhr.now_ms());
    ++m_buch.zaehler["ausfaelle"];
    const std::int64_t dauer = std::uniform_int_distribution<std::int64_t>(60000, 300000)(m_zufall);
    planen(m_uhr.now_ms() + dauer, [this, g, pfad, versteckt] {
        std::filesystem::rename(versteckt, pfad);
        m_gruppe_weg[static_cast<std::size_t>(g)] = false;
        m_buch.verzeichnis_wieder(g, m_uhr.now_ms());
        m_gruppe_wieder[static_cast<std::size_t>(g)] = m_uhr.now_ms();
    });
}

void Anlage::haenger()
{
    planen(m_uhr.now_ms() + pause(m_p.haengerabstand_s), [this] { haenger(); });
    const int g = std::uniform_int_distribution<int>(0, m_p.gruppen - 1)(m_zufall);
    if (m_gruppe_weg[static_cast<std::size_t>(g)] || m_gruppe_haengt[static_cast<std::size_t>(g)]) {
        return;
    }
    // The share's server stops answering: every call into it waits, on every workstation.
    const std::string pfad = gruppenpfad(g);
    m_gruppe_haengt[static_cast<std::size_t>(g)] = true;
    for (auto& p : m_plaetze) {
        if (p->freigaben) {
            p->freigaben->halten(pfad);
        }
    }
    m_buch.verzeichnis_weg(g, m_uhr.now_ms());
    ++m_buch.zaehler["haenger"];
    const std::int64_t dauer = std::uniform_int_distribution<std::int64_t>(120000, 600000)(m_zufall);
    planen(m_uhr.now_ms() + dauer, [this, g, pfad] {
        m_gruppe_haengt[static_cast<std::size_t>(g)] = false;
        m_buch.verzeichnis_wieder(g, m_uhr.now_ms());
        m_gruppe_wieder[static_cast<std::size_t>(g)] = m_uhr.now_ms();
        for (auto& p : m_plaetze) {
            if (p->freigaben) {
                p->freigaben->freigeben(pfad);
            }
            if (p->altplatz) {
                p->altplatz->weiter();
            }
        }
    });
}

bool Anlage::laufen(std::string& bericht)
{
    const auto ende = static_cast<std::int64_t>(m_p.stunden * 3600 * 1000);
    try {
        // The workstations come up within the first poll period, each on its own phase.
        for (auto& p : m_plaetze) {
            Platz* platz = p.get();
            planen(std::uniform_int_distribution<std::int64_t>(0, 4999)(m_zufall),
                   [this, platz] { starten(*platz); });
        }
        planen(pause(m_p.alarmabstand_s), [this] { alarm(); });
        planen(pause(m_p.neustartabstand_s), [this] { neustart(); });
        planen(pause(m_p.ausfallabstand_s), [this] { ausfall(); });
        planen(pause(m_p.haengerabstand_s), [this] { haenger(); });
        // Looks that draw no random numbers: the course stays the same.
        planen(k_anwesenheitsprobe_ms, [this] { anwesenheit_pruefen(); });
        planen(k_stunde_ms, [this] { begleitdateien_zaehlen(false); });
        while (!m_ereignisse.empty() && m_ereignisse.top().zeit <= ende) {
            Ereignis e = m_ereignisse.top();
            m_ereignisse.pop();
            // Never back: an event is never planned before now.
            m_uhr_laeuft = true;
            m_uhr.advance(std::max<std::int64_t>(0, e.zeit - m_uhr.now_ms()));
            m_uhr_laeuft = false;
            e.tun();
            m_zeitgeber.erase(std::remove_if(m_zeitgeber.begin(), m_zeitgeber.end(),
                                             [](const auto& t) { return !t->aktiv(); }),
                              m_zeitgeber.end());
        }
        m_uhr_laeuft = true;
        m_uhr.advance(std::max<std::int64_t>(0, ende - m_uhr.now_ms()));
        m_uhr_laeuft = false;
        begleitdateien_zaehlen(true);
    } catch (const std::exception& e) {
        ++m_buch.zaehler["absturz"];
        bericht = std::string("Ausnahme: ") + e.what() + "\n";
    }
    std::string zahlen;
    const bool ok = m_buch.auswerten(ende, zahlen);
    bericht += zahlen;
    return ok && m_buch.zaehler["absturz"] == 0;
}

} // namespace hestrel::test
