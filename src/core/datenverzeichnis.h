#pragma once

#include <functional>
#include <string>

namespace hestrel {

// The data directory: $APPDATA when set and not empty, else the user's
// per-user application data directory ($XDG_DATA_HOME/hestrel or
// ~/.local/share/hestrel). No trailing separator.
std::string datenverzeichnis_ermitteln(const std::function<const char*(const char*)>& umgebung);

} // namespace hestrel
