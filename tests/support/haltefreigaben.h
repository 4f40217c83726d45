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

// A share service that answers at once, except for held directories, whose
// work waits until they are released: a share that hangs, on the virtual
// clock. With a clock, work that waited longer than its time limit is dropped
// on release, as the program's own service drops it.
class Haltefreigaben : public Freigabedienst {
  public:
    explicit Haltefreigaben(Dateisystem& fs, std::function<std::int64_t()> uhr = nullptr)
        : m_fs(fs), m_uhr(std::move(uhr))
    {
    }
    void auftrag(const std::string& verzeichnis, Arbeit arbeit, Fertig fertig, int verfall_ms) override
    {
        m_reihen[verzeichnis].push_back({std::move(arbeit), std::move(fertig), jetzt(), verfall_ms});
        if (!gehalten(verzeichnis)) {
            abarbeiten(verzeichnis);
        }
    }
    void halten(const std::string& verzeichnis) { m_gehalten.insert(verzeichnis); }
    void freigeben(const std::string& verzeichnis)
    {
        m_gehalten.erase(verzeichnis);
        abarbeiten(verzeichnis);
    }
    bool gehalten(const std::string& verzeichnis) const { return m_gehalten.count(verzeichnis) > 0; }
    std::size_t wartend(const std::string& verzeichnis) { return m_reihen[verzeichnis].size(); }
    long verfallen = 0;

  private:
    struct Eintrag {
        Arbeit arbeit;
        Fertig fertig;
        std::int64_t eingereiht;
        int verfall_ms;
    };
    std::int64_t jetzt() const { return m_uhr ? m_uhr() : 0; }
    void abarbeiten(const std::string& verzeichnis)
    {
        auto& reihe = m_reihen[verzeichnis];
        while (!reihe.empty() && !gehalten(verzeichnis)) {
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
    std::set<std::string> m_gehalten;
    std::map<std::string, std::deque<Eintrag>> m_reihen;
};

} // namespace hestrel::test
