#include "core/datenverzeichnis.h"

namespace hestrel {

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
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    return dir;
}

} // namespace hestrel
