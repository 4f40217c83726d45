#pragma once

#include <functional>
#include <string>

#include "core/dateisystem.h"

namespace hestrel::test {

// The real file system, reporting every exchange-file step of one
// workstation to the simulated site's ledger as it happens.
class Protokolldateisystem : public Dateisystem {
  public:
    struct Beobachter {
        // A signal file or data file was written, a signal file deleted or read.
        std::function<void(const std::string& pfad)> geschrieben;
        std::function<void(const std::string& pfad)> geloescht;
        std::function<void(const std::string& pfad)> gelesen;
        // An existence test.
        std::function<void(const std::string& pfad)> gefragt;
        // An entry went into a log; pfad names the log.
        std::function<void(const std::string& pfad, const std::string& inhalt)> angehaengt;
        // Asked before each read: true makes it fail, as a flaky share does.
        std::function<bool(const std::string& pfad)> lesestoerung;
        // The shares' clock in ns: files written get its time stamp, so that
        // ages on the shares follow simulated time.
        std::function<std::int64_t()> uhr_ns;
    };

    explicit Protokolldateisystem(Beobachter b) : m_b(std::move(b)) {}

    bool existiert(const std::string& pfad) override
    {
        if (m_b.gefragt) {
            m_b.gefragt(pfad);
        }
        return m_echt.existiert(pfad);
    }
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override;
    Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                    std::size_t max_bytes) override
    {
        return m_echt.lesen_ab(pfad, ab, inhalt, max_bytes);
    }
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override;
    Fehler ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt) override;
    Fehler auffrischen(const std::string& pfad, const std::string& inhalt) override;
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override;
    Fehler leeren(const std::string& pfad) override { return m_echt.leeren(pfad); }
    Fehler loeschen(const std::string& pfad) override;
    std::optional<Dateiinfo> info(const std::string& pfad) override { return m_echt.info(pfad); }
    Fehler auflisten(const std::string& v, const std::string& p, std::vector<Verzeichniseintrag>& e,
                     std::size_t m) override
    {
        return m_echt.auflisten(v, p, e, m);
    }
    Fehler namen(const std::string& v, const std::function<bool(std::string_view)>& passt, Namensliste& l,
                 std::size_t m) override
    {
        return m_echt.namen(v, passt, l, m);
    }
    Dateistand stand(const std::string& pfad) override
    {
        if (m_b.gefragt) {
            m_b.gefragt(pfad);
        }
        return m_echt.stand(pfad);
    }

    // The share's time on a file written past this file system (an older place's write in place).
    void zeit_setzen(const std::string& pfad) const;

  private:
    Beobachter m_b;
    EchtesDateisystem m_echt;
};

} // namespace hestrel::test
