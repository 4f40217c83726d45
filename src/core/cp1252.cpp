#include "core/cp1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace hestrel {
namespace {

// Code points of the bytes 0x80..0x9F; 0 marks a byte the code page leaves undefined.
constexpr std::array<char32_t, 32> k_oben = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                             0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char32_t k_ersatz = 0xFFFD;

void utf8_anhaengen(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The byte that holds cp, or nothing.
std::optional<char> zu_byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    if (cp < 0xA0) {
        // Only the C1 controls that stand for an undefined byte have one.
        if (k_oben[cp - 0x80] == 0) {
            return static_cast<char>(cp);
        }
        return std::nullopt;
    }
    for (std::size_t i = 0; i < k_oben.size(); ++i) {
        if (k_oben[i] != 0 && k_oben[i] == cp) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

// Decodes the character at utf8[i] and moves i past it; an invalid byte
// gives U+FFFD and moves one byte on.
char32_t naechstes(std::string_view utf8, std::size_t& i, bool& gueltig)
{
    const auto b = static_cast<std::uint8_t>(utf8[i]);
    std::size_t laenge = 0;
    char32_t cp = 0;
    if (b < 0x80) {
        ++i;
        gueltig = true;
        return b;
    }
    if ((b & 0xE0) == 0xC0) {
        laenge = 2;
        cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        laenge = 3;
        cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        laenge = 4;
        cp = b & 0x07;
    }
    gueltig = laenge != 0 && i + laenge <= utf8.size();
    for (std::size_t k = 1; gueltig && k < laenge; ++k) {
        const auto f = static_cast<std::uint8_t>(utf8[i + k]);
        if ((f & 0xC0) != 0x80) {
            gueltig = false;
        } else {
            cp = (cp << 6) | (f & 0x3F);
        }
    }
    if (!gueltig) {
        ++i;
        return k_ersatz;
    }
    i += laenge;
    return cp;
}

} // namespace

std::string utf8_zu_cp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        bool gueltig = false;
        const char32_t cp = naechstes(utf8, i, gueltig);
        const auto byte = gueltig ? zu_byte(cp) : std::nullopt;
        out += byte ? *byte : '?';
    }
    return out;
}

std::string cp1252_zu_utf8(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 8);
    for (char c : cp1252) {
        const auto b = static_cast<std::uint8_t>(c);
        char32_t cp = b;
        if (b >= 0x80 && b < 0xA0 && k_oben[b - 0x80] != 0) {
            cp = k_oben[b - 0x80];
        }
        utf8_anhaengen(out, cp);
    }
    return out;
}

std::string nicht_darstellbar(std::string_view utf8)
{
    std::string out;
    std::u32string gesehen;
    std::size_t i = 0;
    while (i < utf8.size()) {
        bool gueltig = false;
        const char32_t cp = naechstes(utf8, i, gueltig);
        if ((!gueltig || !zu_byte(cp)) && gesehen.find(cp) == std::u32string::npos) {
            gesehen += cp;
            utf8_anhaengen(out, cp);
        }
    }
    return out;
}

std::string unkodierbar_meldung(std::string_view feld, std::string_view zeichen)
{
    return "Zeichen, die die Datei nicht aufnehmen kann, in " + std::string(feld) + ": " +
           std::string(zeichen);
}

} // namespace hestrel
