#include "einstellungen/einstellungsdatei.h"

#include <variant>
#include <vector>

#include "core/textdatei.h"
#include "core/zahlen.h"

namespace hestrel {
namespace {

const Einstellungszeilen& zeilen_von(Einstellungsfeld f)
{
    for (const auto& z : k_einstellungsfelder) {
        if (z.feld == f) {
            return z;
        }
    }
    return k_einstellungsfelder[0];
}

std::string zeile_schreiben(Zeilenform form, const std::string& wert)
{
    switch (form) {
    case Zeilenform::leer:
        return {};
    case Zeilenform::zahl:
        return !wert.empty() && wert.front() == '-' ? wert : " " + wert;
    case Zeilenform::haken:
        return zeile_schreiben(Zeilenform::zahl, wert) + " ";
    case Zeilenform::text:
        break;
    }
    return wert_schreiben(wert);
}

} // namespace

Einstellungswerte einstellungsdatei_lesen(std::string_view bytes)
{
    Einstellungswerte werte;
    std::size_t n = 0;
    for (const auto& zeile : zeilen_zerlegen(bytes)) {
        if (n == werte.m_zeilen.size()) {
            break;
        }
        werte.m_zeilen[n++] = wert_lesen(zeile);
    }
    werte.m_gelesen = n;
    return werte;
}

std::string einstellungsdatei_schreiben(const Einstellungswerte& werte)
{
    std::vector<std::string> zeilen;
    zeilen.reserve(k_einstellungszeilen);
    for (const auto& z : k_einstellungsfelder) {
        for (int k = 0; k < z.anzahl; ++k) {
            zeilen.push_back(zeile_schreiben(z.form, werte({z.feld, k})));
        }
    }
    return zeilen_kodieren(zeilen);
}

Fehler einstellungszahl(Einstellungsfeld f, const std::string& text, int& zahl)
{
    switch (zeilen_von(f).wert) {
    case Zeilenwert::zahl16: {
        const auto z = ganzzahl16(zahlenwert(text));
        if (const auto* fehler = std::get_if<Fehler>(&z)) {
            return *fehler;
        }
        zahl = std::get<std::int16_t>(z);
        return {};
    }
    case Zeilenwert::haken: {
        const auto z = text_zu_ganzzahl16(text);
        if (const auto* fehler = std::get_if<Fehler>(&z)) {
            return *fehler;
        }
        const int n = std::get<std::int16_t>(z);
        if (n < 0 || n > 2) {
            return Fehler::eigenschaftswert();
        }
        zahl = n;
        return {};
    }
    case Zeilenwert::text:
        break;
    }
    return Fehler::typen_unvertraeglich();
}

std::string ausdruck_bilden(const Einstellungen& e, const std::string& comdeaktiviert)
{
    return "[" + e.importverzeichnis + "][" + e.portnummer + "][" + e.idnummer + "][" + e.signaldatei +
           "][][" + e.tastentext1 + "][" + e.alarmempf + "][" + comdeaktiviert + "][" +
           vorzeichenform(e.entprellzeit) + "][" + e.logfileaktive + "][" + e.tastentext2 + "]";
}

std::string haken_zeile(int wert)
{
    return vorzeichenform(wert) + " ";
}

} // namespace hestrel
