#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/dateisystem.h"
#include "core/scheduler.h"

namespace hestrel {

// Reads and decodes the alarm's sound files away from the window thread, on
// one thread of its own that takes one file after the other; the reader is
// its only owner. A file on a share that stops answering holds only this
// thread, and every file asked for is answered within k_frist_ms: one not
// read by then counts as not playable, so the alarm beeps instead.
class Tondateileser {
  public:
    // Runs on the engine's thread: the samples, or none and the reason.
    using Fertig = std::function<void(std::vector<std::int16_t> proben, const std::string& fehler)>;
    static constexpr int k_frist_ms = 3000;

    // Files are converted to `abtastrate` and `kanaele`, read through fs.
    Tondateileser(Scheduler& scheduler, std::shared_ptr<Dateisystem> fs, int abtastrate, int kanaele);
    // Ends the thread. One still inside a call into a file is left behind:
    // it ends by itself once the call returns, and its answer is dropped.
    ~Tondateileser();
    Tondateileser(const Tondateileser&) = delete;
    Tondateileser& operator=(const Tondateileser&) = delete;

    // Only on the engine's thread. fertig runs there later, never inside this call.
    void lesen(const std::string& pfad, Fertig fertig);

    // True while a thread of any reader is reading or decoding a file: the
    // process must not wait for it on its way out.
    static bool haengt_noch();
    // Reader threads that have not ended, over all readers.
    static int faeden();

    struct Gemeinsam;

  private:
    struct Offen {
        std::uint64_t nummer;
        std::int64_t faellig_ms;
        Fertig fertig;
    };
    void beantworten(std::uint64_t nummer, std::vector<std::int16_t> proben, const std::string& fehler);
    void fristablauf();
    void frist_stellen();

    Scheduler& m_scheduler;
    std::shared_ptr<Gemeinsam> m_gemeinsam;
    std::unique_ptr<Zeitgeber> m_frist;
    // Files asked for and not yet answered, oldest first (engine's thread only).
    std::deque<Offen> m_offen;
    std::uint64_t m_naechste = 1;
    std::thread m_faden;
};

} // namespace hestrel
