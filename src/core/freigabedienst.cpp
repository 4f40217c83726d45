#include "core/freigabedienst.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <vector>

#include "core/scheduler.h"

namespace hestrel {
namespace {

std::atomic<int> g_in_arbeit{0};

} // namespace

std::string Freigabedienst::schluessel(const std::string& verzeichnis)
{
    if (verzeichnis.empty()) {
        return verzeichnis;
    }
    std::string s = std::filesystem::path(verzeichnis).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') {
        s.pop_back();
    }
    return s;
}

Fehler keine_antwort(const std::string& verzeichnis)
{
    return {57, "Das Verzeichnis antwortet nicht: " + verzeichnis};
}

bool FaedenFreigabedienst::haengt_noch()
{
    return g_in_arbeit.load() > 0;
}

void EinreihenderFreigabedienst::auftrag(const std::string&, Arbeit arbeit, Fertig fertig, int, Spur)
{
    m_scheduler.einreihen(
        [this, lebt = std::weak_ptr<bool>(m_lebt), arbeit = std::move(arbeit), fertig = std::move(fertig)] {
            if (!lebt.lock()) {
                return;
            }
            if (arbeit) {
                arbeit(m_fs);
            }
            if (fertig) {
                fertig(true);
            }
        });
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
        // On the scheduler's clock; -1: none. The window thread's timer answers by it.
        std::int64_t frist;
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
    : m_gemeinsam(std::make_shared<Gemeinsam>()), m_scheduler(scheduler),
      m_frist(scheduler.timer("Freigabefrist", 1000))
{
    m_gemeinsam->fs = std::move(fs);
    m_gemeinsam->scheduler = &scheduler;
    m_frist->tick = [this] { fristen_pruefen(); };
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
    // The queues, the timer and the answers' order belong to one thread.
    if (m_faden == std::thread::id{}) {
        m_faden = std::this_thread::get_id();
    }
    assert(m_faden == std::this_thread::get_id() && "auftrag() außerhalb des Fensterfadens");
    auto& reihe = m_reihen[{schluessel(verzeichnis), spur}];
    if (!reihe) {
        reihe = std::make_shared<Reihe>();
        std::thread(Reihe::arbeiten, reihe, m_gemeinsam).detach();
    }
    const std::int64_t frist = verfall_ms >= 0 ? m_scheduler.jetzt_ms() + verfall_ms : -1;
    {
        std::lock_guard sperre(reihe->mutex);
        reihe->eintraege.push_back(
            {std::move(arbeit), std::move(fertig), std::chrono::steady_clock::now(), verfall_ms, frist});
        reihe->wecker.notify_one();
    }
    if (frist >= 0) {
        frist_planen(frist);
    }
}

void FaedenFreigabedienst::frist_planen(std::int64_t frist)
{
    if (m_frist->aktiv() && m_naechste_frist <= frist) {
        return;
    }
    m_naechste_frist = frist;
    m_frist->setInterval(static_cast<int>(std::max<std::int64_t>(1, frist - m_scheduler.jetzt_ms())));
    m_frist->start();
}

void FaedenFreigabedienst::fristen_pruefen()
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    std::int64_t naechste = -1;
    std::vector<Fertig> verfallen;
    for (auto& [verzeichnis, reihe] : m_reihen) {
        std::lock_guard sperre(reihe->mutex);
        auto& ee = reihe->eintraege;
        for (auto it = ee.begin(); it != ee.end();) {
            if (it->frist >= 0 && it->frist <= jetzt) {
                verfallen.push_back(std::move(it->fertig));
                it = ee.erase(it);
                continue;
            }
            if (it->frist >= 0 && (naechste < 0 || it->frist < naechste)) {
                naechste = it->frist;
            }
            ++it;
        }
    }
    // Through the same queue as the workers' answers, so none overtakes an earlier one.
    for (auto& f : verfallen) {
        m_gemeinsam->zurueck(std::move(f), false);
    }
    m_frist->stop();
    if (naechste >= 0) {
        frist_planen(naechste);
    }
}

} // namespace hestrel
