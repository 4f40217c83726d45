#include "exchange/austauschdateien.h"

namespace hestrel {

bool schluessel_gueltig(std::string_view schluessel)
{
    if (schluessel.empty() || schluessel.size() > k_max_schluessel) {
        return false;
    }
    for (const char c : schluessel) {
        const bool erlaubt = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                             c == '-' || c == '_';
        if (!erlaubt) {
            return false;
        }
    }
    return true;
}

} // namespace hestrel
