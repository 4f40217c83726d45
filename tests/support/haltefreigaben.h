#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/freigabedienst.h"
#include "core/scheduler.h"

namespace hestrel::test {

// A share service that answers through the scheduler's queue, after the
// call returns, except for held directories (or one queue of a directory),
// whose work waits until they are released: a share that hangs, on the
// virtual clock. With a clock, work held past its time limit is answered as
// not done at that limit, as the program's own service answers it.
class Haltefreigaben : public Freigabedienst {
  public:
    Haltefreigaben(Dateisystem& fs, Scheduler& scheduler, std::function<std::int64_t()> uhr = nullptr)
        : m_fs(fs), m_scheduler(scheduler), m_uhr(std::move(uhr)), m_frist(scheduler.timer("Haltefrist", 1))
    {
        m_frist->tick = [this] { fristen_pruefen(); };
    }
    void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms,
                 Spur spur) override
    {
        const Reihe r{verzeichnis, spur};
        m_reihen[r].push_back({std::move(arbeit), std::move(fertig), jetzt(), verfall_ms});
        if (gehalten(r) && m_uhr && verfall_ms >= 0) {
            fristen_pruefen();
        }
        if (!gehalten(r)) {
            m_scheduler.einreihen([this, lebt = std::weak_ptr<bool>(m_lebt), r] {
                if (lebt.lock()) {
                    abarbeiten(r);
                }
            });
        }
    }
    // Holds both queues of the directory, or only the one of spur.
    void halten(const std::string& verzeichnis)
    {
        halten(verzeichnis, Spur::alarm);
        halten(verzeichnis, Spur::begleit);
    }
    void halten(const std::string& verzeichnis, Spur spur)
    {
        m_gehalten.insert({verzeichnis, spur});
        if (m_uhr) {
            fristen_pruefen();
        }
    }
    void freigeben(const std::string& verzeichnis)
    {
        for (Spur spur : {Spur::alarm, Spur::begleit}) {
            m_gehalten.erase({verzeichnis, spur});
            abarbeiten({verzeichnis, spur});
        }
    }
    bool gehalten(const std::string& verzeichnis) const
    {
        return gehalten({verzeichnis, Spur::alarm}) || gehalten({verzeichnis, Spur::begleit});
    }
    std::size_t wartend(const std::string& verzeichnis)
    {
        return m_reihen[{verzeichnis, Spur::alarm}].size() + m_reihen[{verzeichnis, Spur::begleit}].size();
    }
    long verfallen = 0;

  private:
    struct Eintrag {
        Arbeit arbeit;
        Fertig fertig;
        std::int64_t eingereiht;
        int verfall_ms;
    };
    using Reihe = std::pair<std::string, Spur>;
    std::int64_t jetzt() const { return m_uhr ? m_uhr() : 0; }
    bool gehalten(const Reihe& r) const { return m_gehalten.count(r) > 0; }
    // Answers held work whose limit has passed; the timer waits for the next limit.
    void fristen_pruefen()
    {
        std::int64_t naechste = -1;
        std::vector<Fertig> verfallen_;
        for (auto& [r, reihe] : m_reihen) {
            // The first of a held queue is the call that hangs: it has started.
            for (auto it = reihe.begin(); it != reihe.end();) {
                const std::int64_t frist = it->eingereiht + it->verfall_ms;
                if (!gehalten(r) || it == reihe.begin() || it->verfall_ms < 0 || frist > jetzt()) {
                    if (gehalten(r) && it->verfall_ms >= 0 && (naechste < 0 || frist < naechste)) {
                        naechste = frist;
                    }
                    ++it;
                    continue;
                }
                ++verfallen;
                verfallen_.push_back(std::move(it->fertig));
                it = reihe.erase(it);
            }
        }
        for (auto& f : verfallen_) {
            if (f) {
                m_scheduler.einreihen([lebt = std::weak_ptr<bool>(m_lebt), f = std::move(f)] {
                    if (lebt.lock()) {
                        f(false);
                    }
                });
            }
        }
        m_frist->stop();
        if (naechste >= 0) {
            m_frist->setInterval(static_cast<int>(std::max<std::int64_t>(1, naechste - jetzt())));
            m_frist->start();
        }
    }
    void abarbeiten(const Reihe& r)
    {
        auto& reihe = m_reihen[r];
        while (!reihe.empty() && !gehalten(r)) {
            Eintrag e = std::move(reihe.front());
            reihe.pop_front();
            const bool verfallen_ = e.verfall_ms >= 0 && jetzt() - e.eingereiht > e.verfall_ms;
            if (verfallen_) {
                ++verfallen;
            } else if (e.arbeit) {
                e.arbeit(m_fs);
            }
            if (e.fertig) {
                e.fertig(!verfallen_);
            }
        }
    }
    Dateisystem& m_fs;
    Scheduler& m_scheduler;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
    std::function<std::int64_t()> m_uhr;
    std::unique_ptr<Zeitgeber> m_frist;
    std::set<Reihe> m_gehalten;
    std::map<Reihe, std::deque<Eintrag>> m_reihen;
};

} // namespace hestrel::test
