#pragma once

#include <string>

namespace hestrel {

inline constexpr int k_version_major = 4;
inline constexpr int k_version_minor = 3;
inline constexpr int k_version_revision = 0;

inline constexpr const char* k_firmentext = "BORL XQV GmbH";
inline constexpr const char* k_produkttitel = "Vandu Kestu Standard";
// "Version 4.3.0 - TS", as the info window and the message list show it.
inline std::string versionstext()
{
    return "Version " + std::to_string(k_version_major) + "." + std::to_string(k_version_minor) + "." +
           std::to_string(k_version_revision) + " - TS";
}

// Caption of the load-time message boxes.
inline constexpr const char* k_programmtitel = "Hestrel";

} // namespace hestrel
