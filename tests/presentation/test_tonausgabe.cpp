// The alarm sound as a person hears it: a sound server of the test's own with
// a null sink, its monitor recorded, and the tones counted in the recording.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <sys/stat.h>

#include "arbeitsplatz/arbeitsplatz.h"
#include "core/wavdatei.h"
#include "exchange/alarmempfang.h"
#include "exchange/platz.h"
#include "platform/qtscheduler.h"
#include "platform/qttonausgabe.h"
#include "support/testarbeitsplatz.h"

namespace hestrel::test {
namespace {

constexpr int k_rate = 16000;
constexpr int k_rahmen = k_rate / 100; // 10 ms

// A sound segment of one frequency: start and length in milliseconds.
struct Ton {
    int beginn;
    int dauer;
};

// Amplitude (0..1) of `frequenz` in n samples, by the Goertzel filter.
double amplitude(const qint16* p, int n, double frequenz)
{
    const double w = 2.0 * std::numbers::pi * frequenz / k_rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (int i = 0; i < n; ++i) {
        const double s0 = p[i] / 32768.0 + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2.0 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - c * s1 * s2)) / n;
}

// The tones of `frequenz` in a recording: 10 ms frames over a threshold;
// gaps of up to 20 ms inside a tone and blips under 50 ms are ignored.
std::vector<Ton> toene(const std::vector<qint16>& aufnahme, double frequenz)
{
    std::vector<Ton> ergebnis;
    int beginn = -1;
    int zuletzt = -100;
    const int rahmen = static_cast<int>(aufnahme.size()) / k_rahmen;
    auto abschliessen = [&] {
        if (beginn >= 0 && (zuletzt - beginn + 1) >= 5) {
            ergebnis.push_back({beginn * 10, (zuletzt - beginn + 1) * 10});
        }
        beginn = -1;
    };
    for (int r = 0; r < rahmen; ++r) {
        if (amplitude(aufnahme.data() + r * k_rahmen, k_rahmen, frequenz) < 0.1) {
            continue;
        }
        if (r - zuletzt > 3) {
            abschliessen();
            beginn = r;
        }
        zuletzt = r;
    }
    abschliessen();
    return ergebnis;
}

void warten(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// A WAV file of one sine tone of `frequenz` at amplitude 0.5 in the first
// channel; the other channels stay silent.
struct Wavbau {
    int format = 1;
    int kanaele = 1;
    int rate = 8000;
    int bits = 16;
    bool erweitert = false;
    bool liste_davor = false;
    int abschneiden = 0; // bytes taken off the end
};

std::string wav_bauen(const Wavbau& b, double frequenz, int ms)
{
    const int bilder = b.rate * ms / 1000;
    const int bytes = b.bits / 8;
    std::string daten;
    for (int i = 0; i < bilder; ++i) {
        for (int k = 0; k < b.kanaele; ++k) {
            const double w = k == 0 ? 0.5 * std::sin(2.0 * std::numbers::pi * frequenz * i / b.rate) : 0.0;
            char roh[8] = {};
            if (b.format == 3 && b.bits == 32) {
                const float f = static_cast<float>(w);
                std::memcpy(roh, &f, 4);
            } else if (b.format == 3) {
                std::memcpy(roh, &w, 8);
            } else if (b.bits == 8) {
                roh[0] = static_cast<char>(static_cast<int>(std::lround(w * 127)) + 128);
            } else {
                const auto v = static_cast<qint64>(std::llround(w * std::pow(2.0, b.bits - 1)));
                std::memcpy(roh, &v, static_cast<std::size_t>(bytes));
            }
            daten.append(roh, static_cast<std::size_t>(bytes));
        }
    }
    auto u16 = [](int v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    };
    auto u32 = [&](qint64 v) { return u16(static_cast<int>(v & 0xFFFF)) + u16(static_cast<int>(v >> 16)); };
    std::string fmt = u16(b.erweitert ? 0xFFFE : b.format) + u16(b.kanaele) + u32(b.rate) +
                      u32(static_cast<qint64>(b.rate) * b.kanaele * bytes) + u16(b.kanaele * bytes) +
                      u16(b.bits);
    if (b.erweitert) {
        fmt += u16(22) + u16(b.bits) + u32(0) + u16(b.format) + std::string(14, '\x01');
    }
    std::string rumpf = "WAVE";
    if (b.liste_davor) {
        rumpf += "LIST" + u32(3) + "abc" + std::string(1, '\0');
    }
    rumpf += "fmt " + u32(static_cast<qint64>(fmt.size())) + fmt;
    rumpf += "data" + u32(static_cast<qint64>(daten.size())) + daten;
    std::string datei = "RIFF" + u32(static_cast<qint64>(rumpf.size())) + rumpf;
    datei.resize(datei.size() - static_cast<std::size_t>(b.abschneiden));
    return datei;
}

TEST(Wavdatei, GaengigeFormateKlingenRichtig)
{
    struct Fall {
        std::string name;
        Wavbau bau;
        int ms; // expected length
    };
    const std::vector<Fall> faelle = {
        {"8 Bit", {1, 1, 8000, 8}, 500},
        {"16 Bit Stereo", {1, 2, 22050, 16}, 500},
        {"24 Bit", {1, 1, 48000, 24}, 500},
        {"32 Bit", {1, 1, 44100, 32}, 500},
        {"Gleitkomma 32", {3, 2, 11025, 32}, 500},
        {"Gleitkomma 64", {3, 1, 16000, 64}, 500},
        {"erweitert, 6 Kanaele", {1, 6, 48000, 16, true}, 500},
        {"fremder Block davor", {1, 1, 8000, 16, false, true}, 500},
        {"abgeschnitten", {1, 1, 8000, 16, false, false, 4000}, 250},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        const std::string datei = wav_bauen(f.bau, 440, 500);
        std::string fehler;
        // Into two channels at 16 kHz: the tone stays in the first channel.
        const std::vector<qint16> p = wav_dekodieren(datei, k_rate, 2, fehler);
        EXPECT_TRUE(fehler.empty()) << fehler;
        EXPECT_NEAR(static_cast<double>(p.size()) / 2, f.ms * k_rate / 1000.0, 2);
        std::vector<qint16> links;
        std::vector<qint16> rechts;
        for (std::size_t i = 0; i + 1 < p.size(); i += 2) {
            links.push_back(p[i]);
            rechts.push_back(p[i + 1]);
        }
        ASSERT_GE(links.size(), 3u * k_rahmen);
        const qint16* mitte = links.data() + links.size() / 2 - k_rahmen;
        EXPECT_NEAR(amplitude(mitte, 2 * k_rahmen, 440), 0.5, 0.05);
        const double rechts_erwartet = f.bau.kanaele == 1 ? 0.5 : 0.0;
        EXPECT_NEAR(amplitude(rechts.data() + rechts.size() / 2 - k_rahmen, 2 * k_rahmen, 440),
                    rechts_erwartet, 0.05);
    }
}

TEST(Wavdatei, UnspielbaresWirdAbgelehnt)
{
    const std::string gut = wav_bauen({}, 440, 100);
    std::string ohne_daten = gut.substr(0, 36);
    std::string adpcm = gut;
    adpcm[20] = 2;
    std::string ohne_kanal = gut;
    ohne_kanal[22] = 0;
    std::string zwoelf_bit = gut;
    zwoelf_bit[34] = 12;
    const std::vector<std::pair<std::string, std::string>> faelle = {
        {"leer", ""},
        {"kein RIFF", "RIFX" + gut.substr(4)},
        {"ohne Datenblock", ohne_daten},
        {"ADPCM", adpcm},
        {"ohne Kanal", ohne_kanal},
        {"12 Bit", zwoelf_bit},
        {"ohne Proben", wav_bauen({}, 440, 0)},
    };
    for (const auto& [name, datei] : faelle) {
        SCOPED_TRACE(name);
        std::string fehler;
        EXPECT_TRUE(wav_dekodieren(datei, 44100, 2, fehler).empty());
        EXPECT_FALSE(fehler.empty());
        EXPECT_FALSE(wav_format(datei, 44100, fehler));
    }
}

// What is no playable file is reported, later, and never holds anything up.
TEST(Wavdatei, FehlendeFifoOderVerzeichnisMisslingt)
{
    TempVerzeichnis dir;
    ::mkfifo((dir / "fifo").c_str(), 0600);
    QtTonausgabe ton;
    for (const std::string& pfad : {dir / "fehlt.wav", dir / "fifo", dir.pfad()}) {
        SCOPED_TRACE(pfad);
        bool misslungen = false;
        ton.abspielen(pfad, [&] { misslungen = true; });
        QElapsedTimer t;
        t.start();
        while (!misslungen && t.elapsed() < 5000) {
            warten(10);
        }
        EXPECT_TRUE(misslungen);
        EXPECT_LT(t.elapsed(), 1000);
    }
}

// Qt's sound output looks for its server once per process.
bool g_ohne_server_benutzt = false;

// Without any sound server: a beep burst reports once, a sound file fails.
TEST(Wavdatei, OhneAudiogeraetEineMeldung)
{
    if (qEnvironmentVariableIsSet("HESTREL_TONSERVER_LAEUFT")) {
        GTEST_SKIP() << "skipped: this process already uses the test's sound server";
    }
    g_ohne_server_benutzt = true;
    TempVerzeichnis dir;
    qputenv("PULSE_SERVER", QByteArray::fromStdString("unix:" + (dir / "kein-server")));
    datei_schreiben(dir / "ton.wav", ton_erzeugen(440, 100, 0).toStdString());
    QtTonausgabe ton;
    std::vector<std::string> meldungen;
    ton.setStoerung([&](const std::string& text) { meldungen.push_back(text); });
    int misslungen = 0;
    for (int n = 0; n < 9; ++n) {
        ton.piepen(2000, 300);
    }
    ton.abspielen(dir / "ton.wav", [&] { ++misslungen; });
    QElapsedTimer t;
    t.start();
    while (misslungen == 0 && t.elapsed() < 5000) {
        warten(10);
    }
    EXPECT_EQ(misslungen, 1);
    EXPECT_EQ(meldungen, std::vector<std::string>{"Signalton nicht abspielbar: kein Audiogerät"});
    EXPECT_EQ(ton.ausstehend_ms(), 0);
}

// A sound server with one null sink, started for this test program alone,
// and a recording of its monitor from start to end.
class Tonserver {
  public:
    // Empty when it runs; otherwise why not.
    QString starten()
    {
        for (const char* programm : {"pulseaudio", "parec", "pactl"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(programm)).isEmpty()) {
                return QStringLiteral("%1 is not installed").arg(QString::fromLatin1(programm));
            }
        }
        const QString basis = QString::fromStdString(m_dir.pfad());
        const QString laufzeit = basis + "/laufzeit";
        ::mkdir(laufzeit.toLocal8Bit().constData(), 0700);
        const QString socket = basis + "/server";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", laufzeit);
        env.insert("HOME", basis);
        env.insert("PULSE_SERVER", "unix:" + socket);
        m_server.setProcessEnvironment(env);
        m_server.setStandardOutputFile(basis + "/server.log");
        m_server.setStandardErrorFile(basis + "/server.log");
        m_server.start("pulseaudio", {"-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
                                      "--use-pid-file=false", "-L",
                                      "module-null-sink sink_name=hestrel_probe rate=44100 channels=2", "-L",
                                      "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        if (!m_server.waitForStarted(5000)) {
            return QStringLiteral("pulseaudio does not start");
        }
        QElapsedTimer t;
        t.start();
        bool bereit = false;
        while (!bereit && t.elapsed() < 15000 && m_server.state() == QProcess::Running) {
            QProcess info;
            info.setProcessEnvironment(env);
            info.start("pactl", {"info"});
            bereit = info.waitForFinished(3000) && info.exitCode() == 0;
            if (!bereit) {
                QThread::msleep(100);
            }
        }
        if (!bereit) {
            QFile log(basis + "/server.log");
            log.open(QIODevice::ReadOnly);
            return QStringLiteral("pulseaudio does not answer: ") + QString::fromLocal8Bit(log.readAll());
        }
        m_aufnahme = basis + "/aufnahme.raw";
        m_parec.setProcessEnvironment(env);
        m_parec.setStandardOutputFile(m_aufnahme);
        m_parec.start("parec", {"--device=hestrel_probe.monitor", "--format=s16le", "--rate=16000",
                                "--channels=1", "--latency-msec=20", "--raw"});
        if (!m_parec.waitForStarted(5000)) {
            return QStringLiteral("parec does not start");
        }
        // The null sink's monitor gives silence from the start: the file grows.
        t.restart();
        while (QFile(m_aufnahme).size() < 3200 && t.elapsed() < 10000) {
            QThread::msleep(20);
        }
        if (QFile(m_aufnahme).size() < 3200) {
            return QStringLiteral("parec records nothing");
        }
        // This program's own sound output goes to the same server.
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", laufzeit.toLocal8Bit());
        qputenv("HESTREL_TONSERVER_LAEUFT", "1");
        return {};
    }

    ~Tonserver()
    {
        for (QProcess* p : {&m_parec, &m_server}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000)) {
                    p->kill();
                    p->waitForFinished(3000);
                }
            }
        }
    }

    // The recording from sample `ab` on.
    std::vector<qint16> aufnahme(std::size_t ab) const
    {
        QFile f(m_aufnahme);
        f.open(QIODevice::ReadOnly);
        f.seek(static_cast<qint64>(ab * 2));
        const QByteArray b = f.readAll();
        std::vector<qint16> p(static_cast<std::size_t>(b.size() / 2));
        for (std::size_t i = 0; i < p.size(); ++i) {
            p[i] = qFromLittleEndian<qint16>(b.constData() + 2 * i);
        }
        return p;
    }
    std::size_t laenge() const { return static_cast<std::size_t>(QFile(m_aufnahme).size() / 2); }

  private:
    TempVerzeichnis m_dir;
    QProcess m_server;
    QProcess m_parec;
    QString m_aufnahme;
};

// A workstation's engine on the real clock and the real sound output.
class Alarmton : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        if (g_ohne_server_benutzt) {
            return;
        }
        s_server = new Tonserver;
        s_grund = s_server->starten();
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override
    {
        if (g_ohne_server_benutzt) {
            GTEST_SKIP()
                << "skipped: this process has used its sound output without a server; run this test alone";
        }
        if (!s_grund.isEmpty()) {
            GTEST_SKIP() << "skipped: no sound server for the test: " << s_grund.toStdString();
        }
        ap.meldeliste_verwenden(&liste);
        ap.starten(dir.unterverzeichnis("daten"));
        h.einstellungen().logfileaktive = "1";
        h.einstellungen().comdeaktiviert = "1";
        // The alarms are handed in directly, not found by polling.
        ap.alarmempfang().abfragetakt().stop();
        gruppe = dir.unterverzeichnis("gruppe1");
        alarm_legen(gruppe, "Tonprobe");
    }

    // Presents `anzahl` alarms 200 ms apart and returns the recording from
    // the first of them until the sound has been over for 1.5 s.
    std::vector<qint16> alarme(int anzahl, int hoechstens_ms)
    {
        const std::size_t ab = s_server->laenge();
        for (int n = 0; n < anzahl; ++n) {
            ap.alarmempfang().alarm_empfangen(gruppe, 0);
            warten(200);
        }
        QElapsedTimer t;
        t.start();
        std::vector<qint16> aufnahme;
        while (t.elapsed() < hoechstens_ms) {
            warten(250);
            aufnahme = s_server->aufnahme(ab);
            const int ende = static_cast<int>(aufnahme.size()) * 1000 / k_rate;
            int letzter = 0;
            for (double f : {2000.0, 440.0}) {
                for (const Ton& ton : toene(aufnahme, f)) {
                    letzter = std::max(letzter, ton.beginn + ton.dauer);
                }
            }
            if (letzter > 0 && ende - letzter > 1500) {
                break;
            }
        }
        return aufnahme;
    }

    static inline Tonserver* s_server = nullptr;
    static inline QString s_grund;

    TempVerzeichnis dir;
    std::string gruppe;
    Ereignisse ereignisse;
    EchtesDateisystem fs;
    QtScheduler scheduler;
    SystemUhr uhr;
    FakeMeldungsdienst boxen;
    FakePort port;
    QtTonausgabe ton;
    FakeProzesse prozesse;
    FakeMeldeliste liste{ereignisse};
    Testarbeitsplatz ap{Dienste{fs, scheduler, uhr, boxen, port, &ton, &prozesse}};
    Einstellungsverwaltung& h = ap.einstellungen();
};

TEST_F(Alarmton, DreiAlarmeHintereinanderKlingenJederGanz)
{
    datei_schreiben(dir / "ton.wav", ton_erzeugen(440, 700, 300, 22050).toStdString());
    // A WAV header whose data is in a format no one can play.
    std::string kaputt = ton_erzeugen(440, 700, 300, 22050).toStdString();
    kaputt[20] = 2;
    datei_schreiben(dir / "kaputt.wav", kaputt);
    struct Fall {
        std::string name;
        std::string signaldatei;
        std::size_t piepe; // 2000 Hz, 300 ms
        std::size_t wavs;  // 440 Hz, 700 ms
        int protokolliert;
    };
    const std::vector<Fall> faelle = {
        {"ohne Signaldatei", "", 27, 0, 0},
        {"mit Signaldatei", dir / "ton.wav", 0, 3, 0},
        {"kaputte Signaldatei", dir / "kaputt.wav", 27, 0, 3},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        h.einstellungen().signaldatei = f.signaldatei;
        const std::string vorher = datei_lesen(h.datenverzeichnis() + "/Hestrel.log");
        const std::vector<qint16> aufnahme = alarme(3, 20000);
        const std::vector<Ton> piepe = toene(aufnahme, 2000);
        const std::vector<Ton> wavs = toene(aufnahme, 440);
        std::string dauern;
        for (const Ton& t : piepe) {
            dauern += std::to_string(t.dauer) + " ";
            EXPECT_NEAR(t.dauer, 300, 40);
        }
        for (const Ton& t : wavs) {
            dauern += std::to_string(t.dauer) + " ";
            EXPECT_NEAR(t.dauer, 700, 40);
        }
        std::cout << "[ tones    ] " << f.name << ": " << piepe.size() << " at 2000 Hz, " << wavs.size()
                  << " at 440 Hz; lengths (ms) " << dauern << "\n";
        EXPECT_EQ(piepe.size(), f.piepe);
        EXPECT_EQ(wavs.size(), f.wavs);
        const std::string log = datei_lesen(h.datenverzeichnis() + "/Hestrel.log").substr(vorher.size());
        EXPECT_EQ(zaehlen(log, "Signaldatei nicht abspielbar: " + f.signaldatei + "\r\n"), f.protokolliert)
            << log;
    }
}

} // namespace
} // namespace hestrel::test
