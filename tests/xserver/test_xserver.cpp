// The real program on a real X server with a window manager (Xvfb and
// openbox, started here): while a person types into another program, an
// alarm arrives. The keys must stay with that program, the alarm window must
// stay on the screen, no key may send an alarm, and a real click closes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/cp1252.h"
#include "support/echtprogramm.h"
#include "support/kindprozess.h"
#include "support/testumgebung.h"

extern char** environ;

namespace hestrel::test {
namespace {

using Uhrzeit = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The display is asked through shell commands: every 50 ms is often enough.
constexpr auto takt = 50ms;

// A child with the test's environment plus `dazu`, its output appended to the log.
struct Prozess : Kindprozess {
    Prozess(std::vector<std::string> argv, const std::vector<std::string>& dazu, const std::string& ausgabe)
        : Kindprozess(std::move(argv), dazu, {"WAYLAND_DISPLAY"}, ausgabe, true)
    {
    }
};

bool vorhanden(const std::string& programm)
{
    return std::system(("command -v " + programm + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command on the test's display and returns what it printed.
class Anzeige {
  public:
    explicit Anzeige(int nummer) : m_name(":" + std::to_string(nummer)) {}
    const std::string& name() const { return m_name; }

    std::string aus(const std::string& befehl) const
    {
        std::string text;
        if (FILE* p = ::popen(("DISPLAY=" + m_name + " " + befehl + " 2>/dev/null").c_str(), "r")) {
            char puffer[4096];
            std::size_t n = 0;
            while ((n = std::fread(puffer, 1, sizeof puffer, p)) > 0) {
                text.append(puffer, n);
            }
            ::pclose(p);
        }
        return text;
    }
    unsigned long zahl(const std::string& befehl) const
    {
        return std::strtoul(aus(befehl).c_str(), nullptr, 0);
    }

    // The visible windows of a process, as X window ids.
    std::vector<unsigned long> fenster(pid_t pid) const
    {
        std::vector<unsigned long> ids;
        std::istringstream zeilen(aus("xdotool search --onlyvisible --pid " + std::to_string(pid)));
        for (std::string z; std::getline(zeilen, z);) {
            if (!z.empty()) {
                ids.push_back(std::strtoul(z.c_str(), nullptr, 10));
            }
        }
        return ids;
    }
    std::string rolle(unsigned long id) const
    {
        return aus("xprop -id " + std::to_string(id) + " WM_WINDOW_ROLE");
    }
    // The visible window of the process whose role is `rolle`, or 0.
    unsigned long mit_rolle(pid_t pid, const std::string& r) const
    {
        for (unsigned long id : fenster(pid)) {
            if (rolle(id).find("\"" + r + "\"") != std::string::npos) {
                return id;
            }
        }
        return 0;
    }
    // The client area: x, y, width, height in screen pixels.
    std::array<int, 4> lage(unsigned long id) const
    {
        std::array<int, 4> l{};
        std::istringstream zeilen(aus("xwininfo -id " + std::to_string(id)));
        const std::pair<const char*, int*> felder[] = {{"Absolute upper-left X:", &l[0]},
                                                       {"Absolute upper-left Y:", &l[1]},
                                                       {"Width:", &l[2]},
                                                       {"Height:", &l[3]}};
        for (std::string z; std::getline(zeilen, z);) {
            for (const auto& [name, wert] : felder) {
                if (const auto p = z.find(name); p != std::string::npos) {
                    *wert = std::atoi(z.c_str() + p + std::strlen(name));
                }
            }
        }
        return l;
    }
    // The window with the desktop's frame: its outer width in pixels (a window
    // no window manager frames has none).
    int aussenbreite(unsigned long id) const
    {
        const std::string t = aus("xprop -id " + std::to_string(id) + " _NET_FRAME_EXTENTS");
        const auto gleich = t.find('=');
        int links = 0;
        int rechts = 0;
        if (gleich != std::string::npos &&
            std::sscanf(t.c_str() + gleich + 1, " %d , %d", &links, &rechts) != 2) {
            return 0;
        }
        return lage(id)[2] + links + rechts;
    }
    void klicken(unsigned long id, int x, int y) const
    {
        const auto l = lage(id);
        aus("xdotool mousemove --sync " + std::to_string(l[0] + x) + " " + std::to_string(l[1] + y) +
            " click 1");
    }
    // Where the window (its frame, if it has one) stands among the X server's
    // top-level windows, counted from the bottom: also for windows no window
    // manager manages, which the manager's own list leaves out.
    std::size_t x_stelle(unsigned long id) const
    {
        for (int tiefe = 0; tiefe < 8; ++tiefe) {
            const std::string t = aus("xwininfo -tree -id " + std::to_string(id));
            const auto p = t.find("Parent window id: ");
            if (p == std::string::npos || t.find("(the root window)", p) < t.find('\n', p)) {
                break;
            }
            id = std::strtoul(t.c_str() + p + 18, nullptr, 16);
        }
        std::vector<unsigned long> oben_zuerst;
        std::istringstream zeilen(aus("xwininfo -root -children"));
        for (std::string z; std::getline(zeilen, z);) {
            if (z.rfind("     0x", 0) == 0) {
                oben_zuerst.push_back(std::strtoul(z.c_str() + 5, nullptr, 16));
            }
        }
        const auto i = std::find(oben_zuerst.begin(), oben_zuerst.end(), id);
        return i == oben_zuerst.end() ? 0 : static_cast<std::size_t>(oben_zuerst.end() - i);
    }
    // Window ids from the bottom of the stack to the top.
    std::vector<unsigned long> stapel() const
    {
        std::vector<unsigned long> ids;
        std::string t = aus("xprop -root _NET_CLIENT_LIST_STACKING");
        const auto raute = t.find('#');
        std::istringstream werte(raute == std::string::npos ? std::string() : t.substr(raute + 1));
        for (std::string w; std::getline(werte, w, ',');) {
            ids.push_back(std::strtoul(w.c_str(), nullptr, 16));
        }
        return ids;
    }

  private:
    std::string m_name;
};

// The display number Xvfb chose and reported on `fd` once it accepts connections, or -1.
int gemeldete_anzeige(int fd, std::chrono::milliseconds grenze)
{
    std::string text;
    const auto ende = Uhrzeit::now() + grenze;
    while (Uhrzeit::now() < ende && text.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) {
            char puffer[32];
            const ssize_t n = ::read(fd, puffer, sizeof puffer);
            if (n <= 0) {
                break;
            }
            text.append(puffer, static_cast<std::size_t>(n));
        }
    }
    return text.find('\n') == std::string::npos ? -1 : std::atoi(text.c_str());
}

// Settings: group 1 receives, group 2 is a target; no alarm device, event log on.
std::string einstellungen(const std::string& gruppe1, const std::string& gruppe2)
{
    auto z = echt::einstellungszeilen({gruppe1, gruppe2});
    z[66] = " 0 ";
    z[67] = " 0 ";
    return echt::zeilen_cr_lf(z);
}

// The message list's data: a text, and group 2 ticked as a target.
std::string alarmdaten()
{
    std::vector<std::string> z(104, " 0 ");
    z[0] = "Falscher Alarm";
    z[1] = z[2] = z[3] = "";
    z[5] = " 1 ";
    for (int i = 0; i < 10; ++i) {
        z[static_cast<std::size_t>(14 + i)] = "Gruppe " + std::to_string(i + 1);
    }
    for (int i = 0; i < 40; ++i) {
        z[static_cast<std::size_t>(64 + i)] = "Gruppe " + std::to_string(i + 11);
    }
    return echt::zeilen_cr_lf(z);
}

std::size_t stelle(const std::vector<unsigned long>& stapel, unsigned long id)
{
    return static_cast<std::size_t>(std::find(stapel.begin(), stapel.end(), id) - stapel.begin());
}

// Xvfb with openbox on a display of its own, for each test.
class XServer : public ::testing::Test {
  protected:
    void SetUp() override
    {
#ifdef HESTREL_SANITIZER_BAU
        GTEST_SKIP() << "skipped in the sanitizer build: focus and stacking are checked in the plain build";
#endif
        for (const char* p : {"Xvfb", "openbox", "xdotool", "xprop"}) {
            if (!vorhanden(p)) {
                GTEST_SKIP() << "skipped: " << p << " is not installed (scripts/install-deps installs it)";
            }
        }
        // Xvfb picks a free display itself and says which once it is ready.
        int rohr[2];
        ASSERT_EQ(::pipe(rohr), 0);
        xvfb = std::make_unique<Prozess>(std::vector<std::string>{"Xvfb", "-displayfd",
                                                                  std::to_string(rohr[1]), "-screen", "0",
                                                                  "1024x768x24", "-nolisten", "tcp"},
                                         std::vector<std::string>{}, protokoll);
        ::close(rohr[1]);
        const int nummer = gemeldete_anzeige(rohr[0], 20s);
        ::close(rohr[0]);
        ASSERT_GE(nummer, 0) << datei_lesen(protokoll);
        anzeige = std::make_unique<Anzeige>(nummer);
        wm = std::make_unique<Prozess>(std::vector<std::string>{"openbox"},
                                       std::vector<std::string>{"DISPLAY=" + anzeige->name()}, protokoll);
        ASSERT_TRUE(warten_bis(
            [&] {
                return anzeige->aus("xprop -root _NET_SUPPORTING_WM_CHECK").find('#') != std::string::npos;
            },
            20s, takt))
            << datei_lesen(protokoll);
    }
    // A Hestrel program on this display with its data directory.
    std::unique_ptr<Prozess> programm_starten(const std::string& daten) const
    {
        return std::make_unique<Prozess>(
            std::vector<std::string>{HESTREL_PROGRAMM},
            std::vector<std::string>{"APPDATA=" + daten, "DISPLAY=" + anzeige->name(), "QT_QPA_PLATFORM=xcb"},
            protokoll);
    }

    TempVerzeichnis basis;
    const std::string protokoll = basis / "ausgabe.txt";
    std::unique_ptr<Prozess> xvfb;
    std::unique_ptr<Prozess> wm;
    std::unique_ptr<Anzeige> anzeige;
};

TEST_F(XServer, TastenFuerEinAnderesProgrammErreichenHestrelNichtUndSchliessenBrauchtEinenKlick)
{
    const Anzeige& x = *anzeige;

    // The other program, with the keyboard.
    const std::string getippt = basis / "getippt.txt";
    Prozess anderes({HESTREL_FOKUSFENSTER, getippt}, {"DISPLAY=" + x.name(), "QT_QPA_PLATFORM=xcb"},
                    protokoll);
    unsigned long fokus = 0;
    ASSERT_TRUE(warten_bis(
        [&] {
            // Qt may own more than one window (a hidden leader among them): the
            // one the window manager can activate is the program's own.
            for (const unsigned long id : x.fenster(anderes.pid())) {
                x.aus("timeout 2 xdotool windowactivate --sync " + std::to_string(id));
                fokus = x.zahl("xdotool getactivewindow");
                if (fokus == id) {
                    return true;
                }
            }
            return false;
        },
        10s, takt));

    const std::string daten = basis / "daten";
    const std::string gruppe1 = basis.unterverzeichnis("gruppe1");
    const std::string gruppe2 = basis.unterverzeichnis("gruppe2");
    std::filesystem::create_directories(daten);
    datei_schreiben(daten + "/Hestrel.DAT", einstellungen(gruppe1, gruppe2));
    datei_schreiben(daten + "/Alarmdaten.DAT", alarmdaten());
    const std::unique_ptr<Prozess> programm = programm_starten(daten);
    Prozess& hestrel = *programm;
    unsigned long liste = 0;
    ASSERT_TRUE(
        warten_bis([&] { return (liste = x.mit_rolle(hestrel.pid(), "Meldeliste")) != 0; }, 20s, takt))
        << datei_lesen(protokoll);
    EXPECT_EQ(x.zahl("xdotool getactivewindow"), fokus) << "the message list took the keyboard at start";

    // On a 1024 x 768 screen the whole message list is on the screen.
    const auto l = x.lage(liste);
    EXPECT_GE(l[0], 0);
    EXPECT_GE(l[1], 0);
    EXPECT_LE(l[0] + l[2], 1024);
    EXPECT_LE(l[1] + l[3], 768);

    // An open question of the message list ("Liste löschen"), asked by a click.
    x.klicken(liste, (9240 + 2055 / 2) / 15, (1920 + 495 / 2) / 15);
    unsigned long frage = 0;
    ASSERT_TRUE(warten_bis(
        [&] {
            for (unsigned long id : x.fenster(hestrel.pid())) {
                if (id != liste && x.rolle(id).find("\"") == std::string::npos) {
                    frage = id;
                }
            }
            return frage != 0;
        },
        5s, takt))
        << x.aus("xdotool search --onlyvisible --name .") << datei_lesen(daten + "/Hestrel.log")
        << datei_lesen(protokoll);

    // Back to typing in the other program while an alarm arrives.
    x.aus("xdotool windowactivate --sync " + std::to_string(fokus));
    ASSERT_EQ(x.zahl("xdotool getactivewindow"), fokus);
    datei_schreiben(gruppe1 + "MDAT0.XQV", "Hilfe Kasse 2\r\n");
    datei_schreiben(gruppe1 + "MESSAGE.XQV", "0");
    unsigned long alarm = 0;
    int tasten = 0;
    auto ende = Uhrzeit::now() + 12s;
    // Keys every 100 ms until 1.5 s after the alarm window appeared.
    while (Uhrzeit::now() < ende) {
        x.aus(tasten++ % 2 ? "xdotool key Return" : "xdotool key space");
        if (alarm == 0 && (alarm = x.mit_rolle(hestrel.pid(), "Alarmanzeige")) != 0) {
            ende = Uhrzeit::now() + 1500ms;
        }
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_NE(alarm, 0u) << "no alarm window within 12 s\n" << datei_lesen(protokoll);
    EXPECT_EQ(x.mit_rolle(hestrel.pid(), "Alarmanzeige"), alarm) << "a key closed the alarm window";
    // 5500 twips wide with its frame, not without.
    EXPECT_TRUE(warten_bis([&] { return x.aussenbreite(alarm) == (5500 + 7) / 15; }, 3s, takt))
        << "outer width " << x.aussenbreite(alarm) << ", client " << x.lage(alarm)[2];
    EXPECT_EQ(x.zahl("xdotool getactivewindow"), fokus) << "Hestrel took the keyboard";
    EXPECT_GT(datei_lesen(getippt).size(), 0u) << "the keys did not reach the other program";
    EXPECT_FALSE(existiert(gruppe2 + "MESSAGE.XQV")) << "a key sent an alarm";
    EXPECT_EQ(datei_lesen(daten + "/Hestrel.log").find("Alarm gesetzt"), std::string::npos);

    // The alarm window above everything; the open question above the message list.
    const auto s = x.stapel();
    EXPECT_GT(x.x_stelle(alarm), x.x_stelle(liste));
    EXPECT_GT(x.x_stelle(alarm), x.x_stelle(fokus));
    EXPECT_GT(x.x_stelle(alarm), x.x_stelle(frage));
    EXPECT_LT(stelle(s, frage), s.size());
    EXPECT_GT(stelle(s, frage), stelle(s, liste)) << "the message list buried the open question";

    // A real click on "schließen" closes it.
    x.klicken(alarm, (1440 + 2415 / 2) / 15, (240 + 615 / 2) / 15);
    EXPECT_TRUE(warten_bis([&] { return x.mit_rolle(hestrel.pid(), "Alarmanzeige") == 0; }, 3s, takt));
    EXPECT_TRUE(hestrel.laeuft());
}

// Two programs on the display, both receiving group 1: "Kasse" sends to it,
// "Empfang-2" answers.
class ZweiPlaetze : public XServer {
  protected:
    std::string arbeitsplatz(const std::string& name, bool ziel)
    {
        const std::string daten = basis / ("daten-" + name);
        std::filesystem::create_directories(daten);
        datei_schreiben(daten + "/Hestrel.DAT", echt::zeilen_cr_lf(echt::einstellungszeilen({gruppe1})));
        std::vector<std::string> z(104, " 0 ");
        z[0] = "Hilfe Kasse 2";
        z[1] = z[2] = z[3] = "";
        z[4] = ziel ? " 1 " : " 0 ";
        datei_schreiben(daten + "/Alarmdaten.DAT", echt::zeilen_cr_lf(z));
        datei_schreiben(daten + "/Hestrel-Zusatz.ini", echt::zeilen_cr_lf({"Platzname=" + name}));
        return daten;
    }
    // Both running; the receiver's message list out of the way, as a person would put it.
    void starten()
    {
        const Anzeige& x = *anzeige;
        empfaenger = programm_starten(empfang);
        ASSERT_TRUE(warten_bis([&] { return (liste = x.mit_rolle(empfaenger->pid(), "Meldeliste")) != 0; },
                               20s, takt))
            << datei_lesen(protokoll);
        x.aus("xdotool windowminimize --sync " + std::to_string(liste));
        sender = programm_starten(kasse);
        ASSERT_TRUE(
            warten_bis([&] { return (liste = x.mit_rolle(sender->pid(), "Meldeliste")) != 0; }, 20s, takt))
            << datei_lesen(protokoll);
    }
    // The receiver's alarm window, the sender's confirmation put away should it lie over it.
    void alarmfenster_abwarten()
    {
        const Anzeige& x = *anzeige;
        ASSERT_TRUE(warten_bis([&] { return (alarm = x.mit_rolle(empfaenger->pid(), "Alarmanzeige")) != 0; },
                               10s, takt))
            << datei_lesen(kasse + "/Hestrel.log") << datei_lesen(protokoll);
        if (const unsigned long b = x.mit_rolle(sender->pid(), "alarmgesendet"); b != 0) {
            x.aus("xdotool windowminimize --sync " + std::to_string(b));
        }
    }
    // The answer button shows once the origin is read: clicked until the answer
    // lies in the group; ms from that click until the sender's journal has `zeile`.
    long antworten_bis(const std::string& zeile)
    {
        const auto antwort_da = [&] {
            for (const auto& e : std::filesystem::directory_iterator(gruppe1)) {
                if (e.path().filename().string().rfind("hestrel-antwort-", 0) == 0) {
                    return true;
                }
            }
            return false;
        };
        Uhrzeit::time_point geklickt;
        if (!warten_bis(
                [&] {
                    geklickt = Uhrzeit::now();
                    anzeige->klicken(alarm, (3975 + 1155 / 2) / 15, (240 + 615 / 2) / 15);
                    return warten_bis(antwort_da, 400ms, 20ms);
                },
                10s, takt) ||
            !warten_bis([&] { return journal(kasse).find(zeile) != std::string::npos; }, 5s, 20ms)) {
            return -1;
        }
        return std::chrono::duration_cast<std::chrono::milliseconds>(Uhrzeit::now() - geklickt).count();
    }
    static std::string journal(const std::string& daten)
    {
        return cp1252_zu_utf8(datei_lesen(daten + "/mameldung.log"));
    }

    const std::string gruppe1 = basis.unterverzeichnis("gruppe1");
    const std::string kasse = arbeitsplatz("Kasse", true);
    const std::string empfang = arbeitsplatz("Empfang-2", false);
    std::unique_ptr<Prozess> empfaenger;
    std::unique_ptr<Prozess> sender;
    unsigned long liste = 0;
    unsigned long alarm = 0;
};

// "Alarm auslösen" clicked at one program, "Ich komme" clicked in the other's
// alarm window: the sender's journal has the answer within two seconds of the
// click, and its confirmation window is back.
TEST_F(ZweiPlaetze, IchKommeGeklicktErreichtDenSenderInZweiSekunden)
{
    ASSERT_NO_FATAL_FAILURE(starten());
    anzeige->klicken(liste, (11640 + 3375 / 2) / 15, (6840 + 855 / 2) / 15);
    ASSERT_NO_FATAL_FAILURE(alarmfenster_abwarten());
    const long ms = antworten_bis("Antwort von Empfang-2");
    ASSERT_GE(ms, 0) << "no answer record after clicking \"Ich komme\", or none in the sender's journal\n"
                     << journal(kasse);
    RecordProperty("klick_bis_journal_ms", std::to_string(ms));
    std::printf("Klick auf \"Ich komme\" bis ins Journal des Senders: %ld ms\n", ms);
    EXPECT_LT(ms, 2000);
    EXPECT_NE(journal(empfang).find("Antwort gesendet: Ich komme"), std::string::npos);
    EXPECT_TRUE(warten_bis([&] { return anzeige->mit_rolle(sender->pid(), "alarmgesendet") != 0; }, 3s, takt))
        << "the answer did not bring the sender's confirmation back";
    EXPECT_NE(anzeige->mit_rolle(empfaenger->pid(), "Alarmanzeige"), 0u)
        << "the click closed the alarm window";
}

// With a notification area (trayer): "Probealarm" chosen in the sender's tray
// menu by mouse sends a test alarm; the receiver shows it and answers
// "Empfangen", which the sender's journal lists.
TEST_F(ZweiPlaetze, ProbealarmAusDemTraymenueUndEmpfangen)
{
    if (!vorhanden("trayer") || !vorhanden("xwininfo")) {
        GTEST_SKIP() << "skipped: trayer is not installed (scripts/install-deps installs it)";
    }
    const Anzeige& x = *anzeige;
    Prozess tray({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"},
                 {"DISPLAY=" + x.name()}, protokoll);
    ASSERT_TRUE(warten_bis(
        [&] { return x.aus("xwininfo -root -tree").find("\"panel\"") != std::string::npos; }, 10s, takt));
    ASSERT_NO_FATAL_FAILURE(starten());

    // The mapped windows of the sender: its tray icon is the small one at the top.
    const auto fenster = [&] {
        std::vector<std::pair<unsigned long, std::array<int, 4>>> alle;
        std::istringstream ids(x.aus("xdotool search --pid " + std::to_string(sender->pid())));
        for (std::string z; std::getline(ids, z);) {
            const unsigned long id = std::strtoul(z.c_str(), nullptr, 10);
            if (id != 0 && x.aus("xwininfo -id " + z).find("IsViewable") != std::string::npos) {
                alle.emplace_back(id, x.lage(id));
            }
        }
        return alle;
    };
    std::array<int, 4> symbol{};
    ASSERT_TRUE(warten_bis(
        [&] {
            for (const auto& [id, l] : fenster()) {
                if (l[2] <= 48 && l[3] <= 48 && l[1] < 48) {
                    symbol = l;
                    return true;
                }
            }
            return false;
        },
        10s, takt))
        << x.aus("xwininfo -root -tree");
    std::vector<unsigned long> vorher;
    for (const auto& [id, l] : fenster()) {
        vorher.push_back(id);
    }
    x.aus("xdotool mousemove --sync " + std::to_string(symbol[0] + symbol[2] / 2) + " " +
          std::to_string(symbol[1] + symbol[3] / 2) + " click 3");
    // The menu: the new window; its items are of equal height.
    std::array<int, 4> menue{};
    ASSERT_TRUE(warten_bis(
        [&] {
            for (const auto& [id, l] : fenster()) {
                if (std::find(vorher.begin(), vorher.end(), id) == vorher.end() && l[3] > 50) {
                    menue = l;
                    return true;
                }
            }
            return false;
        },
        5s, takt))
        << "no tray menu after a right click on the icon";
    const int punkt = 3; // "Probealarm", the menu's fourth item of seven
    const int hoehe = menue[3] / 7;
    x.aus("xdotool mousemove --sync " + std::to_string(menue[0] + menue[2] / 2) + " " +
          std::to_string(menue[1] + punkt * hoehe + hoehe / 2) + " click 1");

    ASSERT_TRUE(warten_bis(
        [&] { return journal(empfang).find("von:\rPROBEALARM – Hilfe Kasse 2") != std::string::npos; }, 10s,
        takt))
        << journal(empfang) << datei_lesen(kasse + "/Hestrel.log");
    ASSERT_NO_FATAL_FAILURE(alarmfenster_abwarten());
    const long ms = antworten_bis("Antwort von Empfang-2: Empfangen, Probealarm in Gruppe 1");
    EXPECT_GE(ms, 0) << journal(kasse);
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(journal(kasse).find("Alarm aus Gruppe"), std::string::npos)
        << "the sender showed its own test alarm";
}

} // namespace
} // namespace hestrel::test
