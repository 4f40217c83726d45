#pragma once

#include <string>

namespace hestrel {

// The icon in the desktop's notification area.
class Traysymbol {
  public:
    virtual ~Traysymbol() = default;
    // Adds the icon with its tip; false when the desktop has no notification area.
    virtual bool hinzufuegen(const std::string& tip) = 0;
    // Removes the icon; harmless when it is already gone.
    virtual void entfernen() = 0;
};

} // namespace hestrel
