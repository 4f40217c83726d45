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

    std::string label7;                         // product title
    std::array<std::string, k_gruppen> pfade;   // Pfade(0..49)
    std::array<bool, k_gruppen> pfade_sichtbar {};
    std::array<std::string, k_gruppen> pfade_tooltip;

    std::string art_hardware = "keine";
    std::string auswahl_port = "1";
    bool port_sichtbar = false;  // Label_Port and auswahl_port

    int chk_vollbild = 0;
    int chk_gesperrt = 0;
    int logfile = 0;
    std::string meldungtxt;
    std::string text4;   // signaldatei
    std::string text5;   // ID
    std::string label2;  // "Falsche ID"

    // Never shown; they carry values between the settings and the save.
    std::string text3;            // importverzeichnis
    std::string text1_1;          // tastentext1
    std::string text1_2;          // tastentext2
    std::string tastenver = "120";
    int check1 = 0;               // alarmempf
    int checkCom = 0;             // comdeaktiviert
    int alarmtestaus = 0;
    std::string upfad;            // data directory

    // Device trace and the time of the last frame time-out.
    std::string ser_empfang;
    std::string texttimeser;
};

}  // namespace hestrel
