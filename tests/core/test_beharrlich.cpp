// What a file server refuses for a moment is tried again, a refused replace
// falls back to writing in place: the rules on a counted clock, each step's
// answers given by the table.
#include <gtest/gtest.h>

#include <cerrno>
#include <deque>

#include "core/beharrlich.h"

namespace hestrel {
namespace {

Fehler mit(int err)
{
    return err == 0 ? Fehler{} : Fehler::aus_errno(err, "/g1/MDAT0.XQV");
}

// A step that answers with the given errors in turn, then with the last one for good.
struct Antworten {
    std::deque<int> folge;
    int aufrufe = 0;
    Fehler operator()()
    {
        ++aufrufe;
        const int err = folge.front();
        if (folge.size() > 1) {
            folge.pop_front();
        }
        return mit(err);
    }
};

TEST(Beharrlich, PausenWachsenBisZurGeduld)
{
    std::vector<int> pausen;
    Antworten a{{EBUSY}};
    const Fehler f = beharrlich(
        std::ref(a), [&](int ms) { pausen.push_back(ms); }, 300);
    EXPECT_EQ(f.systemfehler, EBUSY);
    EXPECT_EQ(pausen, (std::vector<int>{5, 10, 20, 40, 80, 100, 45}));
    EXPECT_EQ(a.aufrufe, 8);
}

TEST(Beharrlich, ErsetzenMitAusweg)
{
    struct Fall {
        const char* name;
        std::deque<int> umbenennen, an_ort, entfernen;
        int ergebnis;
        bool an_ort_geschrieben;
        int verweigert;
        int gewartet_ms; // the pauses in all
        bool vorlage_entfernt;
    };
    const std::vector<Fall> faelle{
        {"the rename goes through", {0}, {0}, {0}, 0, false, 0, 0, false},
        {"the client closes late: busy twice", {EBUSY, EBUSY, 0}, {0}, {0}, 0, false, 2, 15, false},
        {"another desk holds the target", {EEXIST}, {0}, {0}, 0, true, 8, 300, true},
        {"held, and busy in place a moment", {EEXIST}, {EBUSY, 0}, {0}, 0, true, 8, 305, true},
        {"held for good", {EEXIST}, {EBUSY}, {0}, EBUSY, true, 8, 1000, true},
        {"disk full: no fall-back", {ENOSPC}, {0}, {0}, ENOSPC, false, 0, 0, true},
        {"temporary file busy before it goes", {EEXIST}, {0}, {EBUSY, EBUSY, 0}, 0, true, 8, 315, true},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Antworten umbenennen{f.umbenennen}, an_ort{f.an_ort}, entfernen{f.entfernen};
        int gewartet = 0;
        Ersetzbericht bericht;
        const Fehler e = ersetzen_mit_ausweg(
            {std::ref(umbenennen), std::ref(an_ort), std::ref(entfernen)}, [&](int ms) { gewartet += ms; },
            &bericht);
        EXPECT_EQ(e.systemfehler, f.ergebnis) << e.beschreibung;
        EXPECT_EQ(bericht.an_ort, f.an_ort_geschrieben);
        EXPECT_EQ(an_ort.aufrufe > 0, f.an_ort_geschrieben);
        EXPECT_EQ(bericht.verweigert, f.verweigert);
        EXPECT_EQ(gewartet, f.gewartet_ms);
        EXPECT_EQ(entfernen.aufrufe > 0, f.vorlage_entfernt);
    }
}

} // namespace
} // namespace hestrel
