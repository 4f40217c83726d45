#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/dateisystem.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "core/systemlog.h"
#include "core/uhr.h"

namespace hestrel {

// The three logs of the data directory. Each entry opens the file, appends one
// line (date, time, text, CR LF, in Windows-1252) and closes it again.
//
// A journal entry that cannot be written is not lost: it waits in memory and
// goes to the file, in its order, before the next entry and at every retry.
//
// Every event-log entry also goes to the system log when one is set, whatever
// the switch says about the file; so do the reports of an unwritable journal.
class Logbuch {
  public:
    using Echo = std::function<void(const std::string&)>;

    Logbuch(Dateisystem& fs, const Uhr& uhr, const std::string& datenverzeichnis,
            const std::string& logfileaktive);

    // Event log "Hestrel.log", only while the switch is "1"; echoed when written.
    // The system log gets the entry always, with the severity its text calls
    // for (systemlog_prioritaet) or the one given.
    Fehler logeintrag(const std::string& text);
    Fehler logeintrag(const std::string& text, Prioritaet prioritaet);
    // Alarm journal "mameldung.log", always; echoed. An entry that cannot be
    // written is kept and written later; the error still goes to the caller.
    Fehler meldung_eintragen(const std::string& text);
    // Alarm-window log "quorvis.log", only while the switch is "1"; never echoed.
    Fehler anzeigelog_eintragen(const std::string& text);

    // Where event-log entries are mirrored; none by default.
    void setSystemlog(std::shared_ptr<Systemlog> systemlog) { m_systemlog = std::move(systemlog); }
    // Receives "date  time  text" after an entry was written.
    void setEcho(Echo echo) { m_echo = std::move(echo); }
    // Receives the reports of an unwritable journal; standard error by default.
    void setFehlerausgabe(Echo ausgabe) { m_fehlerausgabe = std::move(ausgabe); }
    // Kept journal entries are retried on a timer of the scheduler, and the
    // first failure after the journal was writable opens one message box.
    void journal_sichern(Scheduler& scheduler, Meldungsdienst& boxen);

    // Writes the kept journal entries; true when none is left.
    bool nachtragen();
    std::size_t wartende_eintraege() const { return m_wartend.size(); }

    std::string ereignislog_pfad() const;
    std::string journal_pfad() const;
    std::string anzeigelog_pfad() const;

    // The file line of an entry, without its CR LF (UTF-8).
    std::string zeile(const std::string& text) const;

  private:
    Fehler schreiben(const std::string& pfad, const std::string& text, bool echo);
    void behalten(std::string bytes, const Fehler& f);
    // A report of an unwritable journal: to the error output and the system log.
    void systemlog_melden(const std::string& text);
    Fehler wartende_schreiben();

    Dateisystem& m_fs;
    const Uhr& m_uhr;
    const std::string& m_datenverzeichnis;
    const std::string& m_logfileaktive;
    Echo m_echo;
    Echo m_fehlerausgabe;
    std::shared_ptr<Systemlog> m_systemlog;
    // The event log's file failed, said once in the system log until it works again.
    bool m_ereignislog_gestoert = false;

    // Journal entries not yet written, file bytes each, oldest first.
    std::deque<std::string> m_wartend;
    std::size_t m_wartend_bytes = 0;
    std::size_t m_verworfen = 0;
    bool m_gestoert = false;
    Meldungsdienst* m_boxen = nullptr;
    std::unique_ptr<Zeitgeber> m_nachtrag;
};

} // namespace hestrel
