#pragma once

#include <string>

namespace hestrel {

// Local date and time of day.
struct Zeitstempel {
    int jahr = 2000;
    int monat = 1;
    int tag = 1;
    int stunde = 0;
    int minute = 0;
    int sekunde = 0;
};

// Where the engine takes the time of day from.
class Uhr {
  public:
    virtual ~Uhr() = default;
    virtual Zeitstempel jetzt() const = 0;
};

// The machine's local time.
class SystemUhr : public Uhr {
  public:
    Zeitstempel jetzt() const override;
};

// Short date as dd.mm.yyyy.
std::string kurzdatum(const Zeitstempel& z);
// Long time as HH:MM:SS.
std::string langzeit(const Zeitstempel& z);

} // namespace hestrel
