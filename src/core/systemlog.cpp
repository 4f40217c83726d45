#include "core/systemlog.h"

#include <array>
#include <string_view>

namespace hestrel {
namespace {

// Entries that begin so report a fault of their own kind.
constexpr std::array<std::string_view, 4> k_warnung_anfang = {
    "Schnittstelle", // "Schnittstelle prüfen …", "Schnittstelle Ausgabe …", "Schnittstelle nicht aktive!"
    "Überwachung",   // reports of the supervision
    "Meldeliste",    // the journal could not be loaded into the message list
    "lade Alarmdaten", // the group alarm data could not be read
};

// Entries that say anywhere that something failed, a share is away or an
// alarm or file was dropped.
constexpr std::array<std::string_view, 11> k_warnung_teil = {
    "nicht erreichbar", "nicht geschrieben", "nicht gespeichert", "nicht gelöscht",
    "nicht gelesen",    "nicht angelegt",    "nicht abspielbar",  "nicht ausgelöst",
    "nicht aktive",     "übergangen",        "verloren",
};

} // namespace

Prioritaet systemlog_prioritaet(const std::string& text)
{
    const std::string_view t = text;
    for (const auto anfang : k_warnung_anfang) {
        if (t.starts_with(anfang)) {
            return Prioritaet::warnung;
        }
    }
    for (const auto teil : k_warnung_teil) {
        if (t.find(teil) != std::string_view::npos) {
            return Prioritaet::warnung;
        }
    }
    return Prioritaet::info;
}

} // namespace hestrel
