// Timing of the poll cycle and of one alarm's presentation, on the real file
// system and the real windows (offscreen). Not a test: run by hand,
//   bench_austausch [ticks]
// and compare the figures with docs/performance.md.
#include <QApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/stat.h>

#include "exchange/platz.h"
#include "platform/qttonausgabe.h"
#include "platform/ressourcen.h"
#include "presentation/alarmanzeigefenster.h"

using namespace hestrel;
using Uhrzeit = std::chrono::steady_clock;

namespace {

double ms_seit(Uhrzeit::time_point t)
{
    return std::chrono::duration<double, std::milli>(Uhrzeit::now() - t).count();
}

// The real file system, noting when a signal file is read and when the journal is written.
class Stoppuhr : public Dateisystem {
public:
    bool existiert(const std::string& p) override { return m_echt.existiert(p); }
    Fehler lesen(const std::string& p, std::string& i, std::size_t m) override
    {
        if (p.ends_with("MESSAGE.XQV")) {
            gelesen = Uhrzeit::now();
        }
        return m_echt.lesen(p, i, m);
    }
    Fehler ersetzen(const std::string& p, const std::string& i) override { return m_echt.ersetzen(p, i); }
    Fehler anhaengen(const std::string& p, const std::string& i) override
    {
        Fehler f = m_echt.anhaengen(p, i);
        if (p.ends_with("mameldung.log")) {
            dauern.push_back(ms_seit(gelesen));
        }
        return f;
    }
    Fehler leeren(const std::string& p) override { return m_echt.leeren(p); }
    Fehler loeschen(const std::string& p) override { return m_echt.loeschen(p); }
    std::optional<Dateiinfo> info(const std::string& p) override { return m_echt.info(p); }

    Uhrzeit::time_point gelesen;
    std::vector<double> dauern;

private:
    EchtesDateisystem m_echt;
};

struct Station {
    explicit Station(const std::string& daten, Tonausgabe* ton)
        : ap(Dienste{fs, uhr, uhr, boxen, port, ton, &prozesse})
    {
        std::filesystem::create_directories(daten);
        ap.starten(daten);
        ap.hestrel().einstellungen().logfileaktive = "1";
        ap.hestrel().einstellungen().comdeaktiviert = "1";
        ap.hestrel().einstellungen().idnummer = "0";
    }
    Stoppuhr fs;
    VirtualScheduler uhr;
    test::FakeMeldungsdienst boxen;
    test::FakePort port;
    test::FakeProzesse prozesse;
    Arbeitsplatz ap;
};

void poll(int ticks)
{
    test::TempVerzeichnis basis;
    Station s(basis / "daten", nullptr);
    std::vector<std::string> pfade;
    for (int i = 0; i < k_gruppen; ++i) {
        const std::string g = basis.unterverzeichnis("gruppe" + std::to_string(i + 1));
        s.ap.hestrel().einstellungen().gruppenpfad[static_cast<std::size_t>(i)] = g;
        pfade.push_back(g + "MESSAGE.XQV");
    }
    const std::string import = basis.unterverzeichnis("import");
    s.ap.hestrel().einstellungen().importverzeichnis = import;
    pfade.push_back(import + "MESSAGE.XQV");

    // Warm the directory cache for both alike, then alternate the rounds.
    double zyklus = 0;
    double nackt = 0;
    for (int runde = 0; runde < 6; ++runde) {
        auto t = Uhrzeit::now();
        for (int n = 0; n < ticks; ++n) {
            s.ap.alarmempfang().Timer1_Timer();
        }
        const double z = ms_seit(t);
        t = Uhrzeit::now();
        int gefunden = 0;
        for (int n = 0; n < ticks; ++n) {
            for (const auto& p : pfade) {
                struct stat st {};
                gefunden += ::stat(p.c_str(), &st) == 0;
            }
        }
        const double b = ms_seit(t) + gefunden;
        if (runde > 0) {
            zyklus += z;
            nackt += b;
        }
    }
    std::printf("poll tick, 50 groups + import directory: %.2f us per tick\n", zyklus * 1000 / (5.0 * ticks));
    std::printf("bare existence tests (51 stat calls):    %.2f us per tick\n", nackt * 1000 / (5.0 * ticks));
    std::printf("ratio: %.2f\n", zyklus / nackt);
}

void praesentation(int alarme)
{
    test::TempVerzeichnis basis;
    QtTonausgabe ton;
    Station s(basis / "daten", &ton);
    AlarmanzeigeFenster fenster(s.ap.alarmanzeige());
    s.ap.hestrel().einstellungen().vollbildanzeige = true;
    const std::string wav = basis / "alarm.wav";
    {
        QFile f(QString::fromStdString(wav));
        f.open(QIODevice::WriteOnly);
        f.write(ton_erzeugen(880, 500, 0));
    }
    const std::string g = basis.unterverzeichnis("gruppe1");
    s.ap.hestrel().einstellungen().gruppenpfad[0] = g;
    for (int n = 0; n < alarme; ++n) {
        // Every other alarm with the WAV file, the others with the beeps.
        s.ap.hestrel().einstellungen().signaldatei = n % 2 ? wav : "";
        test::alarm_legen(g, "Alarm " + std::to_string(n) + "\r\nKasse 2\r\n");
        s.ap.alarmempfang().alarm_empfangen(g, 0);
        s.uhr.advance(50);
        QApplication::processEvents();
    }
    auto d = s.fs.dauern;
    std::sort(d.begin(), d.end());
    std::printf("signal file read -> journal entry, %zu alarms: median %.2f ms, 95%% %.2f ms, max %.2f ms\n",
                d.size(), d[d.size() / 2], d[d.size() * 95 / 100], d.back());
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    ressourcen_laden();
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 2000;
    poll(ticks);
    praesentation(100);
    return 0;
}
