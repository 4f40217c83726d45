#pragma once

#include <string>
#include <string_view>

namespace hestrel {

// The data file of a key: "MDAT" + key + ".XQV", in a group or the import directory.
inline std::string datendatei(std::string_view schluessel)
{
    return "MDAT" + std::string(schluessel) + ".XQV";
}

} // namespace hestrel
