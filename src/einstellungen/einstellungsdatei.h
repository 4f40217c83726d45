#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/fehler.h"
#include "einstellungen/einstellungen.h"

namespace hestrel {

// The layout of "Hestrel.DAT": 68 lines, one value each, known only by their
// place. The table k_einstellungsfelder is the one place that says which
// value stands where, how it is written and what the load asks of it.

// The values in file order; the group paths and the reserved fields take a run of lines.
enum class Einstellungsfeld {
    ausdruck, // summary of the settings; read and ignored
    importverzeichnis,
    portnummer,
    idnummer,
    signaldatei,
    frei, // reserved: written empty, never read
    tastentext1,
    alarmempf,
    comdeaktiviert,
    entprellzeit,
    logfileaktive,
    pfade_1_10,   // groups 1-10
    zusatzfelder, // four reserved fields kept from load to save
    geraeteart,
    pfade_11_50, // groups 11-50
    vollbild,
    gesperrt,
};

// How a value is written.
enum class Zeilenform {
    text,  // as held; quoted where the reading would split it
    leer,  // an empty line, whatever is held
    zahl,  // a 16-bit number in the printed form: a blank (or the minus sign), the digits
    haken, // a check box: the printed number and a blank, " 0 " or " 1 "
};

// What the load takes from a value.
enum class Zeilenwert {
    text,   // the text as it stands
    zahl16, // the numeric prefix, to the nearest 16-bit integer; beyond it the overflow error
    haken,  // a whole number 0, 1 or 2; anything else is an error
};

struct Einstellungszeilen {
    Einstellungsfeld feld;
    int anzahl;
    Zeilenform form;
    Zeilenwert wert;
};

inline constexpr Einstellungszeilen k_einstellungsfelder[] = {
    {Einstellungsfeld::ausdruck, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::importverzeichnis, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::portnummer, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::idnummer, 1, Zeilenform::text, Zeilenwert::zahl16},
    {Einstellungsfeld::signaldatei, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::frei, 1, Zeilenform::leer, Zeilenwert::text},
    {Einstellungsfeld::tastentext1, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::alarmempf, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::comdeaktiviert, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::entprellzeit, 1, Zeilenform::zahl, Zeilenwert::zahl16},
    {Einstellungsfeld::logfileaktive, 1, Zeilenform::text, Zeilenwert::haken},
    {Einstellungsfeld::pfade_1_10, 10, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::zusatzfelder, 4, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::geraeteart, 1, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::pfade_11_50, 40, Zeilenform::text, Zeilenwert::text},
    {Einstellungsfeld::vollbild, 1, Zeilenform::haken, Zeilenwert::haken},
    {Einstellungsfeld::gesperrt, 1, Zeilenform::haken, Zeilenwert::haken},
};

constexpr int einstellungszeilen_bis(Einstellungsfeld f)
{
    int zeile = 0;
    for (const auto& z : k_einstellungsfelder) {
        if (z.feld == f) {
            return zeile;
        }
        zeile += z.anzahl;
    }
    return zeile;
}

inline constexpr int k_einstellungszeilen = einstellungszeilen_bis(Einstellungsfeld::gesperrt) + 1;
static_assert(k_einstellungszeilen == 68);

// Where a value stands: its field and, in a run of lines, which of them.
struct Feldstelle {
    // A field of one line stands for itself.
    constexpr Feldstelle(Einstellungsfeld f, int k = 0) : feld(f), k(k) {}
    Einstellungsfeld feld;
    int k;
};

// Where the path of group index i (0..49) stands.
constexpr Feldstelle pfadstelle(int i)
{
    return i < 10 ? Feldstelle{Einstellungsfeld::pfade_1_10, i}
                  : Feldstelle{Einstellungsfeld::pfade_11_50, i - 10};
}

// The values of one settings file, by field.
class Einstellungswerte {
  public:
    std::string& operator()(Feldstelle s) { return m_zeilen[index(s)]; }
    const std::string& operator()(Feldstelle s) const { return m_zeilen[index(s)]; }
    // Whether the file read reached this value: a short file ends early.
    bool gelesen(Feldstelle s) const { return index(s) < m_gelesen; }

  private:
    friend Einstellungswerte einstellungsdatei_lesen(std::string_view bytes);
    static std::size_t index(Feldstelle s)
    {
        return static_cast<std::size_t>(einstellungszeilen_bis(s.feld)) + static_cast<std::size_t>(s.k);
    }
    std::array<std::string, k_einstellungszeilen> m_zeilen;
    std::size_t m_gelesen = k_einstellungszeilen;
};

// The values of "Hestrel.DAT" as far as the file goes; lines beyond 68 are ignored.
Einstellungswerte einstellungsdatei_lesen(std::string_view bytes);
// The file's bytes: 68 lines in the code page, each ended by CR LF.
std::string einstellungsdatei_schreiben(const Einstellungswerte& werte);
// The number the load takes from a field's value (a whole number field only).
Fehler einstellungszahl(Einstellungsfeld f, const std::string& text, int& zahl);

// The summary line: the eleven values in square brackets.
std::string ausdruck_bilden(const Einstellungen& e, const std::string& comdeaktiviert);

// "1"/"0" of a check box value.
inline std::string haken_text(int wert)
{
    return wert != 0 ? "1" : "0";
}
// A check box value as written in the files: " 0 " or " 1 ".
std::string haken_zeile(int wert);

} // namespace hestrel
