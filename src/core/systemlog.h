#pragma once

#include <memory>
#include <string>

namespace hestrel {

// Severity of a system-log entry; the values are those of syslog.
enum class Prioritaet { fehler = 3, warnung = 4, info = 6 };

// Where every event-log entry also goes, so administrators find it beside the
// other services' messages. A writer never blocks and never fails the caller.
class Systemlog {
  public:
    virtual ~Systemlog() = default;
    // One entry, text in UTF-8.
    virtual void schreiben(Prioritaet prioritaet, const std::string& text) = 0;
};

// The severity of an event-log entry by its text: faults of the alarm box's
// port, unreachable shares, failed reads and writes, skipped or lost files and
// alarms, and supervision reports are warnings; everything else is info.
Prioritaet systemlog_prioritaet(const std::string& text);

// The machine's system log: the local syslog socket, or $HESTREL_SYSLOG when
// that is set (empty: none). Defined with Systemlogsocket.
std::shared_ptr<Systemlog> systemlog_des_rechners();

} // namespace hestrel
