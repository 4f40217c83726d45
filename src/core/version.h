#pragma once

namespace hestrel {

inline constexpr int k_version_major = 4;
inline constexpr int k_version_minor = 3;
inline constexpr int k_version_revision = 0;

inline constexpr const char* k_firmentext = "BORL XQV GmbH";
inline constexpr const char* k_produkttitel = "Vandu Kestu Standard";
// Caption of the load-time message boxes.
inline constexpr const char* k_programmtitel = "Hestrel";

}  // namespace hestrel
