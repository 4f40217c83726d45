// The frame decoder over byte sequences, and the simulated device's side of the line.
#include <gtest/gtest.h>

#include "core/virtualscheduler.h"
#include "device/empfangsdecoder.h"
#include "device/sim/geraetesimulator.h"

namespace hestrel {
namespace {

using Bytes = std::vector<int>;

// A status frame: input 1, input 2, outputs 1..10.
Bytes rahmen(int ein1, int ein2, Bytes ausgaenge = Bytes(10, 0))
{
    Bytes r{242, 1, ein1, ein2};
    r.insert(r.end(), ausgaenge.begin(), ausgaenge.end());
    return r;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Fall {
    const char* name;
    // Pieces of the line, each followed by a pause in ms on the virtual clock.
    std::vector<std::pair<Bytes, int>> stuecke;
    int rahmen;
    // Payload bytes 1..12 of the last complete frame.
    Bytes letzter;
};

std::vector<std::pair<Bytes, int>> byteweise(const Bytes& b, int pause)
{
    std::vector<std::pair<Bytes, int>> s;
    for (int x : b) {
        s.push_back({{x}, pause});
    }
    return s;
}

TEST(Empfangsdecoder, Bytefolgen)
{
    const Bytes ausg{1, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const Bytes nutz_ausg = Bytes{0, 1} + ausg;
    const Fall faelle[] = {
        {"ein Rahmen", {{rahmen(0, 1, ausg), 0}}, 1, nutz_ausg},
        {"Byte fuer Byte mit Pausen unter einer Sekunde", byteweise(rahmen(0, 1, ausg), 999), 1, nutz_ausg},
        {"in drei Stuecken",
         {{{242, 1}, 300}, {{0, 1, 1, 0}, 300}, {{0, 0, 1, 0, 0, 0, 0, 1}, 0}},
         1,
         Bytes{0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"falscher Typ wird verworfen, der Rest bis zum naechsten 242 ignoriert",
         {{Bytes{242, 5} + Bytes(12, 1), 0}},
         0,
         {}},
        {"falscher Typ, danach ein guter Rahmen",
         {{Bytes{242, 5, 1, 1} + rahmen(1, 0), 0}},
         1,
         Bytes{1, 0} + Bytes(10, 0)},
        {"242 als Typbyte verwirft auch", {{Bytes{242} + rahmen(1, 1), 0}}, 0, {}},
        {"242 in den Nutzdaten ist Datum", {{rahmen(242, 242, Bytes(10, 242)), 0}}, 1, Bytes(12, 242)},
        {"Luecke ueber einer Sekunde verwirft den angefangenen Rahmen",
         {{{242, 1, 0, 1, 0}, 1001}, {Bytes(9, 0), 0}},
         0,
         {}},
        {"nach der Luecke beginnt das naechste 242 neu",
         {{{242, 1, 0, 1, 0}, 1001}, {Bytes(9, 0) + rahmen(1, 0), 0}},
         1,
         Bytes{1, 0} + Bytes(10, 0)},
        {"zwei Rahmen hintereinander", {{rahmen(0, 1) + rahmen(1, 0, ausg), 0}}, 2, Bytes{1, 0} + ausg},
        {"Muell vor dem Rahmen", {{Bytes{0, 1, 7, 1, 255} + rahmen(0, 1, ausg), 0}}, 1, nutz_ausg},
        {"Startbyte kurz vor dem Zeitablauf des vorigen Rahmens beginnt die Frist neu",
         {{rahmen(0, 1), 999}, {{242}, 2}, {Bytes{1, 1, 0} + ausg, 0}},
         2,
         Bytes{1, 0} + ausg},
        {"abgeschnittener Rahmen und Zeitablauf, dann ein ganzer",
         {{{242, 1, 1}, 1000}, {rahmen(0, 1, ausg), 0}},
         1,
         nutz_ausg},
    };
    for (const Fall& f : faelle) {
        VirtualScheduler uhr;
        auto zeichenfrist = uhr.timer("Zeichenfrist", 1000);
        Empfangsdecoder d(*zeichenfrist);
        zeichenfrist->tick = [&] { d.zeitablauf(); };
        int fertig = 0;
        Bytes letzter;
        for (const auto& [bytes, pause] : f.stuecke) {
            for (int b : bytes) {
                if (d.schritt(static_cast<std::uint8_t>(b))) {
                    ++fertig;
                    letzter.assign(d.empfangspuffer().begin() + 1, d.empfangspuffer().end());
                }
            }
            uhr.advance(pause);
        }
        EXPECT_EQ(fertig, f.rahmen) << f.name;
        EXPECT_EQ(letzter, f.letzter) << f.name;
    }
}

std::string text(const Bytes& b)
{
    std::string s;
    for (int x : b) {
        s += static_cast<char>(x);
    }
    return s;
}

TEST(Geraetesimulator, ZeigtBefehleLesbarUndMerktSichDieAusgaenge)
{
    Geraetesimulator g;
    // Commands may arrive in any pieces.
    auto e = g.empfangen(text({242, 2, 5, 242, 2}));
    e = [&] {
        auto r = g.empfangen(text({1, 242, 3, 11, 242, 3, 5, 242, 2, 50, 9, 242, 7, 1}));
        e.zeilen.insert(e.zeilen.end(), r.zeilen.begin(), r.zeilen.end());
        return e;
    }();
    EXPECT_EQ(e.zeilen, (std::vector<std::string>{"Ausgang 5 ein", "Ausgang 1 ein", "Reset", "Ausgang 5 aus",
                                                  "Ausgang 50 ein (kein Ausgang am Gerät)",
                                                  "Unerwartetes Byte 9", "Unbekannter Befehl 242, 7, 1"}));
    EXPECT_TRUE(e.antwort.empty());
    EXPECT_TRUE(g.ausgang(1));
    EXPECT_FALSE(g.ausgang(5));
    EXPECT_EQ(g.ausgangsliste(), "Ausgänge an: 1");
}

TEST(Geraetesimulator, BeantwortetJedeStatusabfrageUndHaeltTastenZweiRahmenLang)
{
    Geraetesimulator g;
    g.empfangen(text({242, 2, 3}));
    const std::string abfrage = text({242, 1, 10});
    auto e = g.empfangen(abfrage);
    EXPECT_EQ(e.zeilen, std::vector<std::string>{"Statusabfrage"});
    EXPECT_EQ(e.antwort, text(rahmen(0, 0, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0})));

    g.druecken(2);
    EXPECT_EQ(g.empfangen(abfrage).antwort.substr(0, 4), text({242, 1, 0, 1}));
    EXPECT_EQ(g.empfangen(abfrage).antwort.substr(0, 4), text({242, 1, 0, 1}));
    EXPECT_EQ(g.empfangen(abfrage).antwort.substr(0, 4), text({242, 1, 0, 0}));

    g.druecken(3);
    EXPECT_EQ(g.empfangen(abfrage + abfrage).antwort, text(rahmen(1, 1, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0})) +
                                                          text(rahmen(1, 1, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0})));
    EXPECT_FALSE(g.taste_aktiv(1));
    EXPECT_FALSE(g.taste_aktiv(2));
}

} // namespace
} // namespace hestrel
