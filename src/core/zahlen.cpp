#include "core/zahlen.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace hestrel {
namespace {

bool ist_leer(char c)
{
    return c == ' ' || c == '\t';
}

// Length of the number at the start of text (after blanks), 0 when there is none.
std::size_t zahl_laenge(std::string_view text, std::size_t start)
{
    std::size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t ziffern = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++ziffern;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++ziffern;
        }
    }
    if (ziffern == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        std::size_t exp = 0;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            ++j;
            ++exp;
        }
        if (exp > 0) {
            i = j;
        }
    }
    return i - start;
}

} // namespace

double zahlenwert(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && ist_leer(text[start])) {
        ++start;
    }
    const std::size_t laenge = zahl_laenge(text, start);
    if (laenge == 0) {
        return 0.0;
    }
    const std::string teil(text.substr(start, laenge));
    const double wert = std::strtod(teil.c_str(), nullptr);
    return std::isfinite(wert) ? wert : 0.0;
}

std::variant<std::int16_t, Fehler> ganzzahl16(double wert)
{
    const double gerundet = std::nearbyint(wert); // default mode: halves to even
    if (!std::isfinite(gerundet) || gerundet < -32768.0 || gerundet > 32767.0) {
        return Fehler::ueberlauf();
    }
    return static_cast<std::int16_t>(gerundet);
}

std::variant<std::int16_t, Fehler> text_zu_ganzzahl16(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && ist_leer(text[start])) {
        ++start;
    }
    std::size_t ende = text.size();
    while (ende > start && ist_leer(text[ende - 1])) {
        --ende;
    }
    const std::string_view kern = text.substr(start, ende - start);
    if (kern.empty() || zahl_laenge(kern, 0) != kern.size()) {
        return Fehler::typen_unvertraeglich();
    }
    return ganzzahl16(zahlenwert(kern));
}

std::string vorzeichenform(long wert)
{
    if (wert < 0) {
        return std::to_string(wert);
    }
    return " " + std::to_string(wert);
}

} // namespace hestrel
