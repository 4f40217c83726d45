#pragma once

#include <string>
#include <string_view>

namespace hestrel {

// The files other workstations share are in Windows-1252; the engine holds UTF-8.
// Characters Windows-1252 cannot hold become '?'; invalid UTF-8 bytes likewise.
std::string utf8_zu_cp1252(std::string_view utf8);
// Bytes undefined in Windows-1252 (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+FFFD.
std::string cp1252_zu_utf8(std::string_view cp1252);

}  // namespace hestrel
