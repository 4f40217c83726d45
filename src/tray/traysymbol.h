#pragma once

#include <string>

namespace hestrel {

// The icon in the desktop's notification area.
class Traysymbol {
  public:
    virtual ~Traysymbol() = default;
    // Adds the icon with its tip; false when the desktop has no notification
    // area yet (the icon comes with one later: Traymenue::symbol_erschienen).
    virtual bool hinzufuegen(const std::string& tip) = 0;
    // Removes the icon; harmless when it is already gone.
    virtual void entfernen() = 0;
    // The warning icon with the given tip (what is broken and since when), or
    // with an empty text the plain icon with the tip of hinzufuegen again.
    virtual void warnung(const std::string& /*text*/) {}
};

} // namespace hestrel
