#include "stoppuhr.h"

namespace hestrel::bench {
namespace {

constexpr const char* k_signal = "MESSAGE.XQV";

} // namespace

double ms_zwischen(Uhrzeit::time_point von, Uhrzeit::time_point bis)
{
    return std::chrono::duration<double, std::milli>(bis - von).count();
}

bool Stoppuhr::existiert(const std::string& pfad)
{
    const bool ja = m_echt.existiert(pfad);
    if (ja && pfad.ends_with(k_signal)) {
        signal_gesehen = Uhrzeit::now();
    }
    return ja;
}

Fehler Stoppuhr::lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes)
{
    return m_echt.lesen(pfad, inhalt, max_bytes);
}

Fehler Stoppuhr::lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                          std::size_t max_bytes)
{
    return m_echt.lesen_ab(pfad, ab, inhalt, max_bytes);
}

Fehler Stoppuhr::ersetzen(const std::string& pfad, const std::string& inhalt)
{
    Fehler f = m_echt.ersetzen(pfad, inhalt);
    ersetzt(pfad, f);
    return f;
}

Fehler Stoppuhr::ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt)
{
    Fehler f = m_echt.ersetzen_fluechtig(pfad, inhalt);
    ersetzt(pfad, f);
    return f;
}

void Stoppuhr::ersetzt(const std::string& pfad, const Fehler& f)
{
    if (!f && pfad.ends_with(k_signal)) {
        ++signale;
        signal_geschrieben = Uhrzeit::now();
    }
}

Fehler Stoppuhr::anhaengen(const std::string& pfad, const std::string& inhalt)
{
    Fehler f = m_echt.anhaengen(pfad, inhalt);
    if (!f && pfad.ends_with("mameldung.log")) {
        ++journaleintraege;
        journal_geschrieben = Uhrzeit::now();
    }
    return f;
}

Fehler Stoppuhr::leeren(const std::string& pfad)
{
    return m_echt.leeren(pfad);
}

Fehler Stoppuhr::loeschen(const std::string& pfad)
{
    return m_echt.loeschen(pfad);
}

std::optional<Dateiinfo> Stoppuhr::info(const std::string& pfad)
{
    return m_echt.info(pfad);
}

void Stoppuhr::zuruecksetzen()
{
    signale = 0;
    journaleintraege = 0;
    signal_gesehen = signal_geschrieben = journal_geschrieben = {};
}

} // namespace hestrel::bench
