#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/einstellungen.h"
#include "core/fehler.h"

namespace hestrel {

class Alarmgesendet;
class Hestrel;

// Sending an alarm into the target groups' directories and the follow-up
// steps of the poll tick: the hand-over through the import directory (T1, T2)
// and the removal of the signal files 15 seconds after sending (T3).
class Alarmversand {
public:
    Alarmversand(Hestrel& hestrel, Alarmgesendet& bestaetigung);
    Alarmversand(const Alarmversand&) = delete;
    Alarmversand& operator=(const Alarmversand&) = delete;

    // Data files into every target group, then the signal files (S1 to S6).
    void sammelmeldung();

    // The follow-up steps, each run by the poll tick when its flag is set.
    void T1();
    // True when the tick ends here.
    bool T2();
    void T3();

    bool nachricht_gesendet() const { return m_nachricht_gesendet; }
    bool import_wartet() const { return m_import_wartet; }
    bool import_frei() const { return m_import_frei; }
    int import_zaehler() const { return m_import_zaehler; }

private:
    bool ziel(int index, bool alle) const;
    std::string importsignal() const;
    void schreibfehler(const std::string& ziel, const Fehler& f);
    void schreibfehler_zeigen();
    // Notes which signal file lies in each group directory right after a send.
    void signale_merken();

    Hestrel& m_h;
    Alarmgesendet& m_bestaetigung;
    bool m_nachricht_gesendet = false;
    bool m_import_wartet = false;
    bool m_import_frei = false;
    int m_import_zaehler = 0;
    // The failures of the send in progress, shown to the sender at its end.
    std::vector<std::string> m_fehler;
    // The signal files that lay in the group directories right after the send.
    std::array<std::optional<Dateiinfo>, k_gruppen> m_nach_dem_senden {};
};

}  // namespace hestrel
