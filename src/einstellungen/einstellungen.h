#pragma once

#include <array>
#include <string>

namespace hestrel {

inline constexpr int k_gruppen = 50;

// The settings of a workstation as held in memory while the program runs.
struct Einstellungen {
    std::string importverzeichnis;
    std::string portnummer;
    std::string idnummer;
    std::string signaldatei;
    std::string tastentext1;
    std::string tastentext2; // only in memory and in the summary line
    std::string alarmempf;
    std::string comdeaktiviert;
    int entprellzeit = 0; // 16-bit, milliseconds
    std::string logfileaktive;
    // Directory of group i + 1 at index i; index 50 is never used.
    std::array<std::string, k_gruppen + 1> gruppenpfad;
    // Indexes 1..4 are reserved fields kept from load to save.
    std::array<std::string, 5> zusatzfelder;
    std::string voll;
    std::string gesperrt;
    std::string ausdruck;
    bool vollbildanzeige = false;
    bool gesperrtanzeige = false;
    bool pfadeok = false;
};

// Windows colour values 0x00BBGGRR.
inline constexpr int k_rot = 255;
inline constexpr int k_gruen = 65280;
inline constexpr int k_weiss = 16777215;
// The system's button face: the colour of a group that has no directory.
inline constexpr int k_schaltflaeche = -1;

} // namespace hestrel
