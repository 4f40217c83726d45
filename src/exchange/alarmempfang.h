#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/dateisystem.h"
#include "core/einstellungen.h"

namespace hestrel {

class Alarmanzeige;
class Alarmversand;
class Hestrel;
class Tonausgabe;

// The poll cycle of Timer1: the sender's follow-up steps, then the search of
// the import directory and the 50 group directories for signal files, and the
// presentation of each new alarm once, with its sound (Timer2's beeps).
class Alarmempfang {
public:
    // How one run of alarm_empfangen ended.
    enum class Ergebnis {
        praesentiert,
        abgebrochen,  // the signal file was dealt with without showing anything
        nicht_bereit  // the signal file is empty or unreadable yet: tried again later
    };

    Alarmempfang(Hestrel& hestrel, Alarmversand& versand, Alarmanzeige& anzeige, Tonausgabe* ton);
    Alarmempfang(const Alarmempfang&) = delete;
    Alarmempfang& operator=(const Alarmempfang&) = delete;

    void Timer1_Timer();
    void Timer2_Timer();
    // Presents the alarm whose signal file lies in pfad, for group index gruppe.
    Ergebnis alarm_empfangen(const std::string& pfad, int gruppe);

    bool empfang_aktiv() const { return m_empfang_aktiv; }
    bool gruppe_gemeldet(int index) const { return m_gruppe_gemeldet[static_cast<std::size_t>(index)]; }
    int piep_zaehler() const { return m_piep_zaehler; }

private:
    bool signal_vorhanden(const std::string& verzeichnis);
    void ton_ausgeben();
    void piepen_starten();

    Hestrel& m_h;
    Alarmversand& m_versand;
    Alarmanzeige& m_anzeige;
    Tonausgabe* m_ton;
    std::array<bool, k_gruppen + 1> m_gruppe_gemeldet {};
    // The signal file each presented group alarm came from.
    std::array<std::optional<Dateiinfo>, k_gruppen + 1> m_gemeldet_als {};
    bool m_empfang_aktiv = false;
    int m_piep_zaehler = 0;
};

}  // namespace hestrel
