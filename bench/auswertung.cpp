#include "auswertung.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace hestrel::bench {

Kennzahlen kennzahlen(std::vector<double> werte)
{
    Kennzahlen k;
    k.anzahl = werte.size();
    if (werte.empty()) {
        return k;
    }
    std::sort(werte.begin(), werte.end());
    const std::size_t n = werte.size();
    k.median = n % 2 ? werte[n / 2] : (werte[n / 2 - 1] + werte[n / 2]) / 2;
    // Nearest rank: the smallest value with at least 95 % of the values at or below it.
    const auto rang = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    k.p95 = werte[std::max<std::size_t>(rang, 1) - 1];
    k.max = werte.back();
    return k;
}

std::string zahl(double wert, int stellen)
{
    char puffer[64];
    std::snprintf(puffer, sizeof puffer, "%.*f", stellen, wert);
    return puffer;
}

std::string tabelle(const std::vector<Messzeile>& zeilen)
{
    std::string t = "| Figure | Measured | Budget | Holds | Measured by |\n|---|---|---|---|---|\n";
    for (const auto& z : zeilen) {
        t += "| " + z.groesse + " | " + z.wert + " | " + z.grenze + " | " +
             (!z.bewertet     ? "—"
              : z.eingehalten ? "yes"
                              : "**no**") +
             " | `" + z.befehl + "` |\n";
    }
    return t;
}

} // namespace hestrel::bench
