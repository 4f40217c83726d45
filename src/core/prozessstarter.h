#pragma once

#include <string>
#include <vector>

#include "core/fehler.h"

namespace hestrel {

// Starting another program and what the alarm window needs to know about the
// session it runs in.
class Prozessstarter {
  public:
    virtual ~Prozessstarter() = default;
    // Starts the program detached with this argument list, never through a shell; does not wait.
    virtual Fehler starten(const std::string& programm, const std::vector<std::string>& argumente) = 0;
    // The same, with `eingabe` as the program's whole standard input: text that
    // must not lie on a command line, where every local user can read it.
    virtual Fehler starten_mit_eingabe(const std::string& programm, const std::vector<std::string>& argumente,
                                       const std::string& eingabe) = 0;
    // The directory of the running program's executable, without trailing separator.
    virtual std::string programmverzeichnis() const = 0;
    // The value of an environment variable, "" when it is not set.
    virtual std::string umgebung(const std::string& name) const = 0;
    // The login name of the session the program runs in.
    virtual std::string anmeldename() const = 0;
};

// The helper beside the program that shows a text to a user's session:
// `hestrel-msg USER`, the text on its standard input.
inline constexpr const char* k_meldeprogramm = "hestrel-msg";

} // namespace hestrel
