#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/datendatei.h"

namespace hestrel {

// The signal file: it holds the key of the data file beside it.
inline constexpr const char* k_signaldatei = "MESSAGE.XQV";
// The data file a workstation sends; its key is "0".
inline constexpr const char* k_sendedatei = "MDAT0.XQV";
// No more of a data file is read and shown.
inline constexpr std::size_t k_max_alarmtext = std::size_t{64} * 1024;
// A signal file longer than this holds no valid key.
inline constexpr std::size_t k_max_schluessel = 32;

// A key names a data file only when it is 1 to 32 of A-Z a-z 0-9 - _,
// so that no key reaches a file outside its directory.
bool schluessel_gueltig(std::string_view schluessel);

} // namespace hestrel
