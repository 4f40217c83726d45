// How a data file can be replaced on a real SMB share while another desk has
// it open: a Samba server on the loopback (Windows-like share), the writer
// and the reader each on their own FUSE mount. Each way of writing replaces
// the file 100 times, while the other desk either holds it open (an indexer,
// a virus scanner) or reads it in a loop, as receivers do. Counted: writes
// that failed, the time a write took, and what the reader saw: the file
// absent, or bytes that are no whole version of it.
//
//   bench_ersetzen [--bericht=DATEI] [--befehl=TEXT]      (as root)
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "core/dateisystem.h"
#include "support/sambafreigabe.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

using Uhrzeit = std::chrono::steady_clock;
constexpr int k_schreibvorgaenge = 100;

std::string text(int n)
{
    // Versions of different lengths, each line ending in CR LF.
    return "Alarm " + std::to_string(n) + "\r\n" + std::string(static_cast<std::size_t>(n % 7) * 9, 'x') +
           "\r\nKasse 2\r\n\r\n";
}

struct Ergebnis {
    int gescheitert = 0;
    double mittel_ms = 0;
    double max_ms = 0;
    long lesungen = 0;
    long fehlend = 0;
    long kaputt = 0;
};

enum class Leser { haelt, liest };

// One way of writing: writes version n to the file, true when it went through.
using Weg = std::function<bool(const std::string& verzeichnis, int n)>;

Ergebnis messen(Sambafreigabe& s, const std::string& schreiber, const std::string& leser, const Weg& weg,
                Leser art, const std::string& name)
{
    const std::string v = s.unterlage() + name + "/";
    std::filesystem::create_directories(v);
    datei_schreiben(v + "MDAT0.XQV", text(0));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    std::set<std::string> ganz;
    for (int n = 0; n <= k_schreibvorgaenge; ++n) {
        ganz.insert(text(n));
    }
    Ergebnis e;
    std::atomic<bool> ende{false};
    std::thread lesen([&] {
        const std::string pfad = leser + name + "/MDAT0.XQV";
        int gehalten = -1;
        while (!ende) {
            if (art == Leser::haelt) {
                if (gehalten < 0) {
                    gehalten = ::open(pfad.c_str(), O_RDONLY | O_CLOEXEC);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            std::string bytes;
            ++e.lesungen;
            EchtesDateisystem fs(EchtesDateisystem::Verknuepfungen::nicht_folgen);
            if (Fehler f = fs.lesen(pfad, bytes)) {
                ++(f.systemfehler == ENOENT ? e.fehlend : e.kaputt);
            } else if (!ganz.count(bytes)) {
                ++e.kaputt;
            }
        }
        if (gehalten >= 0) {
            ::close(gehalten);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    double summe = 0;
    for (int n = 1; n <= k_schreibvorgaenge; ++n) {
        const auto t = Uhrzeit::now();
        e.gescheitert += weg(schreiber + name + "/", n) ? 0 : 1;
        const double ms = std::chrono::duration<double, std::milli>(Uhrzeit::now() - t).count();
        summe += ms;
        e.max_ms = std::max(e.max_ms, ms);
    }
    e.mittel_ms = summe / k_schreibvorgaenge;
    ende = true;
    lesen.join();
    return e;
}

} // namespace

int main(int argc, char** argv)
{
    std::string bericht;
    std::string befehl = "bench_ersetzen";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--bericht=", 0) == 0) {
            bericht = a.substr(10);
        } else if (a.rfind("--befehl=", 0) == 0) {
            befehl = a.substr(9);
        }
    }
    Sambafreigabe s;
    if (!s.verfuegbar() || !s.laeuft()) {
        std::cerr << "bench_ersetzen: " << s.grund() << "\n";
        return 2;
    }
    const std::string schreiber = s.einhaengen("schreiber");
    const std::string leser = s.einhaengen("leser");

    // Only the rename, tried again as the program tries it; then giving up.
    const Weg umbenennen = [](const std::string& v, int n) {
        EchtesDateisystem fs;
        const std::string temp = v + ".MDAT0.XQV.tmp";
        if (fs.ersetzen_fluechtig(temp, text(n))) {
            return false;
        }
        const Fehler f = beharrlich(
            [&] {
                return ::rename(temp.c_str(), (v + "MDAT0.XQV").c_str()) == 0 ? Fehler{}
                                                                              : Fehler::aus_errno(errno, v);
            },
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }, k_ersetzgeduld_ms);
        ::unlink(temp.c_str());
        return !f;
    };
    // Open, truncate, write: as older workstations write.
    const Weg an_ort = [](const std::string& v, int n) {
        const int fd = ::open((v + "MDAT0.XQV").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const std::string t = text(n);
        const bool ok = fd >= 0 && ::write(fd, t.data(), t.size()) == static_cast<ssize_t>(t.size());
        if (fd >= 0) {
            ::close(fd);
        }
        return ok;
    };
    // A fresh data file under a new key, created exclusively, the old one removed.
    const Weg neuer_schluessel = [](const std::string& v, int n) {
        EchtesDateisystem fs(EchtesDateisystem::Verknuepfungen::nicht_folgen);
        const bool ok = !fs.ersetzen_fluechtig(v + "MDAT0-" + std::to_string(n) + ".XQV", text(n));
        fs.loeschen(v + "MDAT0-" + std::to_string(n - 1) + ".XQV");
        return ok;
    };
    // The program's own: the rename tried again, then in place.
    const Weg programm = [](const std::string& v, int n) {
        EchtesDateisystem fs(EchtesDateisystem::Verknuepfungen::nicht_folgen);
        return !fs.ersetzen_fluechtig(v + "MDAT0.XQV", text(n));
    };
    const std::vector<std::pair<const char*, Weg>> wege{
        {"Rename over it, tried again for 300 ms", umbenennen},
        {"Written in place (open, truncate, write)", an_ort},
        {"A fresh data file under a new key", neuer_schluessel},
        {"The program: the rename tried again, then in place", programm}};
    std::ostringstream o;
    o << std::fixed << std::setprecision(1)
      << "| Way of writing | The other desk | Writes failed (of 100) | Time per write, mean / max | Reader "
         "saw it "
         "absent | Reader saw broken bytes | Measured by |\n|---|---|---|---|---|---|---|\n";
    int nummer = 0;
    for (const auto& [was, weg] : wege) {
        for (const Leser art : {Leser::haelt, Leser::liest}) {
            std::cerr << "bench_ersetzen: " << was << (art == Leser::haelt ? ", held" : ", read") << "\n";
            const Ergebnis e = messen(s, schreiber, leser, weg, art, "v" + std::to_string(++nummer));
            o << "| " << was << " | " << (art == Leser::haelt ? "holds it open" : "reads it in a loop")
              << " | " << e.gescheitert << " | " << e.mittel_ms << " / " << e.max_ms << " ms | ";
            if (art == Leser::haelt) {
                o << "– | – | ";
            } else if (std::string(was).find("new key") != std::string::npos) {
                o << "– (a new file each time) | – | ";
            } else {
                o << e.fehlend << " of " << e.lesungen << " | " << e.kaputt << " of " << e.lesungen << " | ";
            }
            o << "`" << befehl << "` |\n";
        }
    }
    std::cout << o.str();
    if (!bericht.empty()) {
        std::ofstream(bericht) << o.str();
    }
    return 0;
}
