// The figures of one workstation measured inside one process: the poll tick
// against the bare existence tests it needs, the journal refresh of the
// message list, the frame decoder, the alarm from the device key to the
// signal files, and the presentation from the signal file to the journal.
//
//   bench_messungen [--bericht=FILE] [--befehl=NAME] [benchmark options]
//
// Runs on the real file system in a temporary directory, with the program's
// Qt services and windows (offscreen) and the device on a pseudo-terminal.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

#include "arbeitsplatz/arbeitsplatz.h"
#include "auswertung.h"
#include "console/meldeliste.h"
#include "device/empfangsdecoder.h"
#include "device/geraet.h"
#include "exchange/alarmempfang.h"
#include "exchange/alarmversand.h"
#include "platform/qtscheduler.h"
#include "platform/qttonausgabe.h"
#include "platform/ressourcen.h"
#include "standort.h"
#include "support/testumgebung.h"
#include "werkbank.h"

namespace hestrel::bench {
namespace {

constexpr int k_journalzeilen = 100000;

// What all measurements share: one site, one workstation on it, and the
// series that the reporter cannot keep.
struct Lauf {
    test::TempVerzeichnis tmp;
    Standort standort{tmp.pfad()};
    std::string wav = tmp / "alarm.wav";
    std::unique_ptr<Werkbank> werkbank;
    std::vector<double> taste2_ms;
    std::vector<double> praesentation_ms;
    std::vector<double> praesentation_wav_ms;
    double erste_praesentation_ms = -1;
    std::size_t journal_anfang = 0;
    std::size_t journal_ende = 0;
};
Lauf* g_lauf = nullptr;

Werkbank& werkbank()
{
    return *g_lauf->werkbank;
}

// The measurements drive the ticks themselves: the timers that would fire on
// their own in between are stopped.
void ruhig()
{
    Arbeitsplatz& ap = werkbank().arbeitsplatz();
    ap.alarmempfang().abfragetakt().stop();
    ap.geraet().statusabfrage().stop();
    ap.meldeliste().journaltakt().stop();
}

void datei(const std::string& pfad, const std::string& bytes, bool anhaengen = false)
{
    std::ofstream(pfad, std::ios::binary | (anhaengen ? std::ios::app : std::ios::trunc)) << bytes;
}

// As another workstation sends: the data file complete before the signal file appears.
void alarm_legen(const std::string& gruppe, int nummer)
{
    datei(gruppe + ".MDAT0.XQV.neu", "\xDC"
                                     "berfall " +
                                         std::to_string(nummer) + "\r\nKasse 2\r\n\r\n\r\n");
    std::filesystem::rename(gruppe + ".MDAT0.XQV.neu", gruppe + "MDAT0.XQV");
    datei(gruppe + ".MESSAGE.XQV.neu", "0");
    std::filesystem::rename(gruppe + ".MESSAGE.XQV.neu", gruppe + "MESSAGE.XQV");
}

std::vector<std::string> abfragepfade()
{
    const Einstellungen& e = werkbank().arbeitsplatz().einstellungen().einstellungen();
    std::vector<std::string> pfade{e.importverzeichnis + "MESSAGE.XQV"};
    for (int i = 0; i < k_gruppen; ++i) {
        pfade.push_back(e.gruppenpfad[static_cast<std::size_t>(i)] + "MESSAGE.XQV");
    }
    return pfade;
}

void BM_Abfragetakt(benchmark::State& s)
{
    ruhig();
    for (const auto& p : abfragepfade()) {
        if (std::filesystem::exists(p)) {
            s.SkipWithError("a signal file lies in a group directory");
            return;
        }
    }
    Alarmempfang& empfang = werkbank().arbeitsplatz().alarmempfang();
    for (auto _ : s) {
        empfang.abfragen();
    }
}
BENCHMARK(BM_Abfragetakt)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

void BM_Existenztests(benchmark::State& s)
{
    const std::vector<std::string> pfade = abfragepfade();
    for (auto _ : s) {
        for (const auto& p : pfade) {
            struct stat st {};
            benchmark::DoNotOptimize(::stat(p.c_str(), &st));
        }
    }
}
BENCHMARK(BM_Existenztests)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

std::string journalpfad()
{
    return werkbank().daten() + "/mameldung.log";
}

std::size_t journalzeilen_in_liste()
{
    return werkbank().arbeitsplatz().meldeliste().maske().listmeldungen.size();
}

void journal_anlegen(const benchmark::State&)
{
    ruhig();
    datei(journalpfad(), journal(k_journalzeilen));
    werkbank().arbeitsplatz().meldeliste().liste_laden();
    Werkbank::ereignisse();
}

// Five alarms with a one-line text: ten rows.
std::string zehn_zeilen(int nummer)
{
    std::string bytes;
    for (int n = 0; n < 5; ++n) {
        bytes += "08.12.2026 09:00:00 Alarm aus Gruppe 7 von:\rBitte kommen " +
                 std::to_string(nummer * 5 + n) + "\r\n";
    }
    return bytes;
}

void BM_Journal_unveraendert(benchmark::State& s)
{
    Meldeliste& liste = werkbank().arbeitsplatz().meldeliste();
    for (auto _ : s) {
        liste.liste_laden();
        Werkbank::ereignisse();
    }
}
BENCHMARK(BM_Journal_unveraendert)
    ->Setup(journal_anlegen)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

void BM_Journal_angehaengt(benchmark::State& s)
{
    Meldeliste& liste = werkbank().arbeitsplatz().meldeliste();
    const std::size_t vorher = journalzeilen_in_liste();
    g_lauf->journal_anfang = vorher;
    int n = 0;
    for (auto _ : s) {
        s.PauseTiming();
        datei(journalpfad(), zehn_zeilen(n++), true);
        s.ResumeTiming();
        liste.liste_laden();
        Werkbank::ereignisse();
    }
    g_lauf->journal_ende = journalzeilen_in_liste();
    // The list keeps its newest rows only: it must end with the last one appended.
    const auto& zeilen = werkbank().arbeitsplatz().meldeliste().maske().listmeldungen;
    if (zeilen.empty() || zeilen.back() != "Bitte kommen " + std::to_string((n - 1) * 5 + 4) ||
        journalzeilen_in_liste() !=
            std::min(vorher + 10 * static_cast<std::size_t>(n), k_journal_max_zeilen)) {
        s.SkipWithError("the list does not hold the appended rows");
    }
}
BENCHMARK(BM_Journal_angehaengt)
    ->Setup(journal_anlegen)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// Status frames as the device answers them: no key, all outputs off.
std::string rahmenfolge(int anzahl)
{
    std::string bytes;
    for (int n = 0; n < anzahl; ++n) {
        bytes += statusrahmen(false, false);
    }
    return bytes;
}

void BM_Rahmendecoder(benchmark::State& s)
{
    // The decoder with a frame time-out like the program's, which it restarts at every byte.
    QtScheduler scheduler;
    auto zeichenfrist = scheduler.timer("Zeichenfrist", 1000);
    Empfangsdecoder decoder(*zeichenfrist);
    const std::string bytes = rahmenfolge(1000);
    std::int64_t rahmen = 0;
    for (auto _ : s) {
        for (unsigned char b : bytes) {
            rahmen += decoder.schritt(b);
        }
    }
    s.SetBytesProcessed(s.iterations() * static_cast<std::int64_t>(bytes.size()));
    if (rahmen != s.iterations() * 1000) {
        s.SkipWithError("frames were lost");
    }
}
BENCHMARK(BM_Rahmendecoder)->Unit(benchmark::kMicrosecond)->Repetitions(5)->DisplayAggregatesOnly(true);

void BM_Empfangsereignis(benchmark::State& s)
{
    // The whole receive event per byte: trace, decoder, and for every complete
    // frame its evaluation with the windows' refresh (their painting follows later).
    ruhig();
    Geraet& geraet = werkbank().arbeitsplatz().geraet();
    const std::string bytes = rahmenfolge(20);
    for (auto _ : s) {
        for (unsigned char b : bytes) {
            geraet.empfangen(b);
        }
    }
    s.SetBytesProcessed(s.iterations() * static_cast<std::int64_t>(bytes.size()));
    s.counters["frames"] =
        benchmark::Counter(static_cast<double>(s.iterations()) * 20, benchmark::Counter::kIsRate);
    Werkbank::ereignisse();
    ruhig();
}
BENCHMARK(BM_Empfangsereignis)->Unit(benchmark::kMicrosecond)->Repetitions(3)->DisplayAggregatesOnly(true);

void BM_Taste2_bis_Signale(benchmark::State& s)
{
    ruhig();
    Werkbank& w = werkbank();
    for (auto _ : s) {
        w.leitung().lesen();
        w.fs().zuruecksetzen();
        if (!w.leitung().schreiben(statusrahmen(false, true))) {
            s.SkipWithError("the line takes no bytes");
            break;
        }
        const auto geschrieben = Uhrzeit::now();
        while (w.fs().signale < k_gruppen && Uhrzeit::now() - geschrieben < std::chrono::seconds(3)) {
            QApplication::processEvents();
        }
        if (w.fs().signale < k_gruppen) {
            s.SkipWithError("the key did not reach all 50 groups");
            break;
        }
        const double ms = ms_zwischen(geschrieben, w.fs().signal_geschrieben);
        s.SetIterationTime(ms / 1000);
        g_lauf->taste2_ms.push_back(ms);
        // The follow-up step of 15 s later: the signal files go again.
        w.arbeitsplatz().alarmempfang().abfragen();
        Werkbank::ereignisse();
        ruhig();
    }
}
BENCHMARK(BM_Taste2_bis_Signale)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_Signal_bis_Journal(benchmark::State& s)
{
    ruhig();
    Werkbank& w = werkbank();
    Einstellungen& e = w.arbeitsplatz().einstellungen().einstellungen();
    e.vollbildanzeige = true;
    Alarmempfang& empfang = w.arbeitsplatz().alarmempfang();
    int k = 0;
    for (auto _ : s) {
        const std::string gruppe = g_lauf->standort.gruppe(k % k_gruppen + 1);
        // Every other alarm with the WAV file, the first of them with the sound not yet loaded.
        const bool mit_wav = k % 2 == 0;
        e.signaldatei = mit_wav ? g_lauf->wav : "";
        alarm_legen(gruppe, k);
        w.fs().zuruecksetzen();
        empfang.abfragen();
        if (w.fs().journaleintraege != 1) {
            s.SkipWithError("the alarm did not reach the journal");
            break;
        }
        const double ms = ms_zwischen(w.fs().signal_gesehen, w.fs().journal_geschrieben);
        s.SetIterationTime(ms / 1000);
        if (k == 0) {
            g_lauf->erste_praesentation_ms = ms;
        }
        g_lauf->praesentation_ms.push_back(ms);
        if (mit_wav) {
            g_lauf->praesentation_wav_ms.push_back(ms);
        }
        // The sender removes its signal file; the next tick forgets the alarm.
        std::filesystem::remove(gruppe + "MESSAGE.XQV");
        empfang.abfragen();
        Werkbank::ereignisse();
        w.leitung().lesen();
        ++k;
    }
    e.vollbildanzeige = false;
    ruhig();
}
BENCHMARK(BM_Signal_bis_Journal)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// Keeps every run the console shows, for the report.
class Sammler : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs) {
            if (!r.error_occurred) {
                m_laeufe[r.run_name.function_name + "/" + r.aggregate_name] = r;
            } else {
                fehler.push_back(r.run_name.function_name + ": " + r.error_message);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Real time per iteration in microseconds; aggregate "" for a single run.
    std::optional<double> mikrosekunden(const std::string& name, const std::string& aggregat = "median") const
    {
        const auto it = m_laeufe.find(name + "/" + aggregat);
        if (it == m_laeufe.end()) {
            return std::nullopt;
        }
        return it->second.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(it->second.time_unit) *
               1e6;
    }
    std::optional<double> zaehler(const std::string& name, const std::string& zaehler,
                                  const std::string& aggregat = "median") const
    {
        const auto it = m_laeufe.find(name + "/" + aggregat);
        if (it == m_laeufe.end() || !it->second.counters.count(zaehler)) {
            return std::nullopt;
        }
        return it->second.counters.at(zaehler).value;
    }
    std::vector<std::string> fehler;

  private:
    std::map<std::string, Run> m_laeufe;
};

std::string ms_text(const Kennzahlen& k)
{
    return "median " + zahl(k.median, 2) + " ms, 95 % " + zahl(k.p95, 2) + " ms, max " + zahl(k.max, 2) +
           " ms (" + std::to_string(k.anzahl) + ")";
}

std::vector<Messzeile> zeilen(const Sammler& s, const std::string& befehl)
{
    auto filter = [&](const std::string& f) { return befehl + " --benchmark_filter='" + f + "'"; };
    std::vector<Messzeile> z;
    const auto takt = s.mikrosekunden("BM_Abfragetakt");
    const auto nackt = s.mikrosekunden("BM_Existenztests");
    if (takt && nackt) {
        const double verhaeltnis = *takt / *nackt;
        z.push_back(
            {"Poll tick, 50 groups and the import directory, no signal file, against its 51 bare existence "
             "tests",
             zahl(*takt, 1) + " µs / " + zahl(*nackt, 1) + " µs = ratio " + zahl(verhaeltnis, 2),
             "ratio ≤ 1.5", verhaeltnis <= 1.5, filter("Abfragetakt|Existenztests")});
    }
    const auto still = s.mikrosekunden("BM_Journal_unveraendert");
    const auto neu = s.mikrosekunden("BM_Journal_angehaengt");
    if (still && neu) {
        z.push_back(
            {"Journal refresh of the message list, 100,000 rows, nothing changed / 10 rows appended (" +
                 std::to_string(g_lauf->journal_anfang) + " → " + std::to_string(g_lauf->journal_ende) +
                 " rows), with the view's layout and paint",
             zahl(*still / 1000, 4) + " ms / " + zahl(*neu / 1000, 3) + " ms", "≤ 0.2 ms / ≤ 2 ms",
             *still <= 200 && *neu <= 2000, filter("Journal")});
    }
    if (const auto bps = s.zaehler("BM_Rahmendecoder", "bytes_per_second")) {
        z.push_back({"Frame decoder with the program's inter-byte timer, status frames",
                     zahl(*bps / 1e6, 1) + " MB/s", "≥ 10 MB/s", *bps >= 10e6, filter("Rahmendecoder")});
    }
    if (const auto bps = s.zaehler("BM_Empfangsereignis", "bytes_per_second")) {
        const auto rahmen = s.zaehler("BM_Empfangsereignis", "frames");
        z.push_back({"Whole receive event per byte (trace, decoder, each frame evaluated, windows refreshed)",
                     zahl(*bps / 1e6, 2) + " MB/s, " + zahl(rahmen.value_or(0), 0) + " frames/s",
                     "(the line: 240 B/s)", true, filter("Empfangsereignis"), false});
    }
    if (!g_lauf->taste2_ms.empty()) {
        const Kennzahlen k = kennzahlen(g_lauf->taste2_ms);
        z.push_back({"Device key 2 (last frame byte written on the line) → all 50 signal files written",
                     ms_text(k), "≤ 50 ms", k.max <= 50, filter("Taste2")});
    }
    if (!g_lauf->praesentation_ms.empty()) {
        const Kennzahlen k = kennzahlen(g_lauf->praesentation_ms);
        z.push_back(
            {"Signal file seen → journal entry written (full-screen window, WAV or beeps, device output, "
             "message list)",
             ms_text(k), "≤ 20 ms", k.max <= 20, filter("Signal_bis_Journal")});
        z.push_back({"… of which the first alarm, the sound not yet loaded",
                     zahl(g_lauf->erste_praesentation_ms, 2) + " ms", "≤ 20 ms",
                     g_lauf->erste_praesentation_ms <= 20, filter("Signal_bis_Journal")});
    }
    return z;
}

} // namespace
} // namespace hestrel::bench

int main(int argc, char** argv)
{
    using namespace hestrel::bench;
    std::string bericht;
    std::string befehl = argc > 0 ? argv[0] : "bench_messungen";
    std::vector<char*> argumente;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.starts_with("--bericht=")) {
            bericht = a.substr(10);
        } else if (a.starts_with("--befehl=")) {
            befehl = a.substr(9);
        } else {
            argumente.push_back(argv[i]);
        }
    }
    int n = static_cast<int>(argumente.size());
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(n, argumente.data());
    hestrel::ressourcen_laden();
    benchmark::Initialize(&n, argumente.data());
    if (benchmark::ReportUnrecognizedArguments(n, argumente.data())) {
        return 2;
    }

    Lauf lauf;
    g_lauf = &lauf;
    {
        QFile f(QString::fromStdString(lauf.wav));
        f.open(QIODevice::WriteOnly);
        f.write(hestrel::ton_erzeugen(880, 500, 0));
    }
    Platzart art;
    art.geraet = true;
    for (int g = 1; g <= 50; ++g) {
        art.ziele.push_back(g);
    }
    lauf.werkbank = std::make_unique<Werkbank>(lauf.standort.arbeitsplatz("platz", art));

    Sammler sammler;
    benchmark::RunSpecifiedBenchmarks(&sammler);
    benchmark::Shutdown();

    const auto z = zeilen(sammler, befehl);
    bool alle = sammler.fehler.empty();
    for (const auto& zeile : z) {
        alle = alle && zeile.eingehalten;
    }
    if (!bericht.empty()) {
        std::ofstream aus(bericht, std::ios::trunc);
        aus << tabelle(z);
        for (const auto& f : sammler.fehler) {
            aus << "\nFailed: " << f << "\n";
        }
    } else {
        std::fputs(tabelle(z).c_str(), stdout);
    }
    lauf.werkbank.reset();
    return alle ? 0 : 1;
}
