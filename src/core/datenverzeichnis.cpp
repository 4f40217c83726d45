#include "core/datenverzeichnis.h"

#include <algorithm>

namespace hestrel {
namespace {

void trenner_abschneiden(std::string& pfad)
{
    while (pfad.size() > 1 && pfad.back() == '/') {
        pfad.pop_back();
    }
}

} // namespace

std::string datenverzeichnis_ermitteln(const std::function<const char*(const char*)>& umgebung)
{
    auto wert = [&](const char* name) -> std::string {
        const char* w = umgebung(name);
        return w ? std::string(w) : std::string();
    };
    std::string dir = wert("APPDATA");
    if (dir.empty()) {
        const std::string xdg = wert("XDG_DATA_HOME");
        if (!xdg.empty()) {
            dir = xdg + "/hestrel";
        } else {
            const std::string home = wert("HOME");
            dir = (home.empty() ? std::string("/tmp") : home) + "/.local/share/hestrel";
        }
    }
    trenner_abschneiden(dir);
    return dir;
}

std::vector<std::string>
standortverzeichnisse_ermitteln(const std::function<const char*(const char*)>& umgebung)
{
    const char* w = umgebung("XDG_CONFIG_DIRS");
    std::string liste = w ? w : "";
    if (liste.empty()) {
        liste = "/etc/xdg";
    }
    std::vector<std::string> verzeichnisse;
    std::size_t anfang = 0;
    while (anfang <= liste.size()) {
        const std::size_t ende = std::min(liste.find(':', anfang), liste.size());
        std::string eintrag = liste.substr(anfang, ende - anfang);
        anfang = ende + 1;
        if (eintrag.empty() || eintrag.front() != '/') {
            continue;
        }
        trenner_abschneiden(eintrag);
        verzeichnisse.push_back(eintrag == "/" ? "/hestrel" : eintrag + "/hestrel");
    }
    verzeichnisse.push_back("/etc/hestrel");
    return verzeichnisse;
}

std::string standortdatei_finden(Dateisystem& fs, const std::vector<std::string>& verzeichnisse,
                                 const std::string& name)
{
    for (const auto& verzeichnis : verzeichnisse) {
        const std::string pfad = pfad_verbinden(verzeichnis, name);
        if (fs.existiert(pfad)) {
            return pfad;
        }
    }
    return {};
}

} // namespace hestrel
