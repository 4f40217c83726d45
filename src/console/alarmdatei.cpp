#include "console/alarmdatei.h"

#include <variant>
#include <vector>

#include "core/cp1252.h"
#include "core/textdatei.h"
#include "core/zahlen.h"
#include "einstellungen/einstellungsdatei.h"

namespace hestrel {
namespace {

// The order of the file: the first ten groups, then the other forty.
struct Block {
    int von;
    int bis;
};
constexpr Block k_bloecke[] = {{0, 10}, {10, k_gruppen}};

} // namespace

std::string alarmdaten_bytes(const Meldelistenmaske& m)
{
    std::vector<std::string> zeilen;
    zeilen.reserve(k_alarmdatenzeilen);
    for (const auto& text : m.alarmtexte) {
        zeilen.push_back(wert_schreiben(text));
    }
    for (const Block& b : k_bloecke) {
        for (int i = b.von; i < b.bis; ++i) {
            zeilen.push_back(haken_zeile(m.melde_gruppen[static_cast<std::size_t>(i)]));
        }
        for (int i = b.von; i < b.bis; ++i) {
            zeilen.push_back(wert_schreiben(m.gruppennamen[static_cast<std::size_t>(i)]));
        }
    }
    return zeilen_kodieren(zeilen);
}

std::string alarmdaten_unkodierbar(const Meldelistenmaske& m)
{
    for (std::size_t i = 0; i < m.alarmtexte.size(); ++i) {
        if (const std::string z = nicht_darstellbar(m.alarmtexte[i]); !z.empty()) {
            return unkodierbar_meldung("Alarmtext Zeile " + std::to_string(i + 1), z);
        }
    }
    for (std::size_t i = 0; i < m.gruppennamen.size(); ++i) {
        if (const std::string z = nicht_darstellbar(m.gruppennamen[i]); !z.empty()) {
            return unkodierbar_meldung("Name der Gruppe " + std::to_string(i + 1), z);
        }
    }
    return {};
}

void alarmdaten_einlesen(std::string_view bytes, Meldelistenmaske& m,
                         const std::function<void(const Fehler&)>& melden)
{
    const std::vector<std::string> zeilen = zeilen_zerlegen(bytes);
    std::size_t naechste = 0;
    auto wert = [&](std::string& ziel) -> bool {
        if (naechste >= zeilen.size()) {
            ++naechste;
            melden(Fehler::dateiende());
            return false;
        }
        ziel = wert_lesen(zeilen[naechste++]);
        return true;
    };
    auto haken = [&](int& ziel) {
        std::string text;
        if (!wert(text)) {
            return;
        }
        auto z = text_zu_ganzzahl16(text);
        if (auto* f = std::get_if<Fehler>(&z)) {
            melden(*f);
            return;
        }
        const int n = std::get<std::int16_t>(z);
        if (n < 0 || n > 2) {
            melden(Fehler::eigenschaftswert());
            return;
        }
        ziel = n;
    };

    for (auto& text : m.alarmtexte) {
        std::string gelesen;
        if (wert(gelesen)) {
            text = gelesen;
        }
    }
    for (const Block& b : k_bloecke) {
        for (int i = b.von; i < b.bis; ++i) {
            haken(m.melde_gruppen[static_cast<std::size_t>(i)]);
        }
        for (int i = b.von; i < b.bis; ++i) {
            std::string name;
            if (wert(name)) {
                m.gruppennamen[static_cast<std::size_t>(i)] = name;
            }
        }
    }
}

} // namespace hestrel
