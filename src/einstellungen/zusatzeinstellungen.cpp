#include "einstellungen/zusatzeinstellungen.h"

#include <cstdlib>
#include <unistd.h>

#include "core/textdatei.h"
#include "core/umgebung.h"

namespace hestrel {
namespace {

constexpr std::size_t k_max_zusatzdatei = 16384;
constexpr int k_max_minuten = 600;
constexpr int k_max_wiederholung_sekunden = 3600;

std::string rechnername()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "Arbeitsplatz";
    }
    std::string s = name;
    // The short name: "empfang-2.example.org" is "empfang-2".
    return s.substr(0, s.find('.'));
}

// A whole number from 0 (or 1) to hoechstens, at most four digits.
bool zahl(const std::string& wert, int mindestens, int hoechstens, int& ziel)
{
    if (wert.empty() || wert.size() > 4 || wert.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const int n = std::stoi(wert);
    if (n < mindestens || n > hoechstens) {
        return false;
    }
    ziel = n;
    return true;
}

bool schalter(const std::string& wert, bool& ziel)
{
    if (wert == "1" || wert == "0") {
        ziel = wert == "1";
        return true;
    }
    return false;
}

} // namespace

Zusatzeinstellungen zusatz_voreinstellungen()
{
    Zusatzeinstellungen z;
    z.platzname = rechnername();
    return z;
}

std::string benutzername()
{
    for (const char* n : {"USER", "LOGNAME"}) {
        if (auto w = umgebungswert(n); w && !w->empty()) {
            return *w;
        }
    }
    return "";
}

Zusatzeinstellungen zusatz_laden(Dateisystem& fs, const std::string& datenverzeichnis, std::string& meldung)
{
    meldung.clear();
    Zusatzeinstellungen z = zusatz_voreinstellungen();
    const std::string pfad = pfad_verbinden(datenverzeichnis, k_zusatzdatei);
    std::string bytes;
    const Dateistand stand = fs.stand(pfad);
    if (stand.art == Dateistand::Art::fehlt) {
        meldung = "Zusatzeinstellungen fehlen, es gelten die Voreinstellungen";
        return z;
    }
    if (Fehler f = fs.lesen(pfad, bytes, k_max_zusatzdatei + 1)) {
        meldung = "Zusatzeinstellungen nicht gelesen, es gelten die Voreinstellungen: " + f.meldungstext();
        return z;
    }
    if (bytes.size() > k_max_zusatzdatei) {
        meldung = "Zusatzeinstellungen zu groß, es gelten die Voreinstellungen";
        return z;
    }
    std::string falsch;
    for (const std::string& zeile : zeilen_zerlegen(bytes)) {
        const auto gleich = zeile.find('=');
        if (zeile.empty() || zeile[0] == ';' || zeile[0] == '#') {
            continue;
        }
        const std::string schluessel = gleich == std::string::npos ? zeile : zeile.substr(0, gleich);
        const std::string wert = gleich == std::string::npos ? std::string() : zeile.substr(gleich + 1);
        bool gut = gleich != std::string::npos;
        if (!gut) {
        } else if (schluessel == "Platzname") {
            gut = !wert.empty() && wert.size() <= 64;
            if (gut) {
                z.platzname = wert;
            }
        } else if (schluessel == "NurHestrel") {
            gut = schalter(wert, z.nur_hestrel);
        } else if (schluessel == "Warnton") {
            gut = schalter(wert, z.warnton);
        } else if (schluessel == "WarntonMinuten") {
            gut = zahl(wert, 1, k_max_minuten, z.warnton_minuten);
        } else if (schluessel == "AlarmWiederholungSekunden") {
            gut = zahl(wert, 0, k_max_wiederholung_sekunden, z.wiederholung_sekunden);
        } else if (schluessel == "AlarmWiederholungMinuten") {
            gut = zahl(wert, 0, k_max_minuten, z.wiederholung_minuten);
        }
        if (!gut && falsch.empty()) {
            falsch = zeile.substr(0, 80);
        }
    }
    if (!falsch.empty()) {
        meldung = "Zusatzeinstellungen: Zeile nicht verstanden, Voreinstellung gilt: " + falsch;
    }
    return z;
}

Fehler zusatz_speichern(Dateisystem& fs, const std::string& datenverzeichnis, const Zusatzeinstellungen& z)
{
    const std::vector<std::string> zeilen{
        "Platzname=" + z.platzname,
        std::string("NurHestrel=") + (z.nur_hestrel ? "1" : "0"),
        std::string("Warnton=") + (z.warnton ? "1" : "0"),
        "WarntonMinuten=" + std::to_string(z.warnton_minuten),
        "AlarmWiederholungSekunden=" + std::to_string(z.wiederholung_sekunden),
        "AlarmWiederholungMinuten=" + std::to_string(z.wiederholung_minuten),
    };
    return fs.ersetzen(pfad_verbinden(datenverzeichnis, k_zusatzdatei), zeilen_kodieren(zeilen));
}

} // namespace hestrel
