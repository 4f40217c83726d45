#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/scheduler.h"

namespace hestrel::test {

// An older workstation on the same group tree, as the workstations that
// already run on these shares behave, step for step: it writes the exchange
// files in place (open, truncate, write: a reader may find one half-written),
// keeps one once-only flag per group (set while any signal file lies there),
// removes every signal file of all its group directories 15 s after its send,
// and polls every 5000 ms (500 after an alarm, 2000 after the import directory
// is freed, 15000 after a send). An alarm shown is an entry in its journal
// "mameldung.log": "Alarm aus Gruppe N von:" CR, the text.
//
// Its thread has no share service: a share that hangs holds the whole
// workstation until it answers again (weiter()).
class Altplatz {
  public:
    static constexpr int k_gruppen = 50;

    struct Umgebung {
        Dateisystem& fs; // existence tests, reads, deletes, the journal
        Scheduler& scheduler;
        std::string daten;                                // its data directory
        std::string importverzeichnis;                    // a prefix; "" = none
        std::array<std::string, k_gruppen> gruppenpfad{}; // prefixes; "" = no directory
        // After every in-place write, with the file's path.
        std::function<void(const std::string&)> geschrieben;
        // The share of that directory does not answer.
        std::function<bool(const std::string&)> haengt;
    };

    explicit Altplatz(Umgebung u);
    ~Altplatz();
    Altplatz(const Altplatz&) = delete;
    Altplatz& operator=(const Altplatz&) = delete;

    // "Alarm auslösen": the four texts into every target, then the signal files.
    void alarm_ausloesen(const std::array<std::string, 4>& texte, const std::vector<int>& ziele, bool alle);
    // The shares it waited for answer again: what was held up runs now.
    void weiter();

    // Called in every tick that looks for signal files, and when a hanging share holds the workstation.
    std::function<void()> gepollt;
    std::function<void()> angehalten;

    bool nachricht_gesendet() const { return m_nachricht_gesendet; }
    bool import_wartet() const { return m_import_wartet; }
    bool empfang_aktiv() const { return m_empfang_aktiv; }
    bool gruppe_gemeldet(int i) const { return m_gruppe_gemeldet[static_cast<std::size_t>(i)]; }
    bool blockiert() const { return m_blockiert; }
    int intervall() const;
    long angezeigt() const { return m_angezeigt; }

  private:
    void tick();
    void import_uebergeben();
    bool import_abwarten();
    void aufraeumen();
    void alarm_empfangen(const std::string& pfad, int gruppe);
    // Open, truncate, write: the way the older workstations write every file.
    void schreiben(const std::string& pfad, const std::string& inhalt);
    // True when a directory this step needs hangs; the step then waits for weiter().
    bool haelt_an(std::function<void()> schritt);

    Umgebung m_u;
    std::unique_ptr<Zeitgeber> m_abfragetakt;
    std::array<bool, k_gruppen + 1> m_gruppe_gemeldet{};
    bool m_empfang_aktiv = false;
    bool m_nachricht_gesendet = false;
    bool m_import_wartet = false;
    bool m_import_frei = false;
    int m_import_zaehler = 0;
    bool m_blockiert = false;
    std::vector<std::function<void()>> m_wartend;
    long m_angezeigt = 0;
};

} // namespace hestrel::test
