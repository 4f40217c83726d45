#include "presentation/msg/meldetext.h"

#include <string_view>

namespace hestrel {

std::string fuer_meldeprogramm(const std::string& text)
{
    static constexpr std::string_view k_auslassung = "\xE2\x80\xA6"; // "…"
    std::string aus = text;
    for (char& c : aus) {
        if (c == '\0') {
            c = ' ';
        }
    }
    if (aus.size() <= k_meldung_max_bytes) {
        return aus;
    }
    std::size_t ende = k_meldung_max_bytes - k_auslassung.size();
    // Never cut a UTF-8 sequence: step back over continuation bytes to its lead byte.
    while (ende > 0 && (static_cast<unsigned char>(aus[ende]) & 0xC0) == 0x80) {
        --ende;
    }
    aus.resize(ende);
    aus += k_auslassung;
    return aus;
}

std::string fuer_terminal(const std::string& text)
{
    std::string aus;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto naechstes = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == '\r') {
            if (naechstes == '\n') {
                ++i;
            }
            aus += "\r\n";
        } else if (c == '\n') {
            aus += "\r\n";
        } else if (c == '\t') {
            aus += ' ';
        } else if (c < 0x20 || c == 0x7F) {
            continue;
        } else if (c == 0xC2 && naechstes >= 0x80 && naechstes <= 0x9F) {
            ++i;
        } else {
            aus += static_cast<char>(c);
        }
    }
    return aus;
}

std::string fuer_benachrichtigung(const std::string& text)
{
    std::string aus;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '&') {
            aus += "&amp;";
        } else if (c == '<') {
            aus += "&lt;";
        } else if (c == '>') {
            aus += "&gt;";
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            aus += '\n';
        } else {
            aus += c;
        }
    }
    return aus;
}

std::string terminalpfad(const std::string& zeile)
{
    if (zeile.empty() || zeile.front() == '/' || zeile.find("..") != std::string::npos) {
        return {};
    }
    for (const char c : zeile) {
        const bool erlaubt = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '/' || c == '_' || c == '-' || c == '.';
        if (!erlaubt) {
            return {};
        }
    }
    return "/dev/" + zeile;
}

} // namespace hestrel
