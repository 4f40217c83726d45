#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/dateisystem.h"

namespace hestrel {

// The data directory: $APPDATA when set and not empty, else the user's
// per-user application data directory ($XDG_DATA_HOME/hestrel or
// ~/.local/share/hestrel). No trailing separator.
std::string datenverzeichnis_ermitteln(const std::function<const char*(const char*)>& umgebung);

// The directories that may hold the site's copies of the data files, in the
// order they are searched: "hestrel" under each directory of $XDG_CONFIG_DIRS
// (colon-separated; unset or empty: /etc/xdg; relative entries are ignored),
// then /etc/hestrel. No trailing separators.
std::vector<std::string>
standortverzeichnisse_ermitteln(const std::function<const char*(const char*)>& umgebung);

// The path of `name` in the first of the directories that holds it; empty
// when none does.
std::string standortdatei_finden(Dateisystem& fs, const std::vector<std::string>& verzeichnisse,
                                 const std::string& name);

} // namespace hestrel
