#include "core/tondateileser.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "core/wavdatei.h"

namespace hestrel {
namespace {

std::atomic<int> g_in_arbeit{0};
std::atomic<int> g_faeden{0};

} // namespace

// What the thread shares with its reader. Everything but `leser` is guarded
// by the mutex; `leser` is touched on the engine's thread only.
struct Tondateileser::Gemeinsam : std::enable_shared_from_this<Gemeinsam> {
    struct Auftrag {
        std::uint64_t nummer;
        std::string pfad;
    };
    std::shared_ptr<Dateisystem> fs;
    Scheduler* scheduler = nullptr;
    int abtastrate = 0;
    int kanaele = 0;
    std::mutex mutex;
    std::condition_variable wecker;
    std::deque<Auftrag> auftraege;
    bool ende = false;
    bool beschaeftigt = false;
    Tondateileser* leser = nullptr;

    void arbeiten()
    {
        std::unique_lock sperre(mutex);
        for (;;) {
            wecker.wait(sperre, [&] { return ende || !auftraege.empty(); });
            if (ende) {
                break;
            }
            Auftrag a = std::move(auftraege.front());
            auftraege.pop_front();
            beschaeftigt = true;
            ++g_in_arbeit;
            sperre.unlock();

            std::string bytes;
            std::string fehler = tondatei_lesen(*fs, a.pfad, bytes);
            std::vector<std::int16_t> proben;
            if (fehler.empty()) {
                proben = wav_dekodieren(bytes, abtastrate, kanaele, fehler);
            }

            sperre.lock();
            beschaeftigt = false;
            --g_in_arbeit;
            if (ende) {
                break;
            }
            // Under the lock: the reader, and with it the scheduler, outlive every call here.
            scheduler->einreihen([self = shared_from_this(), nummer = a.nummer, proben = std::move(proben),
                                  fehler = std::move(fehler)]() mutable {
                if (self->leser) {
                    self->leser->beantworten(nummer, std::move(proben), fehler);
                }
            });
        }
        --g_faeden;
    }
};

bool Tondateileser::haengt_noch()
{
    return g_in_arbeit.load() > 0;
}

int Tondateileser::faeden()
{
    return g_faeden.load();
}

Tondateileser::Tondateileser(Scheduler& scheduler, std::shared_ptr<Dateisystem> fs, int abtastrate,
                             int kanaele)
    : m_scheduler(scheduler), m_gemeinsam(std::make_shared<Gemeinsam>()),
      m_frist(scheduler.timer("Tondateifrist", k_frist_ms))
{
    m_gemeinsam->fs = std::move(fs);
    m_gemeinsam->scheduler = &scheduler;
    m_gemeinsam->abtastrate = abtastrate;
    m_gemeinsam->kanaele = kanaele;
    m_gemeinsam->leser = this;
    m_frist->tick = [this] { fristablauf(); };
}

Tondateileser::~Tondateileser()
{
    m_gemeinsam->leser = nullptr;
    bool beschaeftigt = false;
    {
        std::lock_guard sperre(m_gemeinsam->mutex);
        m_gemeinsam->ende = true;
        beschaeftigt = m_gemeinsam->beschaeftigt;
    }
    m_gemeinsam->wecker.notify_all();
    if (!m_faden.joinable()) {
        return;
    }
    // The one place a thread is left: a call into a hung share cannot be cancelled.
    if (beschaeftigt) {
        m_faden.detach();
    } else {
        m_faden.join();
    }
}

void Tondateileser::lesen(const std::string& pfad, Fertig fertig)
{
    const std::uint64_t nummer = m_naechste++;
    m_offen.push_back({nummer, m_scheduler.jetzt_ms() + k_frist_ms, std::move(fertig)});
    {
        std::lock_guard sperre(m_gemeinsam->mutex);
        m_gemeinsam->auftraege.push_back({nummer, pfad});
    }
    if (!m_faden.joinable()) {
        ++g_faeden;
        m_faden = std::thread([g = m_gemeinsam] { g->arbeiten(); });
    }
    m_gemeinsam->wecker.notify_one();
    frist_stellen();
}

void Tondateileser::beantworten(std::uint64_t nummer, std::vector<std::int16_t> proben,
                                const std::string& fehler)
{
    const auto it =
        std::find_if(m_offen.begin(), m_offen.end(), [&](const Offen& o) { return o.nummer == nummer; });
    // Answered already as not read in time.
    if (it == m_offen.end()) {
        return;
    }
    Fertig fertig = std::move(it->fertig);
    m_offen.erase(it);
    frist_stellen();
    if (fertig) {
        fertig(std::move(proben), fehler);
    }
}

void Tondateileser::fristablauf()
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    std::vector<Fertig> abgelaufen;
    while (!m_offen.empty() && m_offen.front().faellig_ms <= jetzt) {
        const std::uint64_t nummer = m_offen.front().nummer;
        abgelaufen.push_back(std::move(m_offen.front().fertig));
        m_offen.pop_front();
        // Not started yet: it never will be.
        std::lock_guard sperre(m_gemeinsam->mutex);
        auto& a = m_gemeinsam->auftraege;
        a.erase(std::remove_if(a.begin(), a.end(),
                               [&](const Gemeinsam::Auftrag& x) { return x.nummer == nummer; }),
                a.end());
    }
    frist_stellen();
    const std::string grund = "nicht innerhalb von " + std::to_string(k_frist_ms / 1000) + " s gelesen";
    for (Fertig& f : abgelaufen) {
        if (f) {
            f({}, grund);
        }
    }
}

void Tondateileser::frist_stellen()
{
    if (m_offen.empty()) {
        m_frist->stop();
        return;
    }
    const std::int64_t bis = m_offen.front().faellig_ms - m_scheduler.jetzt_ms();
    m_frist->setInterval(static_cast<int>(std::max<std::int64_t>(1, bis)));
    m_frist->start();
}

} // namespace hestrel
