// The Qt services under the alarm presentation: the beep tone and process start.
#include <gtest/gtest.h>

#include <QtEndian>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/qtprozessstarter.h"
#include "platform/qttonausgabe.h"
#include "presentation/msg/meldetext.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

TEST(Piepton, WavMitDemTonVon2000HzUnd300ms)
{
    const QByteArray wav = ton_erzeugen(2000, 300, 40, 44100);
    ASSERT_GE(wav.size(), 44);
    EXPECT_EQ(wav.left(4), QByteArray("RIFF"));
    EXPECT_EQ(wav.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 24), 44100u);
    EXPECT_EQ(qFromLittleEndian<quint16>(wav.constData() + 34), 16u);
    const quint32 daten = qFromLittleEndian<quint32>(wav.constData() + 40);
    EXPECT_EQ(daten, static_cast<quint32>((13230 + 1764) * 2));
    EXPECT_EQ(static_cast<qsizetype>(44 + daten), wav.size());

    // 2000 Hz for 300 ms cross zero about 1200 times; the pause stays silent.
    int wechsel = 0;
    qint16 vorher = 0;
    for (int i = 0; i < 13230; ++i) {
        const auto s = qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * i);
        if ((s >= 0) != (vorher >= 0)) {
            ++wechsel;
        }
        vorher = s;
    }
    EXPECT_NEAR(wechsel, 1200, 4);
    for (int i = 13230; i < 13230 + 1764; ++i) {
        EXPECT_EQ(qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * i), 0);
    }
}

TEST(Prozessstarter, FehlendesProgrammIstFehler53)
{
    QtProzessstarter p;
    TempVerzeichnis dir;
    EXPECT_EQ(p.starten(dir / "hestrel-msg", {"user1", "Hilfe"}).nummer, 53);
    datei_schreiben(dir / "nicht-ausfuehrbar", "x");
    EXPECT_EQ(p.starten(dir / "nicht-ausfuehrbar", {}).nummer, 75);
    EXPECT_FALSE(p.starten("/bin/true", {"a b", "\"; rm -rf /"}));
    EXPECT_FALSE(p.anmeldename().empty());
}

// Sets an environment variable for the scope of a test.
class Umgebung {
  public:
    Umgebung(const char* name, const std::string& wert) : m_name(name)
    {
        if (const char* alt = std::getenv(name)) {
            m_alt = alt;
        }
        ::setenv(name, wert.c_str(), 1);
    }
    ~Umgebung()
    {
        if (m_alt) {
            ::setenv(m_name, m_alt->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

  private:
    const char* m_name;
    std::optional<std::string> m_alt;
};

// The real helper, started as the alarm window starts it, with a notifier
// in PATH that records the notice body and the helper's command line.
TEST(Prozessstarter, MeldeprogrammBekommtDenTextUeberDieEingabeNichtAlsArgument)
{
    TempVerzeichnis dir;
    const std::string bin = dir.unterverzeichnis("bin");
    datei_schreiben(bin + "notify-send", "#!/bin/sh\n"
                                         "for a; do koerper=$a; done\n"
                                         "printf '%s' \"$koerper\" > \"$AUFZEICHNUNG/koerper\"\n"
                                         "cat /proc/$PPID/cmdline > \"$AUFZEICHNUNG/helfer\"\n"
                                         "mv \"$AUFZEICHNUNG/koerper\" \"$AUFZEICHNUNG/koerper.fertig\"\n");
    std::filesystem::permissions(bin + "notify-send", std::filesystem::perms::owner_all);
    const Umgebung pfad("PATH", bin + ":" + std::getenv("PATH"));
    const Umgebung bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dir / "bus"));

    std::string euros;
    for (int i = 0; i < 21845; ++i) {
        euros += "\xE2\x82\xAC";
    }
    struct Fall {
        std::string text;
        std::string koerper;
    };
    const std::vector<Fall> faelle = {
        {"Hilfe\r\nKasse 2 <b>&</b>", "Hilfe\nKasse 2 &lt;b&gt;&amp;&lt;/b&gt;"},
        {std::string("\0Hilfe", 6), " Hilfe"},
        {euros, euros.substr(0, 4092) + "\xE2\x80\xA6"},
    };
    QtProzessstarter p;
    int nummer = 0;
    for (const auto& f : faelle) {
        const std::string aufzeichnung = dir.unterverzeichnis("fall" + std::to_string(++nummer));
        const Umgebung ziel("AUFZEICHNUNG", aufzeichnung);
        ASSERT_FALSE(p.starten_mit_eingabe(HESTREL_MELDEPROGRAMM, {""}, fuer_meldeprogramm(f.text)));
        const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!existiert(aufzeichnung + "koerper.fertig") && std::chrono::steady_clock::now() < ende) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(existiert(aufzeichnung + "koerper.fertig")) << "case " << nummer;
        EXPECT_EQ(datei_lesen(aufzeichnung + "koerper.fertig"), f.koerper) << "case " << nummer;
        EXPECT_EQ(datei_lesen(aufzeichnung + "helfer"), std::string(HESTREL_MELDEPROGRAMM) + '\0' + '\0')
            << "the helper's command line holds its path and the user name only";
    }
    // A missing helper is reported, not started.
    EXPECT_EQ(p.starten_mit_eingabe(dir / "hestrel-msg", {""}, "x").nummer, 53);
}

} // namespace
} // namespace hestrel::test
