#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "core/freigabedienst.h"

namespace hestrel::test {

// A share service that answers at once, except for held directories (or one
// queue of a directory), whose work waits until they are released: a share
// that hangs, on the virtual clock. With a clock, work that waited longer than its time limit is dropped
// on release, as the program's own service drops it.
class Haltefreigaben : public Freigabedienst {
  public:
    explicit Haltefreigaben(Dateisystem& fs, std::function<std::int64_t()> uhr = nullptr)
        : m_fs(fs), m_uhr(std::move(uhr))
    {
    }
    void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms,
                 Spur spur) override
    {
        const Reihe r{verzeichnis, spur};
        m_reihen[r].push_back({std::move(arbeit), std::move(fertig), jetzt(), verfall_ms});
        if (!gehalten(r)) {
            abarbeiten(r);
        }
    }
    // Holds both queues of the directory, or only the one of spur.
    void halten(const std::string& verzeichnis)
    {
        halten(verzeichnis, Spur::alarm);
        halten(verzeichnis, Spur::begleit);
    }
    void halten(const std::string& verzeichnis, Spur spur) { m_gehalten.insert({verzeichnis, spur}); }
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
    std::function<std::int64_t()> m_uhr;
    std::set<Reihe> m_gehalten;
    std::map<Reihe, std::deque<Eintrag>> m_reihen;
};

} // namespace hestrel::test
