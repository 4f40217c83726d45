#include "presentation/msg/meldetext.h"

namespace hestrel {

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

}  // namespace hestrel
