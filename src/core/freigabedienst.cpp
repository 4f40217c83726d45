#include "core/freigabedienst.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

#include "core/scheduler.h"

namespace hestrel {
namespace {

std::atomic<int> g_in_arbeit{0};

} // namespace

bool FaedenFreigabedienst::haengt_noch()
{
    return g_in_arbeit.load() > 0;
}

void SofortigerFreigabedienst::auftrag(const std::string&, Arbeit arbeit, Fertig fertig, int, Spur)
{
    if (arbeit) {
        arbeit(m_fs);
    }
    if (fertig) {
        fertig(true);
    }
}

// What the workers share with the engine: the file system, the way back to
// the engine's thread, and whether the engine still listens.
struct FaedenFreigabedienst::Gemeinsam : std::enable_shared_from_this<Gemeinsam> {
    std::shared_ptr<Dateisystem> fs;
    Scheduler* scheduler = nullptr;
    std::mutex mutex;
    bool beendet = false;

    void zurueck(Fertig fertig, bool ausgefuehrt)
    {
        std::lock_guard sperre(mutex);
        if (beendet || !fertig) {
            return;
        }
        scheduler->einreihen([self = shared_from_this(), f = std::move(fertig), ausgefuehrt] {
            // The engine may have stopped listening while this waited in the queue.
            {
                std::lock_guard s(self->mutex);
                if (self->beendet) {
                    return;
                }
            }
            f(ausgefuehrt);
        });
    }
};

struct FaedenFreigabedienst::Reihe {
    struct Eintrag {
        Arbeit arbeit;
        Fertig fertig;
        std::chrono::steady_clock::time_point eingereiht;
        int verfall_ms;
    };
    std::mutex mutex;
    std::condition_variable wecker;
    std::deque<Eintrag> eintraege;
    bool ende = false;

    static void arbeiten(std::shared_ptr<Reihe> reihe, std::shared_ptr<Gemeinsam> gemeinsam)
    {
        for (;;) {
            Eintrag e;
            {
                std::unique_lock sperre(reihe->mutex);
                reihe->wecker.wait(sperre, [&] { return reihe->ende || !reihe->eintraege.empty(); });
                if (reihe->ende) {
                    return;
                }
                e = std::move(reihe->eintraege.front());
                reihe->eintraege.pop_front();
            }
            const auto gewartet = std::chrono::steady_clock::now() - e.eingereiht;
            const bool verfallen = e.verfall_ms >= 0 && gewartet > std::chrono::milliseconds(e.verfall_ms);
            if (!verfallen && e.arbeit) {
                ++g_in_arbeit;
                e.arbeit(*gemeinsam->fs);
                --g_in_arbeit;
            }
            gemeinsam->zurueck(std::move(e.fertig), !verfallen);
        }
    }
};

FaedenFreigabedienst::FaedenFreigabedienst(std::shared_ptr<Dateisystem> fs, Scheduler& scheduler)
    : m_gemeinsam(std::make_shared<Gemeinsam>())
{
    m_gemeinsam->fs = std::move(fs);
    m_gemeinsam->scheduler = &scheduler;
}

FaedenFreigabedienst::~FaedenFreigabedienst()
{
    {
        std::lock_guard sperre(m_gemeinsam->mutex);
        m_gemeinsam->beendet = true;
    }
    for (auto& [verzeichnis, reihe] : m_reihen) {
        std::lock_guard sperre(reihe->mutex);
        reihe->ende = true;
        reihe->wecker.notify_all();
    }
}

void FaedenFreigabedienst::auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig,
                                   int verfall_ms, Spur spur)
{
    auto& reihe = m_reihen[{verzeichnis, spur}];
    if (!reihe) {
        reihe = std::make_shared<Reihe>();
        std::thread(Reihe::arbeiten, reihe, m_gemeinsam).detach();
    }
    std::lock_guard sperre(reihe->mutex);
    reihe->eintraege.push_back(
        {std::move(arbeit), std::move(fertig), std::chrono::steady_clock::now(), verfall_ms});
    reihe->wecker.notify_one();
}

} // namespace hestrel
