#pragma once

#include <cstring>
#include <string>

namespace hestrel {

namespace detail {
inline const char* fehlertext_von(int ergebnis, const char* puffer)
{
    return ergebnis == 0 ? puffer : "unbekannter Fehler";
}
inline const char* fehlertext_von(const char* text, const char*)
{
    return text;
}
} // namespace detail

// The system's text for an error number (errno); safe on every thread, where
// strerror may hand two threads the same buffer.
inline std::string systemfehlertext(int err)
{
    char puffer[256] = {};
    return detail::fehlertext_von(strerror_r(err, puffer, sizeof puffer), puffer);
}

// An error as the program reports it: a number and a German description.
// Number 0 means success.
struct Fehler {
    int nummer = 0;
    std::string beschreibung;
    // The system's error number (errno) it came from; 0 where none.
    int systemfehler = 0;

    explicit operator bool() const { return nummer != 0; }

    // "description - number  ", the form of the program's error boxes.
    std::string meldungstext() const;

    static Fehler typen_unvertraeglich(); // 13
    static Fehler ueberlauf();            // 6
    static Fehler dateiende();            // 62
    static Fehler eigenschaftswert();     // 380
    // A file of the data directory larger than it can ever be: not read (7).
    static Fehler zu_gross(const std::string& pfad);
    // Maps a system error (errno) on the given path to a numbered error.
    static Fehler aus_errno(int err, const std::string& pfad);
};

} // namespace hestrel
