#pragma once

#include <functional>
#include <string>

namespace hestrel {

// Message boxes. None of them blocks: the engine goes on while a box is open.
class Meldungsdienst {
  public:
    virtual ~Meldungsdienst() = default;
    // A box with an OK button only. While a box with the same text is open,
    // no second one opens.
    virtual void hinweis(const std::string& titel, const std::string& text) = 0;
    // A box with OK and Cancel; antwort(true) on OK, once the user answered.
    virtual void frage(const std::string& titel, const std::string& text,
                       std::function<void(bool ok)> antwort) = 0;
    // Brings the open box with this text to the front; none open: nothing.
    virtual void nach_vorn(const std::string& text) { (void)text; }
};

} // namespace hestrel
