#include "core/uhr.h"

#include <cstdio>
#include <ctime>

namespace hestrel {

Zeitstempel SystemUhr::jetzt() const
{
    const std::time_t t = std::time(nullptr);
    std::tm lokal{};
    localtime_r(&t, &lokal);
    return {lokal.tm_year + 1900, lokal.tm_mon + 1, lokal.tm_mday, lokal.tm_hour, lokal.tm_min, lokal.tm_sec};
}

std::string kurzdatum(const Zeitstempel& z)
{
    char puffer[32];
    std::snprintf(puffer, sizeof puffer, "%02d.%02d.%04d", z.tag, z.monat, z.jahr);
    return puffer;
}

std::string langzeit(const Zeitstempel& z)
{
    char puffer[32];
    std::snprintf(puffer, sizeof puffer, "%02d:%02d:%02d", z.stunde, z.minute, z.sekunde);
    return puffer;
}

} // namespace hestrel
