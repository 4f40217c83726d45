// Any bytes as "Hestrel.DAT": the start-up reads them without harm, and the
// file that the settings window then saves reads back to the same file.
#include "fuzz/fuzzplatz.h"
#include "fuzz/ziele.h"

namespace hestrel::test {
namespace {

constexpr const char* k_datei = "/daten/Hestrel.DAT";

// Starts a workstation on the given settings file and saves from the settings
// window; returns the saved file, or nothing when the save was refused.
std::optional<std::string> laden_und_speichern(std::string_view bytes)
{
    Fuzzplatz p;
    // Every group directory exists, so the save does not stop at the path test.
    p.fs.alle_verzeichnisse = true;
    p.fs.dateien[k_datei] = std::string(bytes);
    p.starten();
    p.h().einstellungen_zeigen();
    // An ID other than 0 is refused; the save itself is what is tried here.
    p.h().maske().idnummer = std::string(1, '0');
    p.h().speichern();
    if (p.h().maske().sichtbar) {
        return std::nullopt;
    }
    const std::string gespeichert = p.fs.dateien[k_datei];
    pruefen(zeilen_zerlegen(gespeichert).size() == 68, "the saved settings file keeps 68 lines");
    return gespeichert;
}

} // namespace

void einstellungen_pruefen(std::string_view eingabe)
{
    const auto erste = laden_und_speichern(eingabe);
    if (!erste) {
        return;
    }
    const auto zweite = laden_und_speichern(*erste);
    pruefen(zweite.has_value(), "a saved settings file is accepted when saved again");
    if (!zweite) {
        return;
    }
    // Line 1, the summary, is never read and shows the check box, not the stored value.
    auto a = zeilen_zerlegen(*erste);
    auto b = zeilen_zerlegen(*zweite);
    a.erase(a.begin());
    b.erase(b.begin());
    pruefen(a == b, "a saved settings file reads back to the same values");
}

} // namespace hestrel::test
