#pragma once

#include <string>
#include <string_view>

namespace hestrel {

// The files other workstations share are in Windows-1252; the engine holds UTF-8.
// Characters Windows-1252 cannot hold become '?'; invalid UTF-8 bytes likewise.
// The C1 controls U+0081, U+008D, U+008F, U+0090 and U+009D become the bytes
// of the same value, so that what cp1252_zu_utf8 read comes back unchanged.
std::string utf8_zu_cp1252(std::string_view utf8);
// Bytes undefined in Windows-1252 (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 controls of the same value: a file read and written again keeps them.
std::string cp1252_zu_utf8(std::string_view cp1252);

// The characters of utf8 that utf8_zu_cp1252 would turn into '?', each once,
// in order of first appearance (an invalid byte shows as U+FFFD); "" when the
// text survives a round trip through a file unchanged.
std::string nicht_darstellbar(std::string_view utf8);

// The message that refuses to save a field holding such characters, naming
// the field and the characters.
std::string unkodierbar_meldung(std::string_view feld, std::string_view zeichen);

} // namespace hestrel
