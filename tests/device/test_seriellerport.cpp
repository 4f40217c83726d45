// The Qt serial port on a real pseudo-terminal, with the test playing the device.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include "arbeitsplatz/arbeitsplatz.h"
#include "core/cp1252.h"
#include "exchange/fakes.h"
#include "platform/qtscheduler.h"
#include "platform/qtseriellerport.h"
#include "support/testarbeitsplatz.h"

namespace hestrel::test {
namespace {

// The device's end of a pseudo-terminal. It keeps the other end open too, as
// a real line stays there while the program closes and re-opens its port.
class Leitung {
  public:
    Leitung()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            return;
        }
        pfad = ::ptsname(m_master);
        m_slave = ::open(pfad.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(m_slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_slave, TCSANOW, &t);
    }
    ~Leitung() { trennen(); }

    bool bereit() const { return m_master >= 0 && m_slave >= 0; }
    // The device is gone: both ends closed, the device file removed.
    void trennen()
    {
        for (int* fd : {&m_slave, &m_master}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
    }
    void senden(const std::string& bytes)
    {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Everything the program wrote so far.
    const std::string& empfangen()
    {
        char puffer[256];
        for (ssize_t n; m_master >= 0 && (n = ::read(m_master, puffer, sizeof puffer)) > 0;) {
            m_empfangen.append(puffer, static_cast<std::size_t>(n));
        }
        return m_empfangen;
    }
    void vergessen() { m_empfangen.clear(); }

    std::string pfad;

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_empfangen;
};

// Runs the event loop until the condition holds, at most `ms` milliseconds.
template <class Bedingung> bool warten(Bedingung bedingung, int ms = 4000)
{
    for (int t = 0; t < ms; t += 10) {
        if (bedingung()) {
            return true;
        }
        QEventLoop schleife;
        QTimer::singleShot(10, &schleife, &QEventLoop::quit);
        schleife.exec();
    }
    return bedingung();
}

std::string bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int x : b) {
        s += static_cast<char>(x);
    }
    return s;
}

std::string rahmen(int ein1, int ein2)
{
    return bytes({242, 1, ein1, ein2}) + std::string(10, '\0');
}

bool enthaelt(const std::string& text, const std::string& teil)
{
    return text.find(teil) != std::string::npos;
}

TEST(QtSeriellerport, OeffnetDieLeitungUndReichtJedesByteEinzelnWeiter)
{
    Leitung leitung;
    ASSERT_TRUE(leitung.bereit());
    ::setenv("HESTREL_COM41", leitung.pfad.c_str(), 1);
    ::unsetenv("HESTREL_COM42");
    EXPECT_EQ(QtSeriellerport::geraetedatei(42), "/dev/ttyS41");
    EXPECT_EQ(QtSeriellerport::geraetedatei(41), leitung.pfad);
    EXPECT_EQ(QtSeriellerport::geraetedatei(0), "");

    QtSeriellerport port;
    std::string empfangen;
    int aufrufe = 0;
    port.empfangen = [&](std::uint8_t b) {
        empfangen += static_cast<char>(b);
        ++aufrufe;
    };
    int verloren = 0;
    port.verloren = [&](const Fehler&) { ++verloren; };

    for (int nummer : {0, -1, 42}) {
        port.setCommPort(nummer);
        EXPECT_TRUE(port.oeffnen()) << nummer;
        EXPECT_FALSE(port.offen()) << nummer;
    }

    port.setCommPort(41);
    ASSERT_FALSE(port.oeffnen());
    ASSERT_TRUE(port.offen());
    EXPECT_TRUE(port.oeffnen()) << "already open";
    leitung.senden(bytes({242, 1, 0}));
    ASSERT_TRUE(warten([&] { return empfangen.size() == 3; }));
    leitung.senden(bytes({1, 242, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    ASSERT_TRUE(warten([&] { return empfangen.size() == 15; }));
    EXPECT_EQ(aufrufe, 15);
    EXPECT_EQ(empfangen, bytes({242, 1, 0, 1, 242, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));

    EXPECT_FALSE(port.schreiben(bytes({242, 1, 10})));
    ASSERT_TRUE(warten([&] { return leitung.empfangen() == bytes({242, 1, 10}); }));

    // A pseudo-terminal has no RTS line: the state is kept all the same, and
    // the opening that applies it again still succeeds.
    port.setRts(true);
    EXPECT_TRUE(port.rts());
    port.schliessen();
    ASSERT_FALSE(port.oeffnen());
    EXPECT_TRUE(port.offen());
    EXPECT_TRUE(port.rts());

    // Unplugged: reported once, closed, and it cannot be opened until it returns.
    leitung.trennen();
    ASSERT_TRUE(warten([&] { return verloren > 0; }));
    EXPECT_EQ(verloren, 1);
    EXPECT_FALSE(port.offen());
    EXPECT_TRUE(port.schreiben("x"));
    EXPECT_TRUE(port.oeffnen());
}

TEST(QtSeriellerport, BytesVomSchliessenGehenNichtAnDieNaechsteOeffnung)
{
    Leitung leitung;
    ASSERT_TRUE(leitung.bereit());
    ::setenv("HESTREL_COM43", leitung.pfad.c_str(), 1);
    QtSeriellerport port;
    std::string empfangen;
    port.empfangen = [&](std::uint8_t b) {
        empfangen += static_cast<char>(b);
        // The second byte makes the engine close the port, as a check does.
        if (empfangen.size() == 2) {
            port.schliessen();
        }
    };
    port.setCommPort(43);
    ASSERT_FALSE(port.oeffnen());
    leitung.senden(bytes({242, 1, 7, 7, 7}));
    ASSERT_TRUE(warten([&] { return empfangen.size() >= 2; }));
    ASSERT_FALSE(port.oeffnen());
    leitung.senden(bytes({9}));
    ASSERT_TRUE(warten([&] { return empfangen.size() >= 3; }));
    EXPECT_EQ(empfangen, bytes({242, 1, 9}));
}

// A workstation on a Qt event loop with the device on a pseudo-terminal.
class GeraetAmPty : public ::testing::Test {
  protected:
    GeraetAmPty() { ::setenv("HESTREL_COM7", leitung.pfad.c_str(), 1); }
    void SetUp() override
    {
        ASSERT_TRUE(leitung.bereit());
        ap.meldeliste_verwenden(&liste);
        ap.starten(daten);
        Einstellungen& e = h.einstellungen();
        e.logfileaktive = "1";
        e.comdeaktiviert = "0";
        e.portnummer = "7";
        e.idnummer = "0";
        e.gruppenpfad[0] = g1;
        h.maske().pfade[0] = g1;
        liste.gruppen[0] = 1;
        h.maske().sichtbar = false;
        ap.geraet().statusabfrage().start();
    }
    std::string ereignislog() const { return cp1252_zu_utf8(datei_lesen(daten + "/Hestrel.log")); }
    bool box_gezeigt() const
    {
        for (const auto& b : boxen.hinweise) {
            if (b.text == "Schnittstelle nicht aktive!") {
                return true;
            }
        }
        return false;
    }

    TempVerzeichnis basis;
    std::string daten = basis.unterverzeichnis("daten");
    std::string g1 = basis.unterverzeichnis("gruppe1");
    Leitung leitung;
    Ereignisse ereignisse;
    EchtesDateisystem fs;
    QtScheduler scheduler;
    SystemUhr uhr;
    FakeMeldungsdienst boxen;
    QtSeriellerport port;
    FakeMeldeliste liste{ereignisse};
    Testarbeitsplatz ap{Dienste{fs, scheduler, uhr, boxen, port}};
    Einstellungsverwaltung& h = ap.einstellungen();
};

TEST_F(GeraetAmPty, AbfrageResetAlarmUndVerschwindendesGeraet)
{
    const std::string abfrage = bytes({242, 1, 10});
    ASSERT_TRUE(warten([&] { return leitung.empfangen() == abfrage; }));
    EXPECT_TRUE(port.offen());

    // Key 1: the reset command goes back to the device.
    leitung.vergessen();
    leitung.senden(rahmen(1, 0));
    ASSERT_TRUE(warten([&] { return enthaelt(leitung.empfangen(), bytes({242, 3, 11})); }));
    EXPECT_EQ(leitung.empfangen().substr(0, 3), bytes({242, 3, 11}));
    EXPECT_TRUE(enthaelt(ereignislog(), "Reset Eingang"));
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV"));

    // Key 2: the alarm lies in the target group's directory.
    leitung.senden(rahmen(0, 1));
    ASSERT_TRUE(warten([&] { return existiert(g1 + "MESSAGE.XQV"); }));
    EXPECT_TRUE(existiert(g1 + "MDAT0.XQV"));
    EXPECT_TRUE(enthaelt(ereignislog(), "Alarm gesetzt"));

    // Polling goes on: request, answer, 500 ms of quiet, request.
    leitung.vergessen();
    ASSERT_TRUE(warten([&] { return enthaelt(leitung.empfangen(), abfrage); }));
    EXPECT_TRUE(boxen.hinweise.empty());

    // The device disappears: reported, and every check after it fails too.
    leitung.trennen();
    ASSERT_TRUE(warten([&] { return box_gezeigt(); }));
    ASSERT_TRUE(warten([&] { return !port.offen(); }));
    ASSERT_TRUE(warten([&] {
        const std::string log = ereignislog();
        std::size_t n = 0;
        for (auto p = log.find("Schnittstelle prüfen"); p != std::string::npos;
             p = log.find("Schnittstelle prüfen", p + 1)) {
            ++n;
        }
        return n >= 2;
    }));

    // It returns under another device file: the next check opens it and polls.
    Leitung neu;
    ASSERT_TRUE(neu.bereit());
    ::setenv("HESTREL_COM7", neu.pfad.c_str(), 1);
    ASSERT_TRUE(warten([&] { return enthaelt(neu.empfangen(), abfrage); }));
    EXPECT_TRUE(port.offen());
}

} // namespace
} // namespace hestrel::test
