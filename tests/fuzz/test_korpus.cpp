// Every input kept for the fuzzers, and every input that once broke one,
// runs through the same checks in the regular suite.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/ziele.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

void melden(const std::string& was)
{
    ADD_FAILURE() << was;
}

void korpus_pruefen(const std::string& ziel, void (*pruefung)(std::string_view))
{
    fehlschlag_setzen(melden);
    const std::filesystem::path verzeichnis = std::filesystem::path(HESTREL_FUZZKORPUS) / ziel;
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(verzeichnis)) {
        SCOPED_TRACE(e.path().string());
        pruefung(datei_lesen(e.path().string()));
        ++n;
    }
    EXPECT_GT(n, 0);
    fehlschlag_setzen(nullptr);
}

TEST(Fuzzkorpus, Einstellungsdatei)
{
    korpus_pruefen("einstellungen", einstellungen_pruefen);
}
TEST(Fuzzkorpus, Alarmdaten)
{
    korpus_pruefen("alarmdaten", alarmdaten_pruefen);
}
TEST(Fuzzkorpus, Empfangsdecoder)
{
    korpus_pruefen("decoder", decoder_pruefen);
}
TEST(Fuzzkorpus, Signaldatei)
{
    korpus_pruefen("empfang", empfang_pruefen);
}
TEST(Fuzzkorpus, Tondatei)
{
    korpus_pruefen("wav", wav_pruefen);
}

} // namespace
} // namespace hestrel::test
