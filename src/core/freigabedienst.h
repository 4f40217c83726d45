#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "core/dateisystem.h"
#include "core/fehler.h"

namespace hestrel {

class Scheduler;
class Zeitgeber;

// Which of a directory's two queues work goes into: the alarms' (the poll's
// look for a signal file, reading an alarm, writing and removing the alarm
// files) or the records' (presence, origin, answers, listings, probes). A
// listing that takes seconds on a large or slow share never holds up a look
// for an alarm.
enum class Spur { alarm, begleit };

// File work on the shared group and import directories. Each directory has
// queues of its own, so a directory whose server stops answering holds up
// only the work queued for it; the answers come back on the engine's thread,
// always after auftrag() has returned.
class Freigabedienst {
  public:
    // Runs on the share's side with its file system.
    using Arbeit = std::function<void(Dateisystem&)>;
    // Runs on the engine's thread afterwards; false when the work was dropped
    // because it could not start within its time limit.
    using Fertig = std::function<void(bool ausgefuehrt)>;

    virtual ~Freigabedienst() = default;
    // Queues arbeit for verzeichnis in the queue spur; work that has not
    // started within verfall_ms (when >= 0) is dropped and answered as not
    // done at that limit. Called on the engine's (the window's) thread only.
    virtual void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms = -1,
                         Spur spur = Spur::begleit) = 0;

    // The queue a directory's work goes to: "/a/G1/", "/a//G1" and "/a/./G1" are one.
    static std::string schluessel(const std::string& verzeichnis);
};

// The error of work on a directory that was answered as not done.
Fehler keine_antwort(const std::string& verzeichnis);

// Does the work on the engine's thread, queued through the scheduler: the
// answer comes after auftrag() returns, as the program's service answers, and
// on the virtual clock of the tests every rule of the engine runs in microseconds.
class EinreihenderFreigabedienst : public Freigabedienst {
  public:
    EinreihenderFreigabedienst(Dateisystem& fs, Scheduler& scheduler) : m_fs(fs), m_scheduler(scheduler) {}
    void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms = -1,
                 Spur spur = Spur::begleit) override;

  private:
    Dateisystem& m_fs;
    Scheduler& m_scheduler;
    // Work still queued when the service goes is dropped.
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

// One worker thread per directory and queue, started on its first work. A
// call hung in the kernel cannot be cancelled, so each directory must tie up
// only its own threads: a shared pool would be drained by a few hung shares.
class FaedenFreigabedienst : public Freigabedienst {
  public:
    FaedenFreigabedienst(std::shared_ptr<Dateisystem> fs, Scheduler& scheduler);
    // Workers still hung in a call are left behind; their answers are dropped.
    ~FaedenFreigabedienst() override;
    FaedenFreigabedienst(const FaedenFreigabedienst&) = delete;
    FaedenFreigabedienst& operator=(const FaedenFreigabedienst&) = delete;

    void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms = -1,
                 Spur spur = Spur::begleit) override;
    // True while some worker of any such service is inside a call into a share.
    static bool haengt_noch();
    // Worker threads started by this service (one per directory and queue).
    std::size_t arbeiter() const { return m_reihen.size(); }

    struct Reihe;
    struct Gemeinsam;

  private:
    // Answers queued work whose limit has passed as not done, while the
    // worker before it may still hang in a call; then waits for the next limit.
    void fristen_pruefen();
    void frist_planen(std::int64_t frist);

    std::shared_ptr<Gemeinsam> m_gemeinsam;
    Scheduler& m_scheduler;
    std::unique_ptr<Zeitgeber> m_frist;
    std::int64_t m_naechste_frist = -1;
    std::map<std::pair<std::string, Spur>, std::shared_ptr<Reihe>> m_reihen;
    // The thread auftrag() belongs to: the first that called it.
    std::thread::id m_faden;
};

} // namespace hestrel
