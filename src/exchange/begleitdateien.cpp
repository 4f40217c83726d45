#include "exchange/begleitdateien.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <random>

#include "core/textdatei.h"

namespace hestrel {
namespace {

constexpr std::size_t k_max_kennung = 40;
constexpr std::size_t k_max_wert = 200;

using Werte = std::map<std::string, std::string>;

std::string sauber(std::string_view wert)
{
    // A value is one line, bounded: a line break would start another key.
    std::string s;
    for (char c : wert.substr(0, k_max_wert)) {
        s += (c == '\r' || c == '\n' || c == '\0') ? ' ' : c;
    }
    return s;
}

std::string schreiben(const char* kopf, const std::vector<std::pair<const char*, std::string>>& felder)
{
    std::vector<std::string> zeilen{kopf};
    for (const auto& [schluessel, wert] : felder) {
        zeilen.push_back(std::string(schluessel) + "=" + sauber(wert));
    }
    return zeilen_kodieren(zeilen);
}

std::optional<Werte> lesen(std::string_view bytes, const char* kopf,
                           std::initializer_list<const char*> pflicht, std::string& grund)
{
    if (bytes.size() > k_max_begleitdatei) {
        grund = "zu groß";
        return std::nullopt;
    }
    const std::vector<std::string> zeilen = zeilen_zerlegen(bytes);
    if (zeilen.empty() || zeilen[0] != kopf) {
        grund = "unbekannte Art";
        return std::nullopt;
    }
    Werte w;
    for (std::size_t i = 1; i < zeilen.size(); ++i) {
        const auto gleich = zeilen[i].find('=');
        if (gleich != std::string::npos) {
            w[zeilen[i].substr(0, gleich)] = zeilen[i].substr(gleich + 1);
        }
    }
    for (const char* p : pflicht) {
        if (w.find(p) == w.end()) {
            grund = std::string("ohne ") + p;
            return std::nullopt;
        }
    }
    return w;
}

bool hex16(const std::string& s)
{
    if (s.size() != 16) {
        return false;
    }
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

std::string hex(std::uint64_t v)
{
    char puffer[17];
    std::snprintf(puffer, sizeof puffer, "%016llx", static_cast<unsigned long long>(v));
    return puffer;
}

} // namespace

std::string platzkennung(std::string_view platzname)
{
    std::string k;
    for (char c : platzname) {
        if (k.size() >= k_max_kennung) {
            break;
        }
        const bool gut = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                         c == '-' || c == '_';
        k += gut ? c : '_';
    }
    return k.empty() ? std::string("platz") : k;
}

std::string neue_alarmkennung()
{
    static std::mt19937_64 zufall{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())};
    return hex(zufall());
}

std::string pruefsumme(std::string_view bytes)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return hex(h);
}

std::string antwortdatei(const std::string& alarm, const std::string& platzname)
{
    return std::string(k_antwortpraefix) + alarm + "-" + platzkennung(platzname) + ".txt";
}

std::string antwortpraefix(const std::string& alarm)
{
    return std::string(k_antwortpraefix) + alarm + "-";
}

std::string uhrzeit_aus(const std::string& zeit)
{
    const auto leer = zeit.rfind(' ');
    return leer == std::string::npos ? zeit : zeit.substr(leer + 1);
}

std::string anwesenheitsdatei(const std::string& platzname)
{
    return std::string(k_anwesenheitspraefix) + platzkennung(platzname) + ".txt";
}

std::string probedatei(const std::string& platzname)
{
    return std::string(k_probepraefix) + platzkennung(platzname) + ".txt";
}

std::string kodieren(const Herkunft& h)
{
    std::string gruppen;
    for (int g : h.gruppen) {
        gruppen += (gruppen.empty() ? "" : ",") + std::to_string(g);
    }
    std::vector<std::pair<const char*, std::string>> felder{
        {"Alarm", h.alarm},          {"Platz", h.platz},
        {"Benutzer", h.benutzer},    {"Zeit", h.zeit},
        {"Gruppen", gruppen},        {"Probe", h.probe ? "1" : "0"},
        {"Pruefsumme", h.pruefsumme}};
    if (h.wiederholt) {
        felder.emplace_back("Wiederholt", "1");
    }
    return schreiben("HESTREL-HERKUNFT 1", felder);
}

std::string kodieren(const Antwort& a)
{
    return schreiben("HESTREL-ANTWORT 1", {{"Alarm", a.alarm},
                                           {"Platz", a.platz},
                                           {"Benutzer", a.benutzer},
                                           {"Zeit", a.zeit},
                                           {"Art", a.art == Antwort::Art::kommt ? "kommt" : "empfangen"}});
}

std::string kodieren(const Anwesenheit& a)
{
    return schreiben("HESTREL-ANWESENHEIT 1",
                     {{"Platz", a.platz}, {"Benutzer", a.benutzer}, {"Zeit", a.zeit}});
}

std::optional<Herkunft> herkunft_lesen(std::string_view bytes, std::string& grund)
{
    auto w = lesen(bytes, "HESTREL-HERKUNFT 1", {"Alarm", "Platz", "Zeit", "Pruefsumme"}, grund);
    if (!w) {
        return std::nullopt;
    }
    Herkunft h;
    h.alarm = (*w)["Alarm"];
    h.platz = (*w)["Platz"];
    h.benutzer = (*w)["Benutzer"];
    h.zeit = (*w)["Zeit"];
    h.probe = (*w)["Probe"] == "1";
    h.wiederholt = (*w)["Wiederholt"] == "1";
    h.pruefsumme = (*w)["Pruefsumme"];
    if (!hex16(h.alarm) || !hex16(h.pruefsumme)) {
        grund = "Kennung ungültig";
        return std::nullopt;
    }
    const std::string& liste = (*w)["Gruppen"];
    std::size_t i = 0;
    while (i < liste.size() && h.gruppen.size() < 50) {
        std::size_t ende = liste.find(',', i);
        if (ende == std::string::npos) {
            ende = liste.size();
        }
        const std::string teil = liste.substr(i, ende - i);
        if (!teil.empty() && teil.size() <= 2 && teil.find_first_not_of("0123456789") == std::string::npos) {
            const int g = std::stoi(teil);
            if (g >= 1 && g <= 50) {
                h.gruppen.push_back(g);
            }
        }
        i = ende + 1;
    }
    return h;
}

std::optional<Antwort> antwort_lesen(std::string_view bytes, std::string& grund)
{
    auto w = lesen(bytes, "HESTREL-ANTWORT 1", {"Alarm", "Platz", "Zeit", "Art"}, grund);
    if (!w) {
        return std::nullopt;
    }
    Antwort a;
    a.alarm = (*w)["Alarm"];
    a.platz = (*w)["Platz"];
    a.benutzer = (*w)["Benutzer"];
    a.zeit = (*w)["Zeit"];
    const std::string& art = (*w)["Art"];
    if (!hex16(a.alarm) || (art != "kommt" && art != "empfangen")) {
        grund = "Kennung oder Art ungültig";
        return std::nullopt;
    }
    a.art = art == "kommt" ? Antwort::Art::kommt : Antwort::Art::empfangen;
    return a;
}

std::optional<Anwesenheit> anwesenheit_lesen(std::string_view bytes, std::string& grund)
{
    auto w = lesen(bytes, "HESTREL-ANWESENHEIT 1", {"Platz"}, grund);
    if (!w) {
        return std::nullopt;
    }
    return Anwesenheit{(*w)["Platz"], (*w)["Benutzer"], (*w)["Zeit"]};
}

} // namespace hestrel
