#pragma once

#include <string>

namespace hestrel {

// Printable text only: line breaks become CR LF, every other control character
// (C0, DEL and the C1 range in UTF-8) is dropped, so a text cannot steer a terminal.
std::string fuer_terminal(const std::string& text);

// A notification body shows the text as it is: markup characters are escaped,
// CR LF becomes one line break.
std::string fuer_benachrichtigung(const std::string& text);

// A terminal line from the login records as a path below /dev; "" when it
// could name anything else.
std::string terminalpfad(const std::string& zeile);

}  // namespace hestrel
