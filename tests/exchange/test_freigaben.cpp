// Shares that hang, answer late or fail: every rule on the virtual clock, with
// a share service whose directories answer at the same virtual moment unless a test holds them.
#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "core/freigabedienst.h"
#include "exchange/begleitdateien.h"
#include "exchange/platz.h"
#include "support/haltefreigaben.h"

namespace hestrel::test {
namespace {

// The real file system, whose looks and reads of chosen paths fail a given number of times.
class Launendateisystem : public EchtesDateisystem {
  public:
    Launendateisystem() : EchtesDateisystem(Verknuepfungen::nicht_folgen) {}
    Dateistand stand(const std::string& pfad) override
    {
        if (zaehlt_ab(standfehler, pfad)) {
            return {Dateistand::Art::fehler, {}, Fehler::aus_errno(fehlernummer, pfad)};
        }
        return EchtesDateisystem::stand(pfad);
    }
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override
    {
        if (zaehlt_ab(lesefehler, pfad)) {
            inhalt.clear();
            return Fehler::aus_errno(fehlernummer, pfad);
        }
        return EchtesDateisystem::lesen(pfad, inhalt, max_bytes);
    }
    std::optional<bool> eingehaengt(const std::string& verzeichnis) override
    {
        auto it = einhaengung.find(verzeichnis);
        return it == einhaengung.end() ? EchtesDateisystem::eingehaengt(verzeichnis)
                                       : std::optional<bool>(it->second);
    }
    std::map<std::string, int> standfehler;
    std::map<std::string, int> lesefehler;
    // Directories that answer as a mounted share (true) or its empty mount point (false).
    std::map<std::string, bool> einhaengung;
    int fehlernummer = EIO;

  private:
    static bool zaehlt_ab(std::map<std::string, int>& fehler, const std::string& pfad)
    {
        auto it = fehler.find(pfad);
        if (it == fehler.end() || it->second == 0) {
            return false;
        }
        --it->second;
        return true;
    }
};

class Freigaben : public ::testing::Test {
  protected:
    Freigaben()
    {
        g1 = basis.unterverzeichnis("gruppe1");
        g2 = basis.unterverzeichnis("gruppe2");
        g3 = basis.unterverzeichnis("gruppe3");
    }
    void SetUp() override
    {
        for (Platz* p : {&sender, &empfaenger}) {
            p->starten();
            p->gruppe(0, g1);
            p->gruppe(1, g2);
            p->gruppe(2, g3);
        }
    }
    TempVerzeichnis basis;
    std::string g1, g2, g3;
    VirtualScheduler uhr;
    Launendateisystem launen;
    Haltefreigaben hand{launen, uhr};
    Platz sender{uhr, basis / "s"};
    Platz empfaenger{uhr, basis / "e", &hand};
};

TEST_F(Freigaben, EineHaengendeGruppeHaeltDieAnderenNichtAuf)
{
    hand.halten(g1);
    alarm_legen(g3, "Gruppe drei");
    // The first tick waits its answer time for the hung group, then decides without it.
    uhr.advance(5000);
    EXPECT_EQ(empfaenger.journaleintraege(), 0);
    uhr.advance(Alarmempfang::k_antwortfrist_ms);
    EXPECT_EQ(empfaenger.journaleintraege(), 1);
    EXPECT_EQ(empfaenger.anzeige.alarmtext(), "Gruppe drei");

    // Later ticks do not wait for it at all; after a few seconds it counts as unreachable, once.
    std::filesystem::remove(g3 + "MESSAGE.XQV");
    uhr.advance(5000);
    alarm_legen(g2, "Gruppe zwei");
    uhr.advance(5000);
    EXPECT_EQ(empfaenger.journaleintraege(), 2) << "shown at its tick, without the answer wait";
    uhr.advance(30000);
    EXPECT_EQ(zaehlen(empfaenger.ereignislog(), "Gruppe 1 nicht erreichbar seit"), 1);
    EXPECT_TRUE(empfaenger.empfang.unerreichbar(0));
    EXPECT_EQ(hand.wartend(g1), 1u) << "one look at a time: a hung directory gets no pile of work";

    // Back: its late answer is taken, an alarm lying there shown once, the end of the fault logged.
    alarm_legen(g1, "Gruppe eins");
    hand.freigeben(g1);
    uhr.advance(5000);
    uhr.advance(5000);
    EXPECT_EQ(zaehlen(empfaenger.journal(), "Alarm aus Gruppe 1 von"), 1);
    EXPECT_EQ(zaehlen(empfaenger.ereignislog(), "Gruppe 1 wieder erreichbar"), 1);
    EXPECT_FALSE(empfaenger.empfang.unerreichbar(0));
    uhr.advance(20000);
    EXPECT_EQ(zaehlen(empfaenger.journal(), "Alarm aus Gruppe 1 von"), 1);
}

TEST_F(Freigaben, EineStockendeAuflistungHaeltDieAbfrageNichtAuf)
{
    // Group 1's listing never answers (a directory of 20,000 files on a slow
    // server); its queue for records holds the presence round and the
    // answers' watch, the poll's look goes its own way.
    hand.halten(g1, Spur::begleit);
    empfaenger.ap.anwesenheit().runde();
    for (int alarm = 1; alarm <= 3; ++alarm) {
        alarm_legen(g1, "Alarm " + std::to_string(alarm));
        uhr.advance(empfaenger.ap.alarmempfang().abfragetakt().interval());
        EXPECT_EQ(empfaenger.journaleintraege(), alarm) << "within its poll";
        uhr.advance(20000);
        std::filesystem::remove(g1 + "MESSAGE.XQV");
        uhr.advance(5000);
    }
    EXPECT_FALSE(empfaenger.empfang.unerreichbar(0));
    EXPECT_EQ(zaehlen(empfaenger.ereignislog(), "nicht erreichbar"), 0);
    EXPECT_FALSE(empfaenger.ap.anwesenheit().anzahl(0).has_value()) << "its count is not known meanwhile";
    hand.freigeben(g1);
}

TEST_F(Freigaben, EinLangsamesVerzeichnisWirdSeltenAufgelistet)
{
    // The start's listing of group 1 answers after 2 s: a slow directory.
    Verzeichnisschau& schau = empfaenger.ap.verzeichnisschau();
    sender.ap.anwesenheit().takt().stop();
    hand.halten(g1, Spur::begleit);
    empfaenger.ap.anwesenheit().runde();
    uhr.advance(2000);
    hand.freigeben(g1);
    ASSERT_TRUE(schau.langsam(g1));
    ASSERT_NE(schau.letzte(g1), nullptr);
    const std::int64_t gelistet = schau.letzte(g1)->gelistet_ms;
    // It changes every minute; it is listed again only ten minutes on (at the round after them).
    for (int minute = 1; minute <= 11; ++minute) {
        datei_schreiben(g1 + anwesenheitsdatei("Neu-" + std::to_string(minute)),
                        kodieren(Anwesenheit{"Neu", "", ""}));
        uhr.advance(Anwesenheitsmelder::k_takt_ms);
        EXPECT_EQ(schau.letzte(g1)->gelistet_ms == gelistet, minute < 11) << "minute " << minute;
    }
    EXPECT_FALSE(schau.langsam(g1)) << "the last listing was quick";
}

TEST_F(Freigaben, EigeneSignaldateienGehenAuchWennDerBlickZuSpaetKommt)
{
    // The desk behind the held share sends; at its clean-up tick its look
    // into group 1 does not come back in time.
    empfaenger.liste.gruppen[0] = 1;
    empfaenger.ap.ausloesen();
    uhr.ausfuehren();
    ASSERT_TRUE(existiert(g1 + "MESSAGE.XQV"));
    uhr.advance(14900);
    hand.halten(g1, Spur::alarm);
    uhr.advance(Alarmempfang::k_antwortfrist_ms);
    EXPECT_TRUE(existiert(g1 + "MESSAGE.XQV"));
    uhr.advance(2000);
    hand.freigeben(g1);
    uhr.advance(5000);
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV")) << "its own signal file, known by what its write left";
    EXPECT_EQ(zaehlen(empfaenger.ereignislog(), "Message - gel"), 1);
    EXPECT_EQ(empfaenger.journaleintraege(), 0) << "a desk never shows its own alarm";
    EXPECT_EQ(sender.journaleintraege(), 1);
}

TEST_F(Freigaben, EineLangsameGruppeZeigtIhrenAlarmMitDerNaechstenAntwort)
{
    // Every look and read of group 1 answers only after the tick gave up waiting.
    alarm_legen(g1, "langsam");
    for (int tick = 0; tick < 6 && empfaenger.journaleintraege() == 0; ++tick) {
        hand.halten(g1);
        uhr.advance(empfaenger.ap.alarmempfang().abfragetakt().interval());
        uhr.advance(Alarmempfang::k_antwortfrist_ms);
        hand.freigeben(g1);
    }
    EXPECT_EQ(empfaenger.journaleintraege(), 1);
    for (int tick = 0; tick < 6; ++tick) {
        hand.halten(g1);
        uhr.advance(empfaenger.ap.alarmempfang().abfragetakt().interval());
        hand.freigeben(g1);
    }
    EXPECT_EQ(empfaenger.journaleintraege(), 1) << "late answers never show an alarm twice";
}

TEST_F(Freigaben, EinFehlerIstKeinFehlen)
{
    struct Fall {
        const char* name;
        int standfehler; // failed looks at the signal file after its alarm was shown
        int lesefehler;  // failed reads of the data file before it
        int fehlernummer;
    };
    const std::vector<Fall> faelle = {
        {"Blick scheitert einmal", 1, 0, EIO},
        {"Blick ohne Recht, dreimal", 3, 0, EACCES},
        {"Lesen scheitert einmal", 0, 1, EIO},
        {"Lesen ohne Recht, zweimal", 0, 2, EACCES},
    };
    int erwartet = 0;
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.name);
        launen.fehlernummer = f.fehlernummer;
        launen.lesefehler[g1 + "MDAT0.XQV"] = f.lesefehler;
        alarm_legen(g1, f.name);
        for (int tick = 0; tick <= f.lesefehler; ++tick) {
            uhr.advance(empfaenger.ap.alarmempfang().abfragetakt().interval());
        }
        // Shown once the data file could be read, while its signal file stayed.
        EXPECT_EQ(empfaenger.journaleintraege(), ++erwartet);
        EXPECT_EQ(empfaenger.anzeige.alarmtext(), f.name);
        launen.standfehler[g1 + "MESSAGE.XQV"] = f.standfehler;
        for (int tick = 0; tick < f.standfehler + 3; ++tick) {
            uhr.advance(5000);
        }
        EXPECT_EQ(empfaenger.journaleintraege(), erwartet) << "an error of the look repeats nothing";
        std::filesystem::remove(g1 + "MESSAGE.XQV");
        uhr.advance(5000);
        EXPECT_FALSE(empfaenger.empfang.gruppe_gemeldet(0));
    }
}

TEST_F(Freigaben, EinHaengendesZielHaeltDieAnderenZieleNichtAuf)
{
    sender.liste.gruppen[0] = 1;
    sender.liste.gruppen[2] = 1;
    Haltefreigaben senderhand{sender.fs, uhr};
    Platz s2{uhr, basis / "s2", &senderhand};
    s2.starten();
    s2.gruppe(0, g1);
    s2.gruppe(2, g3);
    s2.liste.gruppen = sender.liste.gruppen;
    senderhand.halten(g1);
    s2.ap.ausloesen();
    EXPECT_FALSE(existiert(g3 + "MESSAGE.XQV")) << "the send waits a moment for every target";
    uhr.advance(Alarmversand::k_sendefrist_ms);
    EXPECT_TRUE(existiert(g3 + "MESSAGE.XQV"));
    EXPECT_TRUE(s2.bestaetigung.sichtbar());
    EXPECT_FALSE(existiert(g1 + "MDAT0.XQV"));
    // The hung group gets its files, data first, as soon as it answers.
    uhr.advance(2000);
    senderhand.freigeben(g1);
    EXPECT_TRUE(existiert(g1 + "MDAT0.XQV"));
    EXPECT_TRUE(existiert(g1 + "MESSAGE.XQV"));
    uhr.advance(Alarmversand::k_verfall_ms);
    EXPECT_TRUE(s2.boxen.hinweise.empty()) << s2.boxen.hinweise[0].text;

    // A target that never answers is named to the sender, not reported as sent.
    std::filesystem::remove(g1 + "MESSAGE.XQV");
    std::filesystem::remove(g3 + "MESSAGE.XQV");
    uhr.advance(20000);
    senderhand.halten(g1);
    s2.ap.ausloesen();
    uhr.advance(Alarmversand::k_sendefrist_ms + Alarmversand::k_verfall_ms);
    ASSERT_EQ(s2.boxen.hinweise.size(), 1u);
    EXPECT_NE(s2.boxen.hinweise[0].text.find("Gruppe 1: Das Verzeichnis antwortet nicht"), std::string::npos);
    senderhand.freigeben(g1);
}

TEST_F(Freigaben, FremdeDingeUnterDenNamenWerdenUebergangen)
{
    // Links, FIFOs and directories under the exchange files' names: never
    // followed, never blocking, nothing of them shown.
    const std::string geheim = basis / "geheim.txt";
    datei_schreiben(geheim, "GEHEIM");
    struct Fall {
        const char* name;
        std::function<void(const std::string&)> legen;
    };
    const std::vector<Fall> faelle = {
        {"FIFO als Signal",
         [](const std::string& g) { ASSERT_EQ(::mkfifo((g + "MESSAGE.XQV").c_str(), 0666), 0); }},
        {"Link als Signal",
         [&](const std::string& g) { std::filesystem::create_symlink(geheim, g + "MESSAGE.XQV"); }},
        {"Verzeichnis als Signal",
         [](const std::string& g) { std::filesystem::create_directory(g + "MESSAGE.XQV"); }},
        {"FIFO als Daten",
         [](const std::string& g) {
             ASSERT_EQ(::mkfifo((g + "MDAT0.XQV").c_str(), 0666), 0);
             datei_schreiben(g + "MESSAGE.XQV", "0");
         }},
        {"Link als Daten",
         [&](const std::string& g) {
             std::filesystem::create_symlink(geheim, g + "MDAT0.XQV");
             datei_schreiben(g + "MESSAGE.XQV", "0");
         }},
    };
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.name);
        std::filesystem::remove_all(g1);
        std::filesystem::create_directory(g1);
        f.legen(g1);
        alarm_legen(g3, f.name);
        uhr.advance(5000);
        uhr.advance(5000);
        EXPECT_NE(empfaenger.journal().find(std::string("Alarm aus Gruppe 3 von:\r") + f.name),
                  std::string::npos);
        EXPECT_EQ(empfaenger.journal().find("GEHEIM"), std::string::npos);
        EXPECT_EQ(empfaenger.anzeige.alarmtext().find("GEHEIM"), std::string::npos);
        EXPECT_EQ(datei_lesen(geheim), "GEHEIM");
        std::filesystem::remove(g3 + "MESSAGE.XQV");
        uhr.advance(5000);
    }
    EXPECT_EQ(zaehlen(empfaenger.journal(), "Alarm aus Gruppe 1"), 0);
    EXPECT_GE(zaehlen(empfaenger.ereignislog(), "bergangen"), 4);
}

TEST(EchtesDateisystemAufFreigaben, SchreibtNieDurchEinenLinkUndBleibtBeiFifosNichtStehen)
{
    TempVerzeichnis t;
    EchtesDateisystem fs(EchtesDateisystem::Verknuepfungen::nicht_folgen);
    const std::string ziel = t / "Hestrel.DAT";
    datei_schreiben(ziel, "eigene Einstellungen");
    std::filesystem::create_symlink(ziel, t / "MESSAGE.XQV");
    // Replacing a link replaces the link, never the file it points to.
    EXPECT_FALSE(fs.ersetzen_fluechtig(t / "MESSAGE.XQV", "0"));
    EXPECT_EQ(datei_lesen(ziel), "eigene Einstellungen");
    EXPECT_FALSE(std::filesystem::is_symlink(t / "MESSAGE.XQV"));
    // A FIFO is refused at once for reading, appending and emptying.
    ASSERT_EQ(::mkfifo((t / "fifo").c_str(), 0666), 0);
    std::string inhalt;
    EXPECT_TRUE(fs.lesen(t / "fifo", inhalt));
    EXPECT_TRUE(fs.anhaengen(t / "fifo", "x"));
    EXPECT_TRUE(fs.leeren(t / "fifo"));
    EXPECT_EQ(fs.stand(t / "fifo").art, Dateistand::Art::anderes);
    EXPECT_EQ(fs.stand(t / "fehlt").art, Dateistand::Art::fehlt);
    // Temporary names cannot be guessed: two writes use two names, and none is left.
    EchtesDateisystem daten;
    EXPECT_TRUE(daten.lesen(t / "fifo", inhalt)) << "the data directory refuses a FIFO as well";
    for (const auto& e : std::filesystem::directory_iterator(t.pfad())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos);
    }
}

TEST(FaedenFreigabedienst, EinHaengendesVerzeichnisHaeltNurSichSelbstAuf)
{
    VirtualScheduler uhr;
    auto fs = std::make_shared<EchtesDateisystem>();
    std::vector<std::string> fertig;
    std::promise<void> drin;
    std::promise<void> los;
    std::shared_future<void> los_f = los.get_future().share();
    const auto warten = [&](const std::function<bool()>& bis) {
        for (int i = 0; i < 400 && !bis(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            uhr.advance(0);
        }
    };
    {
        FaedenFreigabedienst dienst(fs, uhr);
        dienst.auftrag(
            "/haengt/",
            [&drin, los_f](Dateisystem&) {
                drin.set_value();
                los_f.wait();
            },
            [&](bool) { fertig.push_back("haengt"); });
        drin.get_future().wait();
        // Other spellings of the directory queue behind the hung call, on its worker.
        dienst.auftrag(
            "/haengt//", nullptr, [&](bool a) { fertig.push_back(a ? "danach" : "verfallen"); }, 1000);
        dienst.auftrag("/./haengt", nullptr, [&](bool a) { fertig.push_back(a ? "ohne Frist" : "?"); });
        dienst.auftrag("/frei", nullptr, [&](bool) { fertig.push_back("frei"); });
        warten([&] { return !fertig.empty(); });
        EXPECT_EQ(fertig, std::vector<std::string>{"frei"});
        EXPECT_EQ(dienst.arbeiter(), 2u);
        // At its limit the waiting work is answered as not done, while the call still hangs.
        uhr.advance(999);
        EXPECT_EQ(fertig.size(), 1u);
        uhr.advance(1);
        EXPECT_EQ(fertig, (std::vector<std::string>{"frei", "verfallen"}));
        EXPECT_TRUE(FaedenFreigabedienst::haengt_noch());
    }
    // The service went while a job was inside its call: its answer, and the
    // work queued behind it, are dropped.
    los.set_value();
    warten([] { return !FaedenFreigabedienst::haengt_noch(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    uhr.advance(0);
    EXPECT_EQ(fertig, (std::vector<std::string>{"frei", "verfallen"}));
}

} // namespace
} // namespace hestrel::test

namespace hestrel::test {
namespace {

TEST_F(Freigaben, SpeichernWartetHoechstensDieFristAufEinHaengendesVerzeichnis)
{
    hand.halten(g2);
    Einstellungsverwaltung& h = empfaenger.h;
    h.maske().idnummer = "0";
    h.speichern();
    h.speichern();
    EXPECT_TRUE(h.maske().meldungtxt.empty()) << "the save waits for the directories' answers";
    uhr.advance(2999);
    EXPECT_TRUE(h.maske().meldungtxt.empty());
    uhr.advance(1);
    // Unanswered counts as not found: the person is pointed at that path.
    EXPECT_FALSE(h.maske().meldungtxt.empty());
    EXPECT_FALSE(h.einstellungen().pfadeok);
    EXPECT_EQ(hand.wartend(g2), 1u) << "a second click asks nothing new";
    hand.freigeben(g2);
    h.speichern();
    uhr.ausfuehren();
    EXPECT_TRUE(h.einstellungen().pfadeok);
    EXPECT_TRUE(existiert(empfaenger.daten + "/Hestrel.DAT"));
}

} // namespace
} // namespace hestrel::test

namespace hestrel::test {
namespace {

TEST_F(Freigaben, AufraeumenNimmtLiegengebliebeneSignaleNachDerUhrDerFreigabe)
{
    // Group 2: a sender stopped before its clean-up a minute ago (by the
    // share's clock). Group 3: another sender's alarm of a moment ago.
    datei_schreiben(g2 + "MDAT0.XQV", "alt");
    datei_schreiben(g2 + "MESSAGE.XQV", "0");
    std::filesystem::last_write_time(g2 + "MESSAGE.XQV", std::filesystem::file_time_type::clock::now() -
                                                             std::chrono::seconds(60));
    // The clock is that of the sender's own presence records, stamped on the virtual clock.
    sender.fs.freigabeuhr = &uhr;
    sender.ap.anwesenheit().runde();
    sender.liste.gruppen[0] = 1;
    sender.ap.ausloesen();
    uhr.advance(5000);
    alarm_legen(g3, "frisch");
    Stoerdateisystem::stempeln(g3 + "MESSAGE.XQV", sender.fs.freigabezeit_ns());
    uhr.advance(10000);
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV")) << "its own";
    EXPECT_FALSE(existiert(g2 + "MESSAGE.XQV"))
        << "a leftover blinds receivers that keep a flag while any lies there";
    EXPECT_TRUE(existiert(g3 + "MESSAGE.XQV")) << "a fresh alarm of another sender is its sender's to remove";
    EXPECT_EQ(zaehlen(sender.ereignislog(), "Message - gel"), 2);
    // Nothing of the clock's probe stays behind.
    for (const std::string& g : {g1, g2, g3}) {
        for (const auto& e : std::filesystem::directory_iterator(g)) {
            EXPECT_EQ(e.path().filename().string().find("hestrel-uhr"), std::string::npos) << e.path();
        }
    }
}

TEST_F(Freigaben, EinLeererEinhaengepunktIstEineUnerreichbareFreigabe)
{
    launen.einhaengung[g1] = true;
    alarm_legen(g1, "einmal");
    uhr.advance(5000);
    ASSERT_EQ(empfaenger.journaleintraege(), 1);
    // Unmounted: the empty directory shows in the share's place, the file is still on the share.
    std::filesystem::rename(g1 + "MESSAGE.XQV", basis / "versteckt");
    launen.einhaengung[g1] = false;
    uhr.advance(5000);
    uhr.advance(5000);
    EXPECT_TRUE(empfaenger.empfang.gruppe_gemeldet(0));
    EXPECT_TRUE(empfaenger.empfang.unerreichbar(0));
    EXPECT_EQ(zaehlen(empfaenger.ereignislog(), "nicht eingeh"), 1);
    // Mounted again with the same file: no second alarm.
    std::filesystem::rename(basis / "versteckt", g1 + "MESSAGE.XQV");
    launen.einhaengung[g1] = true;
    uhr.advance(5000);
    uhr.advance(5000);
    EXPECT_EQ(empfaenger.journaleintraege(), 1);
    EXPECT_FALSE(empfaenger.empfang.unerreichbar(0));
    // A file removed from the mounted share is forgotten as before.
    std::filesystem::remove(g1 + "MESSAGE.XQV");
    uhr.advance(5000);
    EXPECT_FALSE(empfaenger.empfang.gruppe_gemeldet(0));
}

} // namespace
} // namespace hestrel::test

namespace hestrel::test {
namespace {

TEST_F(Freigaben, EinLiegengebliebenesSignalNimmtDerNaechsteEmpfaengerWeg)
{
    // A sender that stopped before its clean-up: older receivers would keep
    // the group marked while the file lies there and miss its next alarm.
    for (Platz* p : {&sender, &empfaenger}) {
        p->fs.freigabeuhr = &uhr;
        p->ap.anwesenheit().runde();
    }
    uhr.advance(1000);
    alarm_legen(g2, "liegt");
    frisch({&sender, &empfaenger}, g2, "MESSAGE.XQV");
    uhr.advance(5000);
    ASSERT_EQ(empfaenger.journaleintraege(), 1);
    uhr.advance(10000);
    EXPECT_TRUE(existiert(g2 + "MESSAGE.XQV")) << "younger than the clean-up's wait and a poll";
    // Replaced by a later alarm: its age counts from then.
    alarm_legen(g2, "neu");
    frisch({&sender, &empfaenger}, g2, "MESSAGE.XQV");
    uhr.advance(15000);
    EXPECT_TRUE(existiert(g2 + "MESSAGE.XQV"));
    uhr.advance(10000);
    EXPECT_FALSE(existiert(g2 + "MESSAGE.XQV"));
    EXPECT_TRUE(existiert(g2 + "MDAT0.XQV")) << "only the signal file goes";
    // Whichever of the two workstations polling the group got there first.
    EXPECT_EQ(zaehlen(empfaenger.ereignislog() + sender.ereignislog(), "Liegengebliebene Message gel"), 1);
    EXPECT_EQ(empfaenger.journaleintraege(), 2);
}

} // namespace
} // namespace hestrel::test
