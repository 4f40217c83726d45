// The figures of the running program seen from outside, with real processes
// on one site in a temporary directory:
//   - process start until the message list is shown and the program waits
//     in its event loop,
//   - resident memory after start and CPU time while idle, 50 groups configured,
//   - alarms from the device key on one workstation to the alarm journal of
//     another, with the time the receiver waited for its next poll taken out,
//   - after each alarm, the receiver's "Ich komme" (its response record laid
//     into the group directory as the receiver lays it) until the sender's
//     journal has the answer.
//
//   bench_prozesse [--programm=PATH] [--alarme=N] [--starts=N] [--leerlauf=S]
//                  [--bericht=FILE] [--befehl=NAME]
//
// The harness is the alarm device of the sending workstation (a
// pseudo-terminal) and watches the group directory and the receiver's data
// directory with inotify: the sender's signal file appearing, the receiver
// opening it (its poll found it) and the receiver's journal growing.
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "auswertung.h"
#include "device/sim/geraetesimulator.h"
#include "exchange/begleitdateien.h"
#include "leitung.h"
#include "prozess.h"
#include "standort.h"
#include "stoppuhr.h"
#include "support/testumgebung.h"

namespace hestrel::bench {
namespace {

struct Optionen {
    std::string programm = HESTREL_PROGRAMM;
    int alarme = 50;
    int starts = 10;
    int leerlauf_s = 60;
    std::string bericht;
    std::string befehl = "bench_prozesse";
};

constexpr int k_abfrage_ms = 5000;

void warten_ms(double ms)
{
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

// Resident memory in MB (10^6 bytes), as the budget counts it.
double mb(std::optional<long> kib)
{
    return static_cast<double>(kib.value_or(0)) * 1024 / 1e6;
}

std::map<std::string, std::string> umgebung(const std::string& daten, const std::string& port = "")
{
    std::map<std::string, std::string> u{{"APPDATA", daten}, {"QT_QPA_PLATFORM", "offscreen"}};
    u["HESTREL_COM" + std::to_string(Standort::k_port)] = port;
    return u;
}

// Waits until the program sleeps in its event loop and its main thread has
// not run for 300 ms; the start-up ends where it last ran.
std::optional<double> bis_ruhig(Prozess& p, Uhrzeit::time_point t0,
                                const std::function<void()>& nebenbei = {})
{
    Ruhemelder ruhe(300);
    while (p.laeuft() && Uhrzeit::now() - t0 < std::chrono::seconds(30)) {
        if (nebenbei) {
            nebenbei();
        }
        const auto ns = p.hauptfaden_ns();
        if (ns && ruhe.messen(ms_zwischen(t0, Uhrzeit::now()), *ns) && p.wartet()) {
            return ruhe.letzte_aenderung_ms();
        }
        warten_ms(0.5);
    }
    return std::nullopt;
}

struct Starts {
    std::vector<double> ms;
    std::vector<double> rss_mb;
    int misslungen = 0;
};

Starts starts_messen(const Optionen& o, const std::string& daten, const std::string& ausgabe, int anzahl)
{
    Starts s;
    for (int n = 0; n < anzahl; ++n) {
        const auto t0 = Uhrzeit::now();
        Prozess p(o.programm, umgebung(daten), ausgabe);
        if (const auto ms = bis_ruhig(p, t0)) {
            s.ms.push_back(*ms);
            s.rss_mb.push_back(mb(p.rss_kib()));
        } else {
            ++s.misslungen;
        }
        p.beenden();
    }
    return s;
}

// The alarm device of the sending workstation: answers every status request,
// and notes when the first frame with key 2 went out after a press.
class Alarmgeraet {
  public:
    Alarmgeraet() = default;
    Leitung& leitung() { return m_leitung; }

    void bedienen()
    {
        const std::string anfrage = m_leitung.lesen();
        if (anfrage.empty()) {
            return;
        }
        const auto e = m_sim.empfangen(anfrage);
        if (e.antwort.empty()) {
            return;
        }
        m_leitung.schreiben(e.antwort);
        const auto geschrieben = Uhrzeit::now();
        ++anfragen;
        for (std::size_t r = 0; r + 14 <= e.antwort.size(); r += 14) {
            if (m_gedrueckt && e.antwort[r + 3] == 1) {
                m_gedrueckt = false;
                ausgeloest = geschrieben;
            }
        }
    }
    void taste2()
    {
        m_sim.druecken(2);
        m_gedrueckt = true;
        ausgeloest.reset();
    }

    std::optional<Uhrzeit::time_point> ausgeloest;
    long anfragen = 0;

  private:
    Leitung m_leitung;
    Geraetesimulator m_sim;
    bool m_gedrueckt = false;
};

// inotify on the group directory and on the receiver's data directory.
class Beobachter {
  public:
    struct Ereignis {
        bool gruppe; // else the receiver's data directory
        std::uint32_t art;
        std::string name;
        Uhrzeit::time_point zeit;
    };

    Beobachter(const std::string& gruppe, const std::string& empfaenger)
    {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        m_gruppe = ::inotify_add_watch(m_fd, gruppe.c_str(), IN_MOVED_TO | IN_OPEN | IN_DELETE);
        ::inotify_add_watch(m_fd, empfaenger.c_str(), IN_MODIFY);
    }
    ~Beobachter() { ::close(m_fd); }
    Beobachter(const Beobachter&) = delete;
    Beobachter& operator=(const Beobachter&) = delete;

    int fd() const { return m_fd; }
    std::vector<Ereignis> lesen()
    {
        std::vector<Ereignis> e;
        alignas(inotify_event) char puffer[8192];
        for (;;) {
            const ssize_t n = ::read(m_fd, puffer, sizeof puffer);
            if (n <= 0) {
                break;
            }
            const auto zeit = Uhrzeit::now();
            for (ssize_t p = 0; p < n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(puffer + p);
                e.push_back(
                    {ev->wd == m_gruppe, ev->mask, ev->len ? std::string(ev->name) : std::string(), zeit});
                p += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            }
        }
        return e;
    }

  private:
    int m_fd = -1;
    int m_gruppe = -1;
};

struct Alarm {
    double gesamt = 0;         // key frame written → receiver's journal entry
    double warten = 0;         // signal file in place → receiver opens it
    double taste_signal = 0;   // key frame written → signal file in place (sender)
    double signal_journal = 0; // receiver opens the signal file → journal entry
};

// Serves the device and takes in file events for up to ms milliseconds.
void bedienen(Alarmgeraet& geraet, Beobachter* beobachter, double ms,
              const std::function<void(const Beobachter::Ereignis&)>& ereignis = {})
{
    const auto ende = Uhrzeit::now() + std::chrono::duration_cast<Uhrzeit::duration>(
                                           std::chrono::duration<double, std::milli>(ms));
    while (Uhrzeit::now() < ende) {
        pollfd f[2] = {{geraet.leitung().fd(), POLLIN, 0}, {beobachter ? beobachter->fd() : -1, POLLIN, 0}};
        const double rest = ms_zwischen(Uhrzeit::now(), ende);
        ::poll(f, 2, static_cast<int>(std::clamp(rest, 0.0, 20.0)) + 1);
        geraet.bedienen();
        if (beobachter) {
            for (const auto& e : beobachter->lesen()) {
                if (ereignis) {
                    ereignis(e);
                }
            }
        }
    }
}

std::string mb_text(double wert)
{
    return zahl(wert, 1) + " MB";
}

std::string ms_text(const Kennzahlen& k)
{
    return "median " + zahl(k.median, 1) + " ms, max " + zahl(k.max, 1) + " ms (" + std::to_string(k.anzahl) +
           ")";
}

int ausfuehren(const Optionen& o)
{
    test::TempVerzeichnis tmp;
    Standort standort(tmp.pfad());
    std::vector<Messzeile> zeilen;
    const std::string ausgabe = tmp / "ausgabe.txt";
    bool gut = true;
    auto befehl = [&](const std::string& was) { return o.befehl + " " + was; };

    // Start-up, RSS at the end of it.
    Platzart art;
    art.journalzeilen = 1000;
    const std::string s1 = standort.arbeitsplatz("start", art);
    art.journalzeilen = 100000;
    const std::string s2 = standort.arbeitsplatz("start100k", art);
    std::fprintf(stderr, "bench_prozesse: %d starts ...\n", o.starts);
    const Starts klein = starts_messen(o, s1, ausgabe, o.starts);
    const Starts gross = starts_messen(o, s2, ausgabe, std::max(1, o.starts / 2));
    if (!klein.ms.empty()) {
        const Kennzahlen k = kennzahlen(klein.ms);
        zeilen.push_back(
            {"Process start → message list shown and the program idle in its event loop, offscreen, "
             "50 groups, journal of 1,000 rows",
             ms_text(k), "≤ 200 ms", k.max <= 200 && klein.misslungen == 0,
             befehl("--starts=" + std::to_string(o.starts))});
        const Kennzahlen r = kennzahlen(klein.rss_mb);
        zeilen.push_back({"Resident memory at the end of the start-up",
                          "median " + mb_text(r.median) + ", max " + mb_text(r.max), "≤ 50 MB", r.max <= 50,
                          befehl("--starts=" + std::to_string(o.starts))});
    }
    if (!gross.ms.empty()) {
        const Kennzahlen k = kennzahlen(gross.ms);
        const Kennzahlen r = kennzahlen(gross.rss_mb);
        zeilen.push_back({"… the same with a journal of 100,000 rows", ms_text(k) + "; " + mb_text(r.max), "",
                          true, befehl("--starts=" + std::to_string(o.starts)), false});
    }
    gut = gut && klein.misslungen == 0 && gross.misslungen == 0;

    // Two workstations on the site: a sends with the device (key 2 to group 1), b receives.
    Alarmgeraet geraet;
    Platzart sender;
    sender.geraet = true;
    sender.ziele = {1};
    Platzart empfaenger;
    empfaenger.journalzeilen = 1000;
    const std::string a = standort.arbeitsplatz("a", sender);
    const std::string b = standort.arbeitsplatz("b", empfaenger);
    Beobachter beobachter(standort.gruppe(1), b);
    const auto t0 = Uhrzeit::now();
    Prozess pa(o.programm, umgebung(a, geraet.leitung().port()), tmp / "ausgabe_a.txt");
    Prozess pb(o.programm, umgebung(b), tmp / "ausgabe_b.txt");
    auto dienen = [&] { bedienen(geraet, nullptr, 0); };
    if (!bis_ruhig(pb, t0, dienen) || !pa.laeuft()) {
        std::fprintf(stderr, "bench_prozesse: the workstations did not start\n");
        return 1;
    }
    bedienen(geraet, nullptr, 2000);
    const double rss_a = mb(pa.rss_kib());
    const double rss_b = mb(pb.rss_kib());
    zeilen.push_back({"Resident memory after start, idle: receiver / sender with the device",
                      mb_text(rss_b) + " / " + mb_text(rss_a), "≤ 50 MB", std::max(rss_a, rss_b) <= 50,
                      befehl("--alarme=0")});

    std::fprintf(stderr, "bench_prozesse: %d s idle ...\n", o.leerlauf_s);
    const auto cpu_a = pa.cpu_ns().value_or(0);
    const auto cpu_b = pb.cpu_ns().value_or(0);
    const auto anfragen = geraet.anfragen;
    const auto l0 = Uhrzeit::now();
    bedienen(geraet, nullptr, o.leerlauf_s * 1000.0);
    const double wand_ns = ms_zwischen(l0, Uhrzeit::now()) * 1e6;
    const double anteil_a = static_cast<double>(pa.cpu_ns().value_or(0) - cpu_a) / wand_ns * 100;
    const double anteil_b = static_cast<double>(pb.cpu_ns().value_or(0) - cpu_b) / wand_ns * 100;
    zeilen.push_back({"CPU time while idle for " + std::to_string(o.leerlauf_s) +
                          " s, 50 groups configured: receiver without a device",
                      zahl(anteil_b, 3) + " % of one core", "≤ 0.2 %", anteil_b <= 0.2,
                      befehl("--alarme=0 --leerlauf=" + std::to_string(o.leerlauf_s))});
    zeilen.push_back({"… sender, its device asked for its status every 500 ms (" +
                          std::to_string(geraet.anfragen - anfragen) + " requests answered)",
                      zahl(anteil_a, 3) + " % of one core", "(see the notes)", true,
                      befehl("--alarme=0 --leerlauf=" + std::to_string(o.leerlauf_s)), false});

    // The alarms.
    std::vector<Alarm> alarme;
    int verloren = 0;
    std::vector<double> antworten;
    int antworten_verloren = 0;
    const auto antwortzeilen = [&] {
        const std::string j = test::datei_lesen(a + "/mameldung.log");
        int n = 0;
        for (auto p = j.find("Antwort von"); p != std::string::npos; p = j.find("Antwort von", p + 1)) {
            ++n;
        }
        return n;
    };
    std::mt19937 zufall(20261208);
    std::uniform_real_distribution<double> versatz(0, 1000);
    for (int n = 0; n < o.alarme; ++n) {
        std::fprintf(stderr, "bench_prozesse: alarm %d of %d\n", n + 1, o.alarme);
        geraet.taste2();
        std::optional<Uhrzeit::time_point> signal, gelesen, journal, geloescht;
        auto ereignis = [&](const Beobachter::Ereignis& e) {
            if (e.gruppe && e.name == "MESSAGE.XQV") {
                if ((e.art & IN_MOVED_TO) && geraet.ausgeloest && !signal) {
                    signal = e.zeit;
                } else if ((e.art & IN_OPEN) && signal && !gelesen) {
                    gelesen = e.zeit;
                } else if ((e.art & IN_DELETE) && signal) {
                    geloescht = e.zeit;
                }
            } else if (!e.gruppe && e.name == "mameldung.log" && gelesen && !journal) {
                journal = e.zeit;
            }
        };
        const auto beginn = Uhrzeit::now();
        while (!(journal && geloescht) && Uhrzeit::now() - beginn < std::chrono::seconds(40)) {
            bedienen(geraet, &beobachter, 20, ereignis);
        }
        if (!(geraet.ausgeloest && signal && gelesen && journal)) {
            ++verloren;
            std::fprintf(stderr, "bench_prozesse: alarm %d did not arrive\n", n + 1);
        } else {
            Alarm m;
            m.gesamt = ms_zwischen(*geraet.ausgeloest, *journal);
            m.warten = ms_zwischen(*signal, *gelesen);
            m.taste_signal = ms_zwischen(*geraet.ausgeloest, *signal);
            m.signal_journal = ms_zwischen(*gelesen, *journal);
            alarme.push_back(m);
            // The receiver answers "Ich komme": its record, written whole and renamed into place.
            std::string grund;
            if (const auto h =
                    herkunft_lesen(test::datei_lesen(standort.gruppe(1) + k_herkunftsdatei), grund)) {
                const int vorher = antwortzeilen();
                const std::string ziel = standort.gruppe(1) + antwortdatei(h->alarm, "Messplatz-b");
                test::datei_schreiben(ziel + ".neu", kodieren(Antwort{h->alarm, "Messplatz-b", "bench", "",
                                                                      Antwort::Art::kommt}));
                const auto gelegt = Uhrzeit::now();
                std::rename((ziel + ".neu").c_str(), ziel.c_str());
                std::optional<Uhrzeit::time_point> angezeigt;
                while (!angezeigt && Uhrzeit::now() - gelegt < std::chrono::seconds(5)) {
                    bedienen(geraet, nullptr, 10);
                    if (antwortzeilen() > vorher) {
                        angezeigt = Uhrzeit::now();
                    }
                }
                if (angezeigt) {
                    antworten.push_back(ms_zwischen(gelegt, *angezeigt));
                } else {
                    ++antworten_verloren;
                }
            } else {
                ++antworten_verloren;
                std::fprintf(stderr, "bench_prozesse: no origin record after alarm %d: %s\n", n + 1,
                             grund.c_str());
            }
        }
        // The receiver forgets the signal file at its next poll after the
        // sender removed it; only then is the next one a new alarm.
        bedienen(geraet, &beobachter, k_abfrage_ms + 300 + versatz(zufall));
    }
    if (o.alarme > 0) {
        std::vector<double> gesamt, ohne_warten, warten, taste, empfang;
        for (const auto& m : alarme) {
            gesamt.push_back(m.gesamt);
            ohne_warten.push_back(m.gesamt - m.warten);
            warten.push_back(m.warten);
            taste.push_back(m.taste_signal);
            empfang.push_back(m.signal_journal);
        }
        const Kennzahlen g = kennzahlen(gesamt);
        const Kennzahlen r = kennzahlen(ohne_warten);
        const std::string cmd = befehl("--alarme=" + std::to_string(o.alarme));
        zeilen.push_back(
            {"Alarm raised on one workstation (device key frame written) → journal entry on another, two "
             "programs, " +
                 std::to_string(o.alarme) + " alarms" +
                 (verloren ? ", " + std::to_string(verloren) + " **lost**" : ""),
             ms_text(g), "max ≤ 5100 ms", !alarme.empty() && g.max <= k_abfrage_ms + 100 && verloren == 0,
             cmd});
        zeilen.push_back({"… the same minus the time the receiver waited for its next poll", ms_text(r),
                          "≤ 30 ms", !alarme.empty() && r.max <= 30, cmd});
        zeilen.push_back({"… of which: key frame → signal file written by the sender",
                          ms_text(kennzahlen(taste)), "", true, cmd, false});
        zeilen.push_back({"… of which: signal file opened by the receiver → its journal entry",
                          ms_text(kennzahlen(empfang)), "", true, cmd, false});
        zeilen.push_back({"… the wait for the receiver's poll", ms_text(kennzahlen(warten)),
                          "(poll every 5 s)", true, cmd, false});
        zeilen.push_back(
            {"Answer \"Ich komme\" laid in the group directory → the sender's journal line, two programs, " +
                 std::to_string(antworten.size()) + " answers" +
                 (antworten_verloren ? ", " + std::to_string(antworten_verloren) + " **not shown**" : ""),
             antworten.empty() ? std::string("–") : ms_text(kennzahlen(antworten)), "max ≤ 2000 ms",
             !antworten.empty() && antworten_verloren == 0 && kennzahlen(antworten).max <= 2000, cmd});
        zeilen.push_back({"Resident memory of the receiver after the alarms (sound loaded)",
                          mb_text(mb(pb.rss_kib())), "", true, cmd, false});
    }
    const bool a_lief = pa.laeuft();
    const bool b_lief = pb.laeuft();
    pa.beenden();
    pb.beenden();
    if (!a_lief || !b_lief) {
        std::fprintf(stderr, "bench_prozesse: a workstation ended during the measurement\n");
        gut = false;
    }

    for (const auto& z : zeilen) {
        gut = gut && z.eingehalten;
    }
    const std::string t = tabelle(zeilen);
    if (o.bericht.empty()) {
        std::fputs(t.c_str(), stdout);
    } else {
        std::ofstream(o.bericht, std::ios::trunc) << t;
    }
    return gut ? 0 : 1;
}

} // namespace
} // namespace hestrel::bench

int main(int argc, char** argv)
{
    hestrel::bench::Optionen o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto wert = [&](const char* name) -> std::optional<std::string> {
            const std::string vorne = std::string("--") + name + "=";
            return a.starts_with(vorne) ? std::optional(a.substr(vorne.size())) : std::nullopt;
        };
        if (auto w = wert("programm")) {
            o.programm = *w;
        } else if (auto w = wert("alarme")) {
            o.alarme = std::stoi(*w);
        } else if (auto w = wert("starts")) {
            o.starts = std::stoi(*w);
        } else if (auto w = wert("leerlauf")) {
            o.leerlauf_s = std::stoi(*w);
        } else if (auto w = wert("bericht")) {
            o.bericht = *w;
        } else if (auto w = wert("befehl")) {
            o.befehl = *w;
        } else {
            std::fprintf(stderr, "bench_prozesse: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    return hestrel::bench::ausfuehren(o);
}
