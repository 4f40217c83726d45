// The simulated site as a program: prints its figures and ends with 0 when
// every goal holds. HESTREL_ANLAGE_SEED picks another random course,
// HESTREL_ANLAGE_STUNDEN another length (default: 24 simulated hours).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "reliability/anlage.h"

int main(int argc, char* argv[])
{
    hestrel::test::Anlagenparameter p;
    if (const char* s = std::getenv("HESTREL_ANLAGE_SEED")) {
        p.seed = std::strtoull(s, nullptr, 10);
    }
    if (const char* s = std::getenv("HESTREL_ANLAGE_STUNDEN")) {
        p.stunden = std::strtod(s, nullptr);
    }
    if (argc > 1) {
        p.stunden = std::strtod(argv[1], nullptr);
    }
    // A tree in memory where there is one: thirty workstations poll it constantly.
    const std::filesystem::path basis =
        std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    const std::string wurzel = (basis / ("hestrel-anlage-" + std::to_string(::getpid()))).string();

    std::printf("Simulierte Anlage: %d Plätze, %d Gruppen, %.1f h, Seed %llu, Verzeichnisbaum %s\n", p.plaetze,
                p.gruppen, p.stunden, static_cast<unsigned long long>(p.seed), wurzel.c_str());
    const auto start = std::chrono::steady_clock::now();
    std::string bericht;
    bool ok = false;
    {
        hestrel::test::Anlage anlage(p, wurzel);
        ok = anlage.laufen(bericht);
    }
    const auto dauer = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%sRechenzeit: %.1f s\n%s\n", bericht.c_str(), dauer, ok ? "Alle Ziele erreicht." : "ZIELE VERFEHLT.");
    return ok ? 0 : 1;
}
