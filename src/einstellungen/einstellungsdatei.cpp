#include "einstellungen/einstellungsdatei.h"

#include "core/textdatei.h"
#include "core/zahlen.h"

namespace hestrel {

std::vector<std::string> einstellungsdatei_lesen(std::string_view bytes)
{
    std::vector<std::string> werte;
    for (const auto& zeile : zeilen_zerlegen(bytes)) {
        if (werte.size() == static_cast<std::size_t>(k_einstellungszeilen)) {
            break;
        }
        werte.push_back(wert_lesen(zeile));
    }
    return werte;
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
