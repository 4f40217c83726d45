#include "core/textdatei.h"

#include "core/cp1252.h"

namespace hestrel {

std::string zeilen_kodieren(const std::vector<std::string>& zeilen)
{
    std::string out;
    for (const auto& zeile : zeilen) {
        out += utf8_zu_cp1252(zeile);
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> zeilen_zerlegen(std::string_view cp1252)
{
    std::vector<std::string> zeilen;
    std::size_t anfang = 0;
    std::size_t i = 0;
    while (i < cp1252.size()) {
        const char c = cp1252[i];
        if (c == '\r' || c == '\n') {
            zeilen.push_back(cp1252_zu_utf8(cp1252.substr(anfang, i - anfang)));
            if (c == '\r' && i + 1 < cp1252.size() && cp1252[i + 1] == '\n') {
                ++i;
            }
            ++i;
            anfang = i;
        } else {
            ++i;
        }
    }
    if (anfang < cp1252.size()) {
        zeilen.push_back(cp1252_zu_utf8(cp1252.substr(anfang)));
    }
    return zeilen;
}

std::string wert_lesen(std::string_view zeile)
{
    std::size_t i = 0;
    while (i < zeile.size() && (zeile[i] == ' ' || zeile[i] == '\t')) {
        ++i;
    }
    if (i >= zeile.size() || zeile[i] != '"') {
        return std::string(zeile.substr(i));
    }
    std::string wert;
    ++i;
    while (i < zeile.size()) {
        if (zeile[i] == '"') {
            if (i + 1 < zeile.size() && zeile[i + 1] == '"') {
                wert += '"';
                i += 2;
                continue;
            }
            break;
        }
        wert += zeile[i];
        ++i;
    }
    return wert;
}

std::string wert_schreiben(std::string_view wert)
{
    std::string flach(wert);
    for (char& c : flach) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const bool quoten = flach.find_first_of(",\"") != std::string::npos ||
                        (!flach.empty() && (flach.front() == ' ' || flach.front() == '\t'));
    if (!quoten) {
        return flach;
    }
    std::string out = "\"";
    for (char c : flach) {
        if (c == '"') {
            out += "\"\"";
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace hestrel
