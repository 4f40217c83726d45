#pragma once

#include <array>
#include <string>

#include "einstellungen/einstellungen.h"

namespace hestrel {

// What the settings window shows: its controls' state, held by the engine so
// that the window itself is a thin view and the tests need no window.
struct Einstellungsmaske {
    std::string caption;
    bool sichtbar = false;
    std::string produkttitel;
    std::array<std::string, k_gruppen> pfade; // the 50 group path boxes
    std::array<bool, k_gruppen> pfade_sichtbar{};
    std::array<std::string, k_gruppen> pfade_tooltip;
    std::string geraeteart = "keine"; // "keine", "Kestu_1", "Kestu_10"
    std::string port = "1";
    bool port_sichtbar = false; // the port's label and choice
    int vollbild = 0;
    int gesperrt = 0;
    int logfile = 0;
    std::string meldungtxt;
    std::string signaldatei;
    std::string idnummer;
    std::string id_warnung; // "Falsche ID"
    // Never shown; they carry values between the settings and the save.
    std::string importverzeichnis;
    std::string tastentext1;
    std::string tastentext2;
    std::string tastenverzoegerung = "120";
    int alarmempfang = 0;
    int schnittstelle_aus = 0;
    int alarmtestaus = 0;
    std::string datenverzeichnis;
    // Device trace and the time of the last frame time-out.
    std::string empfangsspur;
    std::string letzte_zeichenpause;
};

} // namespace hestrel
