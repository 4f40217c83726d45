#include "core/virtualscheduler.h"

#include <algorithm>
#include <ctime>

namespace hestrel {

class VirtualScheduler::VirtuellerZeitgeber : public Zeitgeber {
  public:
    VirtuellerZeitgeber(VirtualScheduler& s, std::string name, int interval)
        : m_s(s), m_name(std::move(name)), m_interval(interval)
    {
    }
    ~VirtuellerZeitgeber() override
    {
        auto& v = m_s.m_timer;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    void start() override
    {
        if (!m_aktiv) {
            m_aktiv = true;
            planen();
        }
    }
    void stop() override { m_aktiv = false; }
    bool aktiv() const override { return m_aktiv; }
    void setInterval(int ms) override
    {
        m_interval = ms;
        if (m_aktiv) {
            planen();
        }
    }
    int interval() const override { return m_interval; }

    void planen()
    {
        m_faellig = m_s.m_jetzt + std::max(1, m_interval);
        m_folge = m_s.m_folge++;
    }

    VirtualScheduler& m_s;
    std::string m_name;
    int m_interval;
    bool m_aktiv = false;
    std::int64_t m_faellig = 0;
    std::uint64_t m_folge = 0;
};

VirtualScheduler::VirtualScheduler() = default;
VirtualScheduler::~VirtualScheduler() = default;

std::unique_ptr<Zeitgeber> VirtualScheduler::timer(const std::string& name, int interval_ms)
{
    auto t = std::make_unique<VirtuellerZeitgeber>(*this, name, interval_ms);
    m_timer.push_back(t.get());
    return t;
}

Zeitgeber* VirtualScheduler::finden(const std::string& name) const
{
    for (auto* t : m_timer) {
        if (t->m_name == name) {
            return t;
        }
    }
    return nullptr;
}

void VirtualScheduler::einreihen(std::function<void()> aufgabe)
{
    std::lock_guard sperre(m_reihe_mutex);
    m_reihe.push_back(std::move(aufgabe));
}

int VirtualScheduler::ausfuehren()
{
    int gelaufen = 0;
    for (;;) {
        std::function<void()> aufgabe;
        {
            std::lock_guard sperre(m_reihe_mutex);
            if (m_reihe.empty()) {
                return gelaufen;
            }
            aufgabe = std::move(m_reihe.front());
            m_reihe.pop_front();
        }
        aufgabe();
        ++gelaufen;
    }
}

void VirtualScheduler::advance(std::int64_t ms)
{
    const std::int64_t ziel = m_jetzt + ms;
    for (;;) {
        ausfuehren();
        VirtuellerZeitgeber* naechster = nullptr;
        for (auto* t : m_timer) {
            if (!t->m_aktiv || t->m_faellig > ziel) {
                continue;
            }
            if (naechster == nullptr || t->m_faellig < naechster->m_faellig ||
                (t->m_faellig == naechster->m_faellig && t->m_folge < naechster->m_folge)) {
                naechster = t;
            }
        }
        if (naechster == nullptr) {
            ausfuehren();
            break;
        }
        m_jetzt = naechster->m_faellig;
        naechster->planen();
        if (naechster->tick) {
            // The handler may stop, restart or even destroy timers.
            auto handler = naechster->tick;
            handler();
        }
    }
    m_jetzt = ziel;
}

Zeitstempel VirtualScheduler::jetzt() const
{
    std::tm t{};
    t.tm_year = m_start.jahr - 1900;
    t.tm_mon = m_start.monat - 1;
    t.tm_mday = m_start.tag;
    t.tm_hour = m_start.stunde;
    t.tm_min = m_start.minute;
    t.tm_sec = m_start.sekunde + static_cast<int>(m_jetzt / 1000);
    const std::time_t sek = timegm(&t);
    std::tm aus{};
    gmtime_r(&sek, &aus);
    return {aus.tm_year + 1900, aus.tm_mon + 1, aus.tm_mday, aus.tm_hour, aus.tm_min, aus.tm_sec};
}

} // namespace hestrel
