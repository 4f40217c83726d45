#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "core/dateisystem.h"

namespace hestrel {

class Scheduler;

// Which of a directory's two queues work goes into: the alarms' (the poll's
// look for a signal file, reading an alarm, writing and removing the alarm
// files) or the records' (presence, origin, answers, listings, probes). A
// listing that takes seconds on a large or slow share never holds up a look
// for an alarm.
enum class Spur { alarm, begleit };

// File work on the shared group and import directories. Each directory has
// queues of its own, so a directory whose server stops answering holds up
// only the work queued for it; the answers come back on the engine's thread.
class Freigabedienst {
  public:
    // Runs on the share's side with its file system.
    using Arbeit = std::function<void(Dateisystem&)>;
    // Runs on the engine's thread afterwards; false when the work was dropped
    // because it could not start within its time limit.
    using Fertig = std::function<void(bool ausgefuehrt)>;

    virtual ~Freigabedienst() = default;
    // Queues arbeit for verzeichnis in the queue spur; work that has not
    // started within verfall_ms (when >= 0) is dropped and reported as not done.
    virtual void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms = -1,
                         Spur spur = Spur::begleit) = 0;
};

// Does the work at once, on the caller's thread: the tests' share service, on
// which every rule of the engine runs in microseconds.
class SofortigerFreigabedienst : public Freigabedienst {
  public:
    explicit SofortigerFreigabedienst(Dateisystem& fs) : m_fs(fs) {}
    void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms = -1,
                 Spur spur = Spur::begleit) override;

  private:
    Dateisystem& m_fs;
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

    struct Reihe;
    struct Gemeinsam;

  private:
    std::shared_ptr<Gemeinsam> m_gemeinsam;
    std::map<std::pair<std::string, Spur>, std::shared_ptr<Reihe>> m_reihen;
};

} // namespace hestrel
