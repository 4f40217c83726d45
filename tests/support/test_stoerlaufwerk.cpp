// The failing share the real-process tests rely on: each of its modes does
// what it says, and it never leaves a hung mount behind.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "support/kindprozess.h"
#include "support/stoerlaufwerk.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

using Uhr = std::chrono::steady_clock;
using namespace std::chrono_literals;

// 0 when it worked, else errno.
int lesen(const std::string& pfad)
{
    const int fd = ::open(pfad.c_str(), O_RDONLY);
    if (fd < 0) {
        return errno;
    }
    char puffer[64];
    const ssize_t n = ::read(fd, puffer, sizeof puffer);
    const int e = errno;
    ::close(fd);
    return n < 0 ? e : 0;
}

int schreiben(const std::string& pfad)
{
    const int fd = ::open(pfad.c_str(), O_WRONLY);
    if (fd < 0) {
        return errno;
    }
    const ssize_t n = ::write(fd, "neu", 3);
    const int e = errno;
    ::close(fd);
    return n < 0 ? e : 0;
}

int status(const std::string& pfad)
{
    struct stat st {};
    return ::stat(pfad.c_str(), &st) == 0 ? 0 : errno;
}

int verzeichnis_lesen(const std::string& pfad)
{
    DIR* d = ::opendir(pfad.c_str());
    if (!d) {
        return errno;
    }
    errno = 0;
    while (::readdir(d)) {
    }
    const int e = errno;
    ::closedir(d);
    return e;
}

TEST(Stoerlaufwerk, JedeOperationHaengtBisZurFreigabeAndereGehenWeiter)
{
    Stoerlaufwerk l;
    STOERLAUFWERK_BEREIT(l);
    std::filesystem::create_directories(l.unterlage() + "/h/sub");
    std::filesystem::create_directories(l.unterlage() + "/frei");
    datei_schreiben(l.unterlage() + "/frei/b", "b");
    const std::string h = l.einhaengepunkt() + "/h/";

    struct Fall {
        const char* operation;
        std::function<int()> tun;
    };
    const std::vector<Fall> faelle = {
        {"getattr", [&] { return status(h + "sub/a"); }},
        {"open", [&] { return lesen(h + "sub/a"); }},
        {"read", [&] { return lesen(h + "sub/a"); }},
        {"write", [&] { return schreiben(h + "sub/a"); }},
        {"readdir", [&] { return verzeichnis_lesen(h + "sub"); }},
        {"rename", [&] { return ::rename((h + "sub/a").c_str(), (h + "sub/c").c_str()) == 0 ? 0 : errno; }},
        {"unlink", [&] { return ::unlink((h + "sub/c").c_str()) == 0 ? 0 : errno; }},
    };
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.operation);
        if (!existiert(l.unterlage() + "/h/sub/a") && std::string(f.operation) != "unlink") {
            datei_schreiben(l.unterlage() + "/h/sub/a", "alt");
        }
        ASSERT_TRUE(l.haengen(f.operation, "/h/sub"));
        auto ergebnis = std::async(std::launch::async, f.tun);
        ASSERT_TRUE(warten_bis([&] { return l.wartend() == 1; }, 5s, 10ms));
        EXPECT_EQ(ergebnis.wait_for(200ms), std::future_status::timeout);
        // Outside the hung subdirectory everything answers (beside it too,
        // where the kernel lets lookups in one directory run side by side).
        EXPECT_EQ(lesen(l.einhaengepunkt() + "/frei/b"), 0);
        ASSERT_TRUE(l.freigeben());
        ASSERT_EQ(ergebnis.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(ergebnis.get(), 0);
        EXPECT_EQ(l.wartend(), 0);
    }
    EXPECT_FALSE(existiert(l.unterlage() + "/h/sub/c")) << "rename and unlink reached the backing directory";
}

TEST(Stoerlaufwerk, VerzoegerungUndFehlschlaegeTreffenNurIhrenBereich)
{
    Stoerlaufwerk l;
    STOERLAUFWERK_BEREIT(l);
    std::filesystem::create_directories(l.unterlage() + "/langsam");
    std::filesystem::create_directories(l.unterlage() + "/f");
    datei_schreiben(l.unterlage() + "/langsam/a", "a");
    datei_schreiben(l.unterlage() + "/f/a", "a");
    datei_schreiben(l.unterlage() + "/f/b", "b");
    const std::string m = l.einhaengepunkt();

    ASSERT_TRUE(l.verzoegern(400, "/langsam"));
    auto beginn = Uhr::now();
    EXPECT_EQ(status(m + "/langsam/a"), 0);
    EXPECT_GE(Uhr::now() - beginn, 400ms) << "the lookup of a waits";
    beginn = Uhr::now();
    EXPECT_EQ(status(m + "/f/a"), 0);
    EXPECT_LT(Uhr::now() - beginn, 400ms) << "other directories answer at once";
    ASSERT_TRUE(l.freigeben());

    // A call fails, the next one works; other files go on. A stat of a name the
    // kernel knows already costs two getattr when the first fails: it asks again.
    struct Fall {
        const char* operation;
        int anzahl;
        const char* fehler;
        int erwartet;
        std::function<int()> tun;
    };
    const std::vector<Fall> faelle = {
        {"read", 1, "EIO", EIO, [&] { return lesen(m + "/f/a"); }},
        {"open", 1, "EACCES", EACCES, [&] { return lesen(m + "/f/a"); }},
        {"getattr", 2, "EIO", EIO, [&] { return status(m + "/f/a"); }},
        {"write", 1, "EIO", EIO, [&] { return schreiben(m + "/f/a"); }},
        {"readdir", 1, "EACCES", EACCES, [&] { return verzeichnis_lesen(m + "/f"); }},
    };
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.operation);
        ASSERT_TRUE(l.scheitern(f.operation, f.anzahl, f.fehler,
                                f.operation == std::string("readdir") ? "/f" : "/f/a"));
        EXPECT_EQ(lesen(m + "/f/b"), 0);
        EXPECT_EQ(f.tun(), f.erwartet);
        EXPECT_EQ(f.tun(), 0);
    }
}

TEST(Stoerlaufwerk, EndeMitHaengenderOperationLaesstKeinLaufwerkZurueck)
{
    std::string punkt;
    std::future<int> ergebnis;
    const auto beginn = Uhr::now();
    {
        Stoerlaufwerk l;
        STOERLAUFWERK_BEREIT(l);
        punkt = l.einhaengepunkt();
        std::filesystem::create_directories(l.unterlage() + "/h");
        ASSERT_TRUE(l.haengen("alle", "/h"));
        ergebnis = std::async(std::launch::async, [&] { return status(punkt + "/h/x"); });
        ASSERT_TRUE(warten_bis([&] { return l.wartend() == 1; }, 5s, 10ms));
    }
    ASSERT_EQ(ergebnis.wait_for(5s), std::future_status::ready);
    const int e = ergebnis.get();
    EXPECT_TRUE(e == ENOENT || e == ENOTCONN || e == ECONNABORTED) << "an answer, not a hang: " << e;
    EXPECT_LT(Uhr::now() - beginn, 15s);
    EXPECT_FALSE(existiert(punkt)) << "unmounted and removed";
}

} // namespace
} // namespace hestrel::test
