#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace hestrel {

// A variable of the process's environment, nullptr where it is not set; the
// form the functions take that are handed the environment as a look-up. The
// program changes its environment only at the start of main, before any
// thread runs, so no read here can meet a write.
inline const char* umgebung(const char* name)
{
    return std::getenv(name); // NOLINT(concurrency-mt-unsafe): written only before any thread runs
}

// The same as a copy; none where it is not set.
inline std::optional<std::string> umgebungswert(const char* name)
{
    const char* wert = umgebung(name);
    if (wert == nullptr) {
        return std::nullopt;
    }
    return std::string(wert);
}

} // namespace hestrel
