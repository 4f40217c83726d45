#pragma once

#include <cstddef>
#include <string>

namespace hestrel {

// A notice to a locked workstation holds at most this many bytes of UTF-8;
// the alarm window itself always shows the whole text.
inline constexpr std::size_t k_meldung_max_bytes = 4096;

// The text as the notice helper gets it on its standard input: a NUL byte
// becomes a blank (so nothing after it is lost), and a text longer than
// k_meldung_max_bytes is cut at a character boundary and ends in "…".
std::string fuer_meldeprogramm(const std::string& text);

// Printable text only: line breaks become CR LF, every other control character
// (C0, DEL and the C1 range in UTF-8) is dropped, so a text cannot steer a terminal.
std::string fuer_terminal(const std::string& text);

// A notification body shows the text as it is: markup characters are escaped,
// CR LF becomes one line break.
std::string fuer_benachrichtigung(const std::string& text);

// A terminal line from the login records as a path below /dev; "" when it
// could name anything else.
std::string terminalpfad(const std::string& zeile);

} // namespace hestrel
