// The file server's load: the requests one workstation's file calls send to
// the server holding a group directory, per group and minute, idle and in the
// ten minutes after an alarm, with 0 or 20 colleagues in the group and 0 or
// 20,000 unrelated files in its directory; a Hestrel desk and an older one in
// the same run, each on a mount of its own of the test file system, which
// counts every request that reaches it (lookups, opens, reads, writes, closes,
// listings, renames, removals) and caches nothing, as a network client that
// asks the server each time. Everything runs on the virtual clock; the file
// calls are real.
//
// With --programm it measures a real program instead, idle for some minutes
// of real time, in a group with 20 colleagues' presence records (renewed
// each minute): the same figure for any version of the program.
//
//   bench_last [--bericht=DATEI] [--befehl=TEXT]
//   bench_last --programm=HESTREL [--minuten=5] [--kollegen=20]
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include "arbeitsplatz/arbeitsplatz.h"
#include "core/textdatei.h"
#include "core/virtualscheduler.h"
#include "reliability/altplatz.h"
#include "support/echtprogramm.h"
#include "support/stoerlaufwerk.h"
#include "support/testarbeitsplatz.h"
#include "support/testumgebung.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

constexpr std::int64_t k_minute = 60000;
constexpr int k_messminuten = 10;

// The shares stamp what is written with the virtual clock's time, as a server
// stamps with its own: ages on the shares follow the simulated minutes. The
// stamp is set on the backing directory, past the counting mount.
struct Stempel {
    const VirtualScheduler* uhr = nullptr;
    std::int64_t basis_ns = 0;
    std::string einhaengepunkt;
    std::string unterlage;
    void operator()(const std::string& pfad) const
    {
        std::string echt = pfad;
        if (!einhaengepunkt.empty() && echt.rfind(einhaengepunkt, 0) == 0) {
            echt = unterlage + echt.substr(einhaengepunkt.size());
        }
        const std::int64_t ns = basis_ns + uhr->jetzt_ms() * 1000000;
        const timespec t{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        const timespec zeiten[2] = {t, t};
        ::utimensat(AT_FDCWD, echt.c_str(), zeiten, AT_SYMLINK_NOFOLLOW);
    }
};

class Stempeldateisystem : public EchtesDateisystem {
  public:
    explicit Stempeldateisystem(Stempel s)
        : EchtesDateisystem(Verknuepfungen::nicht_folgen), m_s(std::move(s))
    {
    }
    Fehler ersetzen(const std::string& p, const std::string& i) override
    {
        return nach(p, EchtesDateisystem::ersetzen(p, i));
    }
    Fehler ersetzen_fluechtig(const std::string& p, const std::string& i) override
    {
        return nach(p, EchtesDateisystem::ersetzen_fluechtig(p, i));
    }
    Fehler ersetzen_berichtet(const std::string& p, const std::string& i, Ersetzbericht& b) override
    {
        return nach(p, EchtesDateisystem::ersetzen_berichtet(p, i, b));
    }
    Fehler auffrischen(const std::string& p, const std::string& i) override
    {
        return nach(p, EchtesDateisystem::auffrischen(p, i));
    }

  private:
    Fehler nach(const std::string& p, Fehler f)
    {
        if (!f) {
            m_s(p);
        }
        return f;
    }
    Stempel m_s;
};

long summe(const std::map<std::string, long>& z)
{
    long n = 0;
    for (const auto& [op, k] : z) {
        n += k;
    }
    return n;
}

// One Hestrel workstation on the virtual clock, its group directories at the given paths.
struct Hestrelplatz {
    EchtesDateisystem fs;
    Stempeldateisystem freigabe;
    EinreihenderFreigabedienst freigaben;
    FakeMeldungsdienst boxen;
    FakePort port;
    std::unique_ptr<Testarbeitsplatz> ap;

    Hestrelplatz(VirtualScheduler& uhr, const Stempel& stempel, const std::string& daten,
                 const std::string& name, const std::vector<std::string>& gruppen)
        : freigabe(stempel), freigaben(freigabe, uhr)
    {
        std::filesystem::create_directories(daten);
        datei_schreiben(daten + "/Hestrel.DAT", echt::einstellungen(gruppen));
        datei_schreiben(daten + "/Hestrel-Zusatz.ini", zeilen_kodieren({"Platzname=" + name}));
        // The message list: group 1 ticked.
        std::vector<std::string> d{"Hilfe", name, "", "Bitte kommen", " 1 "};
        d.resize(104, " 0 ");
        datei_schreiben(daten + "/Alarmdaten.DAT", zeilen_kodieren(d));
        ap = std::make_unique<Testarbeitsplatz>(
            Dienste{fs, uhr, uhr, boxen, port, nullptr, nullptr, &freigaben});
        ap->starten(daten);
    }
    // "Ich komme" in the window, where its alarm came with an origin record.
    void antworten()
    {
        if (ap->alarmanzeige().antwort_moeglich()) {
            ap->alarmanzeige().antwort_geklickt();
        }
    }
};

struct Messung {
    std::map<std::string, long> hestrel;
    std::map<std::string, long> alt;
};

struct Lauf {
    int kollegen;
    int dateien;
    Messung ruhe, gesendet, empfangen;
    // What one renewal of a presence record and one look at a directory's change time cost.
    long schreiben = 0;
    long verzeichnisblick = 0;
};

// One site: group 1 polled by the measured Hestrel desk, group 2 by the
// measured older desk, both by every colleague; the three phases.
Lauf messen(int kollegen, int dateien)
{
    Lauf lauf{kollegen, dateien, {}, {}, {}};
    TempVerzeichnis basis;
    Stoerlaufwerk laufwerk_h;
    Stoerlaufwerk laufwerk_a;
    if (!laufwerk_h.eingehaengt() || !laufwerk_a.eingehaengt()) {
        std::cerr << "bench_last: " << laufwerk_h.grund() << laufwerk_a.grund() << "\n";
        std::exit(2);
    }
    // Both mounts show the same directories: the one of h over that of a.
    std::filesystem::remove_all(laufwerk_a.unterlage());
    std::filesystem::create_directory_symlink(laufwerk_h.unterlage(), laufwerk_a.unterlage());
    const std::string wurzel = laufwerk_h.unterlage();
    for (const char* g : {"/g1", "/g2"}) {
        std::filesystem::create_directories(wurzel + g);
        for (int i = 0; i < dateien; ++i) {
            datei_schreiben(wurzel + g + "/Vorgang " + std::to_string(i) + ".docx", "x");
        }
    }
    VirtualScheduler uhr;
    const std::int64_t jetzt_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count();
    const Stempel stempel{&uhr, jetzt_ns, laufwerk_h.einhaengepunkt(), wurzel};
    Hestrelplatz h(uhr, stempel, basis / "h", "Gemessen", {laufwerk_h.einhaengepunkt() + "/g1/"});
    EchtesDateisystem alt_fs;
    Altplatz::Umgebung u{alt_fs, uhr, basis.unterverzeichnis("a"), "", {}, nullptr, nullptr};
    u.gruppenpfad[1] = laufwerk_a.einhaengepunkt() + "/g2/";
    u.geschrieben = Stempel{&uhr, jetzt_ns, laufwerk_a.einhaengepunkt(), wurzel};
    Altplatz a(u);
    // An older desk elsewhere sends into group 2 after the answers of the third phase.
    Altplatz::Umgebung u2{alt_fs, uhr, basis.unterverzeichnis("a2"), "", {}, nullptr, nullptr};
    u2.gruppenpfad[1] = wurzel + "/g2/";
    u2.geschrieben = Stempel{&uhr, jetzt_ns, "", ""};
    Altplatz a2(u2);
    std::vector<std::unique_ptr<Hestrelplatz>> k;
    for (int i = 0; i < kollegen; ++i) {
        k.push_back(std::make_unique<Hestrelplatz>(
            uhr, stempel, basis / ("k" + std::to_string(i)), "Kollege-" + std::to_string(i),
            std::vector<std::string>{wurzel + "/g1/", wurzel + "/g2/"}));
    }
    // Past the start: every record written, the directories listed once.
    uhr.advance(2 * k_minute);
    {
        Stempeldateisystem fs(stempel);
        laufwerk_h.zaehlen();
        fs.auffrischen(laufwerk_h.einhaengepunkt() + "/g1/hestrel-da-Gemessen.txt",
                       datei_lesen(wurzel + "/g1/hestrel-da-Gemessen.txt"));
        lauf.schreiben = summe(laufwerk_h.zaehlen());
        fs.info(laufwerk_h.einhaengepunkt() + "/g1/");
        lauf.verzeichnisblick = summe(laufwerk_h.zaehlen());
    }
    // An alarm and its answers; the older desk's alarm in its own group after those.
    const auto phase = [&](Messung& m, const std::function<void()>& anfang,
                           const std::function<void()>& dann) {
        laufwerk_h.zaehlen();
        laufwerk_a.zaehlen();
        anfang();
        uhr.advance(8000);
        for (auto& kollege : k) {
            kollege->antworten();
        }
        uhr.advance(8000);
        dann();
        uhr.advance(k_messminuten * k_minute - 16000);
        m.hestrel = laufwerk_h.zaehlen();
        m.alt = laufwerk_a.zaehlen();
        uhr.advance(k_minute);
    };
    phase(
        lauf.ruhe, [] {}, [] {});
    phase(
        lauf.gesendet, [&] { h.ap->ausloesen(); },
        [&] {
            a.alarm_ausloesen({"Hilfe", "Alt", "", ""}, {1}, false);
        });
    if (!k.empty()) {
        phase(
            lauf.empfangen, [&] { k.front()->ap->ausloesen(); },
            [&] {
                a2.alarm_ausloesen({"Hilfe", "Alt", "", ""}, {1}, false);
            });
    }
    return lauf;
}

std::string je_minute(const std::map<std::string, long>& z)
{
    std::ostringstream o;
    o << std::fixed << std::setprecision(1) << static_cast<double>(summe(z)) / k_messminuten;
    return o.str();
}

std::string verhaeltnis(const std::map<std::string, long>& h, const std::map<std::string, long>& a)
{
    std::ostringstream o;
    o << std::fixed << std::setprecision(2) << static_cast<double>(summe(h)) / static_cast<double>(summe(a));
    return o.str();
}

long art(const std::map<std::string, long>& z, const char* op)
{
    const auto it = z.find(op);
    return it == z.end() ? 0 : it->second;
}

// A real program, idle, in one group with the colleagues' presence records
// renewed each minute: requests per minute to that group's directory.
double programm_messen(const std::string& programm, int minuten, int kollegen)
{
    TempVerzeichnis basis;
    Stoerlaufwerk laufwerk;
    if (!laufwerk.eingehaengt()) {
        std::cerr << "bench_last: " << laufwerk.grund() << "\n";
        std::exit(2);
    }
    const std::string g = laufwerk.unterlage() + "/g1/";
    std::filesystem::create_directories(g);
    for (int i = 0; i < kollegen; ++i) {
        datei_schreiben(g + "hestrel-da-Kollege-" + std::to_string(i) + ".txt",
                        zeilen_kodieren({"HESTREL-ANWESENHEIT 1", "Platz=Kollege-" + std::to_string(i)}));
    }
    const std::string daten = basis.unterverzeichnis("daten");
    datei_schreiben(daten + "Hestrel.DAT", echt::einstellungen({laufwerk.einhaengepunkt() + "/g1/"}));
    datei_schreiben(daten + "Hestrel-Zusatz.ini", zeilen_kodieren({"Platzname=Gemessen"}));
    Kindprozess p({programm}, {"APPDATA=" + daten, "QT_QPA_PLATFORM=offscreen"},
                  {"DISPLAY", "WAYLAND_DISPLAY"}, daten + "ausgabe.txt");
    const auto erneuern = [&] {
        for (const auto& e : std::filesystem::directory_iterator(g)) {
            if (e.path().filename().string().rfind("hestrel-da-Kollege-", 0) == 0) {
                ::utimensat(AT_FDCWD, e.path().c_str(), nullptr, 0);
            }
        }
    };
    for (int s = 0; s < 60; s += 5) {
        std::this_thread::sleep_for(std::chrono::seconds(5));
    }
    erneuern();
    laufwerk.zaehlen();
    for (int m = 0; m < minuten; ++m) {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        erneuern();
    }
    const auto z = laufwerk.zaehlen();
    for (const auto& [op, n] : z) {
        std::cerr << " " << op << "=" << n;
    }
    std::cerr << "\n";
    return static_cast<double>(summe(z)) / minuten;
}

} // namespace

int main(int argc, char** argv)
{
    std::string bericht;
    std::string befehl = "bench_last";
    std::string programm;
    int minuten = 5;
    int kollegen = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--bericht=", 0) == 0) {
            bericht = a.substr(10);
        } else if (a.rfind("--befehl=", 0) == 0) {
            befehl = a.substr(9);
        } else if (a.rfind("--programm=", 0) == 0) {
            programm = a.substr(11);
        } else if (a.rfind("--minuten=", 0) == 0) {
            minuten = std::stoi(a.substr(10));
        } else if (a.rfind("--kollegen=", 0) == 0) {
            kollegen = std::stoi(a.substr(11));
        }
    }
    if (!programm.empty()) {
        std::cout << std::fixed << std::setprecision(1) << programm_messen(programm, minuten, kollegen)
                  << " requests per minute to the group's directory, idle, " << kollegen << " colleagues\n";
        return 0;
    }
    std::vector<Lauf> laeufe;
    for (const auto& [kollegen, dateien] :
         std::vector<std::pair<int, int>>{{0, 0}, {20, 0}, {0, 20000}, {20, 20000}}) {
        std::cerr << "bench_last: " << kollegen << " colleagues, " << dateien << " unrelated files\n";
        laeufe.push_back(messen(kollegen, dateien));
    }

    std::ostringstream o;
    o << "| Phase | Colleagues | Unrelated files | Hestrel desk: requests per group and minute (listings in "
         "the 10 min) | "
         "Older desk | Ratio | Goal for idle | Holds | Measured by "
         "|\n|---|---|---|---|---|---|---|---|---|\n";
    const auto zeile = [&](const char* phase, const Lauf& l, const Messung& m) {
        std::cerr << phase << " " << l.kollegen << "/" << l.dateien << ": Hestrel";
        for (const auto& [op, n] : m.hestrel) {
            std::cerr << " " << op << "=" << n;
        }
        std::cerr << "; older";
        for (const auto& [op, n] : m.alt) {
            std::cerr << " " << op << "=" << n;
        }
        std::cerr << "\n";
        o << "| " << phase << " | " << l.kollegen << " | " << l.dateien << " | " << je_minute(m.hestrel)
          << " (" << art(m.hestrel, "readdir") << ") | " << je_minute(m.alt) << " | "
          << verhaeltnis(m.hestrel, m.alt) << " | ";
        if (&m == &l.ruhe) {
            // 1.1 times the older desk, plus one renewal and one look at the directory a minute.
            const double ziel = 1.1 * static_cast<double>(summe(m.alt)) / k_messminuten +
                                static_cast<double>(l.schreiben + l.verzeichnisblick);
            std::ostringstream z;
            z << std::fixed << std::setprecision(1) << ziel;
            o << "≤ " << z.str() << " | "
              << (static_cast<double>(summe(m.hestrel)) / k_messminuten <= ziel ? "yes" : "**no**");
        } else {
            o << " | ";
        }
        o << " | `" << befehl << "` |\n";
    };
    for (const Lauf& l : laeufe) {
        zeile("idle", l, l.ruhe);
    }
    for (const Lauf& l : laeufe) {
        zeile("10 min after sending an alarm", l, l.gesendet);
    }
    for (const Lauf& l : laeufe) {
        if (l.kollegen > 0) {
            zeile("10 min after receiving one", l, l.empfangen);
        }
    }
    // The whole site: every desk in every group, each with all others as colleagues.
    const Lauf& gross = laeufe.back();
    const double h = static_cast<double>(summe(gross.ruhe.hestrel)) / k_messminuten;
    const double a = static_cast<double>(summe(gross.ruhe.alt)) / k_messminuten;
    o << "\nOne renewal of a presence record costs " << gross.schreiben
      << " requests, one look at a directory's change time " << gross.verzeichnisblick
      << " (plus the listing itself, where the directory changed).\n";
    o << "\nA site of 200 desks in 50 groups (every desk in every group, 199 colleagues each), idle: "
      << std::fixed << std::setprecision(0) << 200.0 * 50 * h / 60
      << " requests a second from Hestrel desks against " << 200.0 * 50 * a / 60
      << " from older desks (ratio " << std::setprecision(2) << h / a << ").\n";
    std::cout << o.str();
    if (!bericht.empty()) {
        std::ofstream(bericht) << o.str();
    }
    return 0;
}
