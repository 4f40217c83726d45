#include "core/fehler.h"

#include <cerrno>

namespace hestrel {

std::string Fehler::meldungstext() const
{
    return beschreibung + " - " + std::to_string(nummer) + "  ";
}

Fehler Fehler::typen_unvertraeglich()
{
    return {13, "Typen unverträglich"};
}
Fehler Fehler::ueberlauf()
{
    return {6, "Überlauf"};
}
Fehler Fehler::dateiende()
{
    return {62, "Einlesen hinter Dateiende"};
}
Fehler Fehler::eigenschaftswert()
{
    return {380, "Unzulässiger Eigenschaftswert"};
}
Fehler Fehler::zu_gross(const std::string& pfad)
{
    return {7, "Datei zu groß: " + pfad};
}

Fehler Fehler::aus_errno(int err, const std::string& pfad)
{
    int nummer = 57;
    std::string text = "Fehler beim Geräte-E/A";
    switch (err) {
    case ENOENT:
        nummer = 53;
        text = "Datei nicht gefunden";
        break;
    case ENOTDIR:
        nummer = 76;
        text = "Pfad nicht gefunden";
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        nummer = 75;
        text = "Fehler beim Zugriff auf Pfad/Datei";
        break;
    case ENOSPC:
    case EDQUOT:
        nummer = 61;
        text = "Datenträger voll";
        break;
    case EBUSY:
    case ETXTBSY:
        nummer = 70;
        text = "Zugriff verweigert";
        break;
    default:
        break;
    }
    return {nummer, text + ": " + pfad + " (" + systemfehlertext(err) + ")", err};
}

} // namespace hestrel
