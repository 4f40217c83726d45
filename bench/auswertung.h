#pragma once

#include <string>
#include <vector>

namespace hestrel::bench {

// Median, 95th percentile and maximum of a series of measurements.
struct Kennzahlen {
    double median = 0;
    double p95 = 0;
    double max = 0;
    std::size_t anzahl = 0;
};
Kennzahlen kennzahlen(std::vector<double> werte);

// One line of the figures table.
struct Messzeile {
    std::string groesse; // what was measured
    std::string wert;    // what came out
    std::string grenze;  // the budget
    bool eingehalten = false;
    std::string befehl;   // the command that measures it
    bool bewertet = true; // false: shown for information, no budget
};

// The rows as a Markdown table, with the column "holds" ("—" where there is no budget).
std::string tabelle(const std::vector<Messzeile>& zeilen);

// Number with the given decimals, as text.
std::string zahl(double wert, int stellen);

} // namespace hestrel::bench
