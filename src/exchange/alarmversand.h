#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/einstellungen.h"
#include "core/fehler.h"
#include "core/scheduler.h"

namespace hestrel {

class Alarmgesendet;
class Hestrel;
struct Verzeichnisbefund;

// Sending an alarm into the target groups' directories and the follow-up
// steps of the poll tick: the hand-over through the import directory (T1, T2)
// and the removal of the signal files 15 seconds after sending (T3).
//
// Every file step runs through the share service, each group in its own
// queue: the data file, then the signal file. A group whose directory does
// not answer holds up only its own files; the others get theirs at once.
class Alarmversand {
public:
    // How long the send waits for the data files and the import directory
    // before it writes the signal files of the groups that answered.
    static constexpr int k_sendefrist_ms = 1000;
    // A file step that could not start within this is dropped: it would come
    // after the sender's clean-up.
    static constexpr int k_verfall_ms = 10000;
    // The wait between a send and its clean-up; a signal file older than this is left over.
    static constexpr int k_aufraeumwartezeit_ms = 15000;

    Alarmversand(Hestrel& hestrel, Alarmgesendet& bestaetigung);
    ~Alarmversand();
    Alarmversand(const Alarmversand&) = delete;
    Alarmversand& operator=(const Alarmversand&) = delete;

    // Data files into every target group, then the signal files (S1 to S6).
    void sammelmeldung();

    // The follow-up steps, each run by the poll tick when its flag is set.
    void T1();
    // importsignal: whether the import directory holds a signal file; unknown
    // when it did not answer; false once removed here. True when the tick ends here.
    bool T2(std::optional<bool>& importsignal);
    // befunde: what this tick found in the group directories; a signal file
    // removed here counts as gone for the rest of the tick.
    void T3(std::array<std::optional<Verzeichnisbefund>, k_gruppen + 1>& befunde);

    bool nachricht_gesendet() const { return m_nachricht_gesendet; }
    bool import_wartet() const { return m_import_wartet; }
    bool import_frei() const { return m_import_frei; }
    int import_zaehler() const { return m_import_zaehler; }

    struct Sendung;

private:
    bool ziel(int index, bool alle) const;
    std::string importsignal() const;
    void schreibfehler(const std::string& ziel, const Fehler& f);
    void schreibfehler_zeigen();
    void keine_zielgruppe();
    void weitersenden(const std::shared_ptr<Sendung>& s);
    void signale_schreiben(const std::shared_ptr<Sendung>& s);
    void erledigt(const std::shared_ptr<Sendung>& s);
    void bericht(const std::shared_ptr<Sendung>& s);
    void frist_abgelaufen();
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
    std::uint64_t m_merkrunde = 0;
    bool m_im_t1 = false;
    // The send whose answers are awaited.
    std::shared_ptr<Sendung> m_sendung;
    std::unique_ptr<Zeitgeber> m_frist;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

}  // namespace hestrel
