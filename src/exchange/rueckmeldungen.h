#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/scheduler.h"
#include "core/uhr.h"
#include "einstellungen/zusatzeinstellungen.h"
#include "exchange/alarmempfang.h"
#include "exchange/begleitdateien.h"
#include "exchange/verzeichnisschau.h"
#include "presentation/alarmanzeige.h"

namespace hestrel {

class Alarmgesendet;
class Tonausgabe;

// Who sent an alarm and who answers it, through the records beside the alarm
// files ("hestrel-herkunft.txt", "hestrel-antwort-<alarm>-<platz>.txt").
//
// The sender: for ten minutes after each of its own alarms it watches the
// target directories for answers and writes each into the journal; those to
// its newest alarm it also shows in the confirmation window (a short tone
// with the first).
//
// A receiver: after an alarm was presented it reads the group's origin
// record; when the record belongs to that alarm (written after its signal
// file, with the check sum of the text shown) the alarm window gets its origin
// line and "Ich komme". While the window shows that alarm it watches for the
// other receivers' answers ("1 kommt bereits: …"). Each alarm in the window
// has its own watch, and its answer goes to its own directory.
//
// A watch looks often in the first minute (the sender every 500 ms, a
// receiver every second), then with the poll (every 5 s); each look asks the
// Verzeichnisschau, which lists the directory only when it changed, and each
// answer is read once. So a watch costs the same in a directory of 10 files
// as in one of 20,000. The records are swept by the presence rounds. All
// share work goes through the share service's queues for records; nothing
// here holds up an alarm.
class Rueckmeldungen : public Empfangsfolgen, public Antwortweg {
  public:
    static constexpr int k_sendertakt_ms = 500;
    static constexpr int k_empfaengertakt_ms = 1000;
    // After this the watches look only every k_spaettakt_ms.
    static constexpr std::int64_t k_frueh_ms = std::int64_t{60} * 1000;
    static constexpr std::int64_t k_spaettakt_ms = 5000;
    // How long answers to an alarm are looked for and shown.
    static constexpr std::int64_t k_dauer_ms = std::int64_t{10} * 60 * 1000;
    // How often a receiver looks for an origin record not (yet) there for its alarm.
    static constexpr int k_herkunftsversuche = 5;
    // At most this many answers are listed per directory and look.
    static constexpr std::size_t k_max_antworten = 256;
    // At most this many of its own alarms are looked at for answers at once.
    static constexpr std::size_t k_max_sendungen = 8;

    Rueckmeldungen(const Zusatzeinstellungen& zusatz, Logbuch& log, Freigabedienst& freigaben,
                   Scheduler& scheduler, const Uhr& uhr, Tonausgabe* ton, Alarmanzeige& anzeige,
                   Alarmgesendet& bestaetigung, Verzeichnisschau& schau);
    ~Rueckmeldungen() override;
    Rueckmeldungen(const Rueckmeldungen&) = delete;
    Rueckmeldungen& operator=(const Rueckmeldungen&) = delete;

    // The sender: its alarm went into these groups (index, directory).
    void gesendet(const std::string& alarm, const std::vector<std::pair<int, std::string>>& ziele,
                  bool probe);
    // The receiver: an alarm from group index was presented.
    void alarm_praesentiert(int gruppe, const std::string& pfad, const Dateiinfo& signal,
                            const std::string& daten) override;
    // "Ich komme" / "Empfangen" in the alarm window.
    void antworten(int nummer) override;

    Zeitgeber& sendertakt() { return *m_sendertakt; }
    Zeitgeber& empfaengertakt() { return *m_empfaengertakt; }

    struct Gelesen;

  private:
    struct Sendung {
        std::string alarm;
        bool probe = false;
        std::vector<std::pair<int, std::string>> ziele;
        std::int64_t seit_ms = 0;
        std::int64_t geschaut_ms = -1;
        std::set<std::string> bekannt;
        std::set<std::string> platze;
        std::set<std::size_t> unterwegs;
    };
    struct Empfang {
        int nummer = 0;
        int gruppe = 0;
        std::string pfad;
        Dateiinfo signal;
        std::string pruefsumme;
        std::int64_t seit_ms = 0;
        std::int64_t geschaut_ms = -1;
        int versuche = 0;
        bool probe = false;
        bool unterwegs = false;
        std::optional<Herkunft> herkunft;
        std::set<std::string> bekannt;
        std::map<std::string, std::string> kommen; // file name -> workstation
    };

    void sender_schauen();
    Sendung* sendung(const std::string& alarm);
    void antworten_zeigen(Sendung& s, int gruppe, const std::string& pfad, std::vector<Gelesen> gelesen);
    void empfaenger_schauen();
    void empfang_schauen(Empfang& e);
    void herkunft_anfragen(Empfang& e);
    // The watch of alarm nummer; none once it ended.
    Empfang* empfang(int nummer);
    // A look for the answers to alarm in pfad: the new ones read, given to
    // fertig; not called where there are none or the directory did not answer.
    void antworten_suchen(const std::string& pfad, const std::string& alarm,
                          const std::set<std::string>& bekannt,
                          std::function<void(std::vector<Gelesen>)> fertig, std::function<void()> nichts);
    // Whether a watch begun at seit_ms and last looking at geschaut_ms looks now.
    bool jetzt_schauen(std::int64_t seit_ms, std::int64_t& geschaut_ms) const;
    // One event-log entry per garbage record (an origin record, replaced with each alarm, per stand_ns).
    void unbrauchbar(const std::string& wo, const std::string& name, const std::string& grund,
                     std::int64_t stand_ns = 0);

    const Zusatzeinstellungen& m_zusatz;
    Logbuch& m_log;
    Freigabedienst& m_freigaben;
    Scheduler& m_scheduler;
    const Uhr& m_uhr;
    Tonausgabe* m_ton;
    Alarmanzeige& m_anzeige;
    Alarmgesendet& m_bestaetigung;
    Verzeichnisschau& m_schau;
    std::unique_ptr<Zeitgeber> m_sendertakt;
    std::unique_ptr<Zeitgeber> m_empfaengertakt;
    // Its own alarms of the last ten minutes, the newest last.
    std::vector<Sendung> m_sendungen;
    // The alarms this desk shows, each with its watch.
    std::vector<Empfang> m_empfaenge;
    std::set<std::pair<std::string, std::int64_t>> m_gemeldet;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
