#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "core/logbuch.h"
#include "core/systemlogsocket.h"
#include "core/virtualscheduler.h"
#include "support/testumgebung.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

struct Systemlogliste : Systemlog {
    std::vector<std::pair<Prioritaet, std::string>> eintraege;
    void schreiben(Prioritaet p, const std::string& text) override { eintraege.emplace_back(p, text); }
};

struct Logs {
    TempVerzeichnis dir;
    VirtualScheduler uhr;
    FehlerDateisystem fs;
    std::string verzeichnis = dir.pfad();
    std::string schalter = "1";
    Logbuch log{fs, uhr, verzeichnis, schalter};
    std::shared_ptr<Systemlogliste> sys = std::make_shared<Systemlogliste>();
    std::vector<std::string> stderr_;
    Logs()
    {
        log.setSystemlog(sys);
        log.setFehlerausgabe([this](const std::string& t) { stderr_.push_back(t); });
    }
};

// A datagram socket bound in a temporary directory, as the log daemon binds /dev/log.
class Empfaenger {
  public:
    explicit Empfaenger(const std::string& pfad, int puffer = 0) : m_pfad(pfad)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (puffer > 0) {
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &puffer, sizeof puffer);
        }
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        m_pfad.copy(a.sun_path, sizeof a.sun_path - 1);
        m_ok = ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Empfaenger() { ::close(m_fd); }
    bool ok() const { return m_ok; }

    // The next datagram, or "" when none is waiting.
    std::string lesen()
    {
        char puffer[65536];
        const ssize_t n = ::recv(m_fd, puffer, sizeof puffer, MSG_DONTWAIT);
        return n > 0 ? std::string(puffer, static_cast<std::size_t>(n)) : std::string();
    }

  private:
    std::string m_pfad;
    int m_fd = -1;
    bool m_ok = false;
};

} // namespace

TEST(Systemlog, FehlerDerSchnittstelleUndDerFreigabenSindWarnungenDerRestInfo)
{
    const std::pair<const char*, Prioritaet> faelle[] = {
        {"Schnittstelle prüfen Zugriff verweigert - 75", Prioritaet::warnung},
        {"Schnittstelle Ausgabe Gerät fehlt - 68", Prioritaet::warnung},
        {"Schnittstelle nicht aktive!", Prioritaet::warnung},
        {"Gruppe 3 nicht erreichbar seit 07.03.2026 09:05:59: keine Antwort", Prioritaet::warnung},
        {"Alarm nicht geschrieben, Gruppe 2: Zugriff verweigert - 70  ", Prioritaet::warnung},
        {"Alarm nicht ausgelöst: keine Zielgruppe angehakt", Prioritaet::warnung},
        {"Message nicht gelöscht: Pfad nicht gefunden - 76  ", Prioritaet::warnung},
        {"Signaldatei übergangen, ein Verweis", Prioritaet::warnung},
        {"Alarmdatei nicht gelesen: Datei nicht gefunden - 53  ", Prioritaet::warnung},
        {"Einstellungen nicht gespeichert: Datenträger voll - 61  ", Prioritaet::warnung},
        {"Signalton nicht abspielbar: kein Gerät", Prioritaet::warnung},
        {"Journal nicht angelegt: Zugriff verweigert - 75  ", Prioritaet::warnung},
        {"Journal wieder beschreibbar: 2 Einträge nachgetragen, 1 verloren", Prioritaet::warnung},
        {"MeldelisteDatei nicht gefunden - 53", Prioritaet::warnung},
        {"lade Alarmdaten: Typen unverträglich", Prioritaet::warnung},
        {"Überwachung: Gruppe 4 seit 10 Minuten ohne Lebenszeichen", Prioritaet::warnung},
        {"Journal wieder beschreibbar: 2 Einträge nachgetragen", Prioritaet::info},
        {"Gruppe 3 wieder erreichbar", Prioritaet::info},
        {"Alarm gesetzt", Prioritaet::info},
        {"Message - gelöscht", Prioritaet::info},
        {"Reset Eingang", Prioritaet::info},
        {"Setup gestartet", Prioritaet::info},
        {"/home/kasse/Schnittstelle/alarm.wav", Prioritaet::info},
        {"", Prioritaet::info},
    };
    for (const auto& [text, erwartet] : faelle) {
        EXPECT_EQ(systemlog_prioritaet(text), erwartet) << text;
    }
}

TEST(Systemlog, JederEreignislogeintragGehtInsSystemlogWasDerSchalterAuchSagt)
{
    for (const char* schalter : {"1", "0", ""}) {
        Logs l;
        l.schalter = schalter;
        l.log.logeintrag("Setup gestartet");
        l.log.logeintrag("Gruppe 2 nicht erreichbar seit 07.03.2026 09:05:59: Zeit abgelaufen");
        l.log.logeintrag("Alarm gesetzt", Prioritaet::fehler);
        const std::vector<std::pair<Prioritaet, std::string>> erwartet = {
            {Prioritaet::info, "Setup gestartet"},
            {Prioritaet::warnung, "Gruppe 2 nicht erreichbar seit 07.03.2026 09:05:59: Zeit abgelaufen"},
            {Prioritaet::fehler, "Alarm gesetzt"},
        };
        EXPECT_EQ(l.sys->eintraege, erwartet) << "switch \"" << schalter << "\"";
        EXPECT_EQ(existiert(l.dir / "Hestrel.log"), std::string(schalter) == "1");
        // The alarm journal and the alarm-window log are files only.
        l.sys->eintraege.clear();
        l.log.meldung_eintragen("Alarm aus Gruppe 1 von:\rHilfe");
        l.log.anzeigelog_eintragen("Vollbild - gesetzt");
        EXPECT_TRUE(l.sys->eintraege.empty());
    }
}

TEST(Systemlog, UnbeschreibbaresEreignislogUndJournalWerdenDortGemeldet)
{
    Logs l;
    l.fs.muster = "Hestrel.log";
    EXPECT_TRUE(l.log.logeintrag("Alarm gesetzt"));
    EXPECT_TRUE(l.log.logeintrag("Reset Eingang"));
    l.fs.muster = "kein Pfad";
    EXPECT_FALSE(l.log.logeintrag("Setup gestartet"));
    l.fs.muster = "Hestrel.log";
    EXPECT_TRUE(l.log.logeintrag("Setup ausgeführt"));
    // The entries themselves all arrive; the failing file is said once per outage.
    const std::vector<std::pair<Prioritaet, std::string>> erwartet = {
        {Prioritaet::info, "Alarm gesetzt"},
        {Prioritaet::warnung, "Ereignislog nicht geschrieben: " + l.fs.fehler.meldungstext()},
        {Prioritaet::info, "Reset Eingang"},
        {Prioritaet::info, "Setup gestartet"},
        {Prioritaet::info, "Setup ausgeführt"},
        {Prioritaet::warnung, "Ereignislog nicht geschrieben: " + l.fs.fehler.meldungstext()},
    };
    EXPECT_EQ(l.sys->eintraege, erwartet);

    l.sys->eintraege.clear();
    l.fs.muster = "mameldung.log";
    l.log.meldung_eintragen("Alarm aus Gruppe 4 von:\rÜberfall");
    l.fs.muster = "kein Pfad";
    EXPECT_TRUE(l.log.nachtragen());
    ASSERT_EQ(l.sys->eintraege.size(), 2u);
    EXPECT_EQ(l.sys->eintraege[0].first, Prioritaet::warnung);
    EXPECT_NE(l.sys->eintraege[0].second.find("Journaleintrag nicht geschrieben, wird nachgetragen"),
              std::string::npos);
    EXPECT_NE(l.sys->eintraege[0].second.find("Alarm aus Gruppe 4 von:"), std::string::npos);
    EXPECT_EQ(l.sys->eintraege[1].second, "Journal wieder beschreibbar: 1 Einträge nachgetragen");
    EXPECT_EQ(l.stderr_.size(), 2u) << "the error output keeps its reports";
}

TEST(Systemlogsocket, SchicktEinDatagrammJeEintragMitPrioritaetKennungUndUtf8)
{
    TempVerzeichnis dir;
    Empfaenger daemon(dir / "log");
    ASSERT_TRUE(daemon.ok());
    Systemlogsocket sys(dir / "log");
    const std::string lang(3000, 'x');
    const std::string umlaute = std::string(Systemlogsocket::k_max_text - 4, 'y') + "ä";
    const std::pair<Prioritaet, std::string> eintraege[] = {
        {Prioritaet::warnung, "Schnittstelle nicht aktive!"},
        {Prioritaet::info, "Alarm aus Gruppe 7 von:\rHilfe\r\nKasse 2"},
        {Prioritaet::fehler, "Überwachung: Rückmeldung fehlt - 75  "},
        {Prioritaet::info, lang},
        {Prioritaet::info, umlaute + "zzz"},
    };
    const std::string erwartet[] = {
        "<12>",
        "Schnittstelle nicht aktive!",
        "<14>",
        "Alarm aus Gruppe 7 von: Hilfe  Kasse 2",
        "<11>",
        "Überwachung: Rückmeldung fehlt - 75",
        "<14>",
        std::string(Systemlogsocket::k_max_text - 3, 'x') + "…",
        // Cut before the two bytes of "ä", not between them.
        "<14>",
        std::string(Systemlogsocket::k_max_text - 4, 'y') + "…",
    };
    const std::regex form("(<\\d+>)[A-Z][a-z]{2} [ 1-3]\\d \\d\\d:\\d\\d:\\d\\d hestrel\\[" +
                          std::to_string(::getpid()) + "\\]: (.*)");
    for (std::size_t i = 0; i < std::size(eintraege); ++i) {
        sys.schreiben(eintraege[i].first, eintraege[i].second);
        const std::string datagramm = daemon.lesen();
        std::smatch m;
        ASSERT_TRUE(std::regex_match(datagramm, m, form)) << datagramm;
        EXPECT_EQ(m[1].str(), erwartet[2 * i]) << i;
        EXPECT_EQ(m[2].str(), erwartet[2 * i + 1]) << i;
    }
    EXPECT_EQ(daemon.lesen(), "");
    EXPECT_EQ(sys.verloren(), 0u);
}

TEST(Systemlogsocket, OhneSocketStillUndEinVollerSocketHaeltNiemandenAuf)
{
    TempVerzeichnis dir;
    for (const std::string& pfad : {std::string(), dir / "fehlt", dir.pfad(), std::string(200, 'a')}) {
        Systemlogsocket sys(pfad);
        sys.schreiben(Prioritaet::warnung, "Schnittstelle nicht aktive!");
        EXPECT_EQ(sys.verloren(), 0u) << "no system log: nothing to count for \"" << pfad << '"';
    }

    Empfaenger daemon(dir / "log", 4096);
    ASSERT_TRUE(daemon.ok());
    Systemlogsocket sys(dir / "log");
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3000; ++i) {
        sys.schreiben(Prioritaet::info, "Eintrag " + std::to_string(i) + std::string(200, '.'));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2))
        << "never waits for the daemon";
    const std::size_t verloren = sys.verloren();
    ASSERT_GT(verloren, 0u);
    std::size_t angekommen = 0;
    while (!daemon.lesen().empty()) {
        ++angekommen;
    }
    EXPECT_EQ(angekommen + verloren, 3000u);
    // The next entry that goes through is preceded by the count of the lost ones.
    sys.schreiben(Prioritaet::info, "Alarm gesetzt");
    const std::string bericht = daemon.lesen();
    EXPECT_EQ(bericht.substr(0, 4), "<12>");
    EXPECT_NE(bericht.find(": " + std::to_string(verloren) + " Einträge nicht ins Systemlog gelangt"),
              std::string::npos)
        << bericht;
    EXPECT_NE(daemon.lesen().find("hestrel["), std::string::npos);
    EXPECT_EQ(sys.verloren(), 0u);
}

TEST(Systemlogsocket, UmgebungsvariableWaehltDenSocketOderSchaltetIhnAb)
{
    const char* vorher = std::getenv("HESTREL_SYSLOG");
    const std::string gesichert = vorher ? vorher : "";
    ::setenv("HESTREL_SYSLOG", "/run/test.sock", 1);
    EXPECT_EQ(Systemlogsocket::standardpfad(), "/run/test.sock");
    ::setenv("HESTREL_SYSLOG", "", 1);
    EXPECT_EQ(Systemlogsocket::standardpfad(), "");
    ::unsetenv("HESTREL_SYSLOG");
    EXPECT_EQ(Systemlogsocket::standardpfad(), "/dev/log");
    if (vorher) {
        ::setenv("HESTREL_SYSLOG", gesichert.c_str(), 1);
    }
}
