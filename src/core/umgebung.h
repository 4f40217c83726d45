#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace hestrel {

// A variable of the process's environment; none where it is not set. The
// program changes its environment only at the start of main, before any
// thread runs, so no read here can meet a write.
inline std::optional<std::string> umgebungswert(const char* name)
{
    const char* wert = std::getenv(name); // NOLINT(concurrency-mt-unsafe): only read once threads run
    if (wert == nullptr) {
        return std::nullopt;
    }
    return std::string(wert);
}

} // namespace hestrel
