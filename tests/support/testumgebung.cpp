#include "support/testumgebung.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace hestrel::test {

namespace {
// Workstations built by tests, and programs they start, leave the machine's
// system log alone unless a run names a socket in HESTREL_SYSLOG.
[[maybe_unused]] const bool k_ohne_systemlog = ::setenv("HESTREL_SYSLOG", "", 0) == 0;
} // namespace

TempVerzeichnis::TempVerzeichnis()
{
    static std::atomic<int> zaehler{0};
    const auto basis = std::filesystem::temp_directory_path();
    m_pfad =
        (basis / ("hestrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(zaehler++))).string();
    std::filesystem::remove_all(m_pfad);
    std::filesystem::create_directories(m_pfad);
}

TempVerzeichnis::~TempVerzeichnis()
{
    std::error_code fehler;
    std::filesystem::remove_all(m_pfad, fehler);
}

std::string TempVerzeichnis::unterverzeichnis(const std::string& name) const
{
    const std::string p = m_pfad + "/" + name;
    std::filesystem::create_directories(p);
    return p + "/";
}

std::string datei_lesen(const std::string& pfad)
{
    std::ifstream in(pfad, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void datei_schreiben(const std::string& pfad, const std::string& bytes)
{
    std::ofstream out(pfad, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool existiert(const std::string& pfad)
{
    return std::filesystem::exists(pfad);
}

std::vector<std::string> zeilen(const std::string& bytes)
{
    std::vector<std::string> out;
    std::size_t anfang = 0;
    for (;;) {
        const auto pos = bytes.find("\r\n", anfang);
        if (pos == std::string::npos) {
            if (anfang < bytes.size()) {
                out.push_back(bytes.substr(anfang));
            }
            return out;
        }
        out.push_back(bytes.substr(anfang, pos - anfang));
        anfang = pos + 2;
    }
}

bool FehlerDateisystem::scheitert(const std::string& pfad, bool schreibend)
{
    if (!muster.empty() && pfad.find(muster) != std::string::npos) {
        return true;
    }
    if (schreibend) {
        ++schreibvorgaenge;
        if (erlaubt >= 0 && schreibvorgaenge > erlaubt) {
            return true;
        }
    }
    return false;
}

bool FehlerDateisystem::existiert(const std::string& pfad)
{
    return !scheitert(pfad, false) && m_echt.existiert(pfad);
}

Fehler FehlerDateisystem::lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes)
{
    if (scheitert(pfad, false)) {
        return fehler;
    }
    return m_echt.lesen(pfad, inhalt, max_bytes);
}

Fehler FehlerDateisystem::lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                                   std::size_t max_bytes)
{
    if (scheitert(pfad, false)) {
        inhalt.clear();
        return fehler;
    }
    return m_echt.lesen_ab(pfad, ab, inhalt, max_bytes);
}

std::uint64_t gelesene_bytes()
{
    std::ifstream io("/proc/self/io");
    std::string name;
    std::uint64_t wert = 0;
    while (io >> name >> wert) {
        if (name == "rchar:") {
            return wert;
        }
    }
    return 0;
}

Fehler FehlerDateisystem::ersetzen(const std::string& pfad, const std::string& inhalt)
{
    if (scheitert(pfad, true)) {
        return fehler;
    }
    return m_echt.ersetzen(pfad, inhalt);
}

Fehler FehlerDateisystem::anhaengen(const std::string& pfad, const std::string& inhalt)
{
    if (scheitert(pfad, true)) {
        return fehler;
    }
    return m_echt.anhaengen(pfad, inhalt);
}

Fehler FehlerDateisystem::leeren(const std::string& pfad)
{
    if (scheitert(pfad, true)) {
        return fehler;
    }
    return m_echt.leeren(pfad);
}

Fehler FehlerDateisystem::loeschen(const std::string& pfad)
{
    if (scheitert(pfad, true)) {
        return fehler;
    }
    return m_echt.loeschen(pfad);
}

std::optional<Dateiinfo> FehlerDateisystem::info(const std::string& pfad)
{
    if (scheitert(pfad, false)) {
        return std::nullopt;
    }
    return m_echt.info(pfad);
}

std::string wav_stille(int abtastrate, int ms)
{
    auto zahl = [](std::uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i, v >>= 8) {
            s += static_cast<char>(v & 0xFF);
        }
        return s;
    };
    const auto rate = static_cast<std::uint32_t>(abtastrate);
    const std::string daten(static_cast<std::size_t>(abtastrate) * 2 * static_cast<std::size_t>(ms) / 1000,
                            '\0');
    const std::string rumpf = "WAVEfmt " + zahl(16, 4) + zahl(1, 2) + zahl(1, 2) + zahl(rate, 4) +
                              zahl(2 * rate, 4) + zahl(2, 2) + zahl(16, 2) + "data" +
                              zahl(static_cast<std::uint32_t>(daten.size()), 4) + daten;
    return "RIFF" + zahl(static_cast<std::uint32_t>(rumpf.size()), 4) + rumpf;
}

} // namespace hestrel::test
