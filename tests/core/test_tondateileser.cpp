// The sound file reader's thread on the virtual clock: every file asked for
// is answered, later and once, within the time limit even while a read hangs;
// the reader keeps one thread and leaves it only when it hangs.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/tondateileser.h"
#include "core/virtualscheduler.h"
#include "support/kindprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

// Files in memory; a read of `gehalten` waits until it is let go.
class Haltedateien : public Dateisystem {
  public:
    bool existiert(const std::string& p) override { return dateien.count(p) > 0; }
    Fehler lesen(const std::string& p, std::string& inhalt, std::size_t max) override
    {
        std::unique_lock sperre(m_mutex);
        m_frei.wait(sperre, [&] { return p != gehalten; });
        if (!existiert(p)) {
            return Fehler::aus_errno(ENOENT, p);
        }
        inhalt = dateien[p].substr(0, max);
        return {};
    }
    void halten(const std::string& p)
    {
        std::lock_guard sperre(m_mutex);
        gehalten = p;
        m_frei.notify_all();
    }
    Fehler ersetzen(const std::string&, const std::string&) override { return {}; }
    Fehler anhaengen(const std::string&, const std::string&) override { return {}; }
    Fehler leeren(const std::string&) override { return {}; }
    Fehler loeschen(const std::string&) override { return {}; }
    std::optional<Dateiinfo> info(const std::string&) override { return std::nullopt; }

    std::map<std::string, std::string> dateien;

  private:
    std::string gehalten;
    std::mutex m_mutex;
    std::condition_variable m_frei;
};

struct Antwort {
    std::size_t proben = 0;
    std::string fehler;
    int anzahl = 0;
};

TEST(Tondateileser, JedeDateiWirdBeantwortetAuchWennEinLesenHaengt)
{
    auto fs = std::make_shared<Haltedateien>();
    fs->dateien["/ton.wav"] = wav_stille(8000, 100);
    fs->dateien["/kaputt.wav"] = "RIFF";
    VirtualScheduler uhr;
    auto leser = std::make_unique<Tondateileser>(uhr, fs, 8000, 2);
    std::map<std::string, Antwort> antworten;
    auto lesen = [&](const std::string& pfad, const std::string& name) {
        leser->lesen(pfad, [&antworten, name](std::vector<std::int16_t> p, const std::string& f) {
            antworten[name] = {p.size(), f, antworten[name].anzahl + 1};
        });
    };
    auto abwarten = [&](const std::string& name) {
        return warten_bis([&] { return uhr.ausfuehren() >= 0 && antworten.count(name) > 0; },
                          std::chrono::seconds(5));
    };

    // Good, unplayable and missing files: answered on the engine's thread, never inside the call.
    lesen("/ton.wav", "gut");
    lesen("/kaputt.wav", "kaputt");
    lesen("/fehlt.wav", "fehlt");
    EXPECT_TRUE(antworten.empty());
    ASSERT_TRUE(abwarten("fehlt"));
    EXPECT_EQ(antworten["gut"].proben, 1600u);
    EXPECT_EQ(antworten["gut"].fehler, "");
    EXPECT_EQ(antworten["kaputt"].fehler, "kein WAV-Format");
    EXPECT_NE(antworten["fehlt"].fehler.find("Datei nicht gefunden"), std::string::npos);
    EXPECT_EQ(Tondateileser::faeden(), 1);

    // A read that hangs: it and the file behind it are answered at their limits.
    fs->halten("/ton.wav");
    lesen("/ton.wav", "haengt");
    ASSERT_TRUE(warten_bis([] { return Tondateileser::haengt_noch(); }, std::chrono::seconds(5)));
    uhr.advance(1000);
    lesen("/ton.wav", "dahinter");
    uhr.advance(Tondateileser::k_frist_ms - 1000 - 1);
    EXPECT_EQ(antworten.count("haengt"), 0u);
    uhr.advance(1);
    EXPECT_EQ(antworten["haengt"].fehler, "nicht innerhalb von 3 s gelesen");
    EXPECT_EQ(antworten.count("dahinter"), 0u);
    uhr.advance(1000);
    EXPECT_EQ(antworten["dahinter"].fehler, "nicht innerhalb von 3 s gelesen");

    // Let go, the late answer is dropped and the reader goes on.
    fs->halten("");
    lesen("/ton.wav", "danach");
    ASSERT_TRUE(abwarten("danach"));
    EXPECT_EQ(antworten["danach"].proben, 1600u);
    EXPECT_EQ(antworten["haengt"].anzahl, 1);
    EXPECT_EQ(antworten["dahinter"].anzahl, 1);
    EXPECT_EQ(Tondateileser::faeden(), 1);

    // Gone while a read hangs: the thread is left to it and ends once it returns.
    fs->halten("/ton.wav");
    lesen("/ton.wav", "beim Ende");
    ASSERT_TRUE(warten_bis([] { return Tondateileser::haengt_noch(); }, std::chrono::seconds(5)));
    leser.reset();
    EXPECT_EQ(Tondateileser::faeden(), 1);
    fs->halten("");
    EXPECT_TRUE(warten_bis([] { return Tondateileser::faeden() == 0; }, std::chrono::seconds(5)));
    EXPECT_FALSE(Tondateileser::haengt_noch());
    uhr.ausfuehren();
    EXPECT_EQ(antworten.count("beim Ende"), 0u);
}

} // namespace
} // namespace hestrel::test
