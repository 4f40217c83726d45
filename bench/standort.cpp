#include "standort.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/textdatei.h"

namespace hestrel::bench {
namespace {

void schreiben(const std::string& pfad, const std::string& bytes)
{
    std::ofstream(pfad, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

Standort::Standort(std::string basis) : m_basis(std::move(basis))
{
    for (int n = 1; n <= 50; ++n) {
        std::filesystem::create_directories(gruppe(n));
    }
}

std::string Standort::gruppe(int nummer) const
{
    return m_basis + "/gruppe" + std::to_string(nummer) + "/";
}

std::string Standort::arbeitsplatz(const std::string& name, const Platzart& art) const
{
    const std::string daten = m_basis + "/" + name;
    const std::string import = m_basis + "/import_" + name + "/";
    std::filesystem::create_directories(daten);
    std::filesystem::create_directories(import);
    std::vector<std::string> gruppen;
    for (int n = 1; n <= 50; ++n) {
        gruppen.push_back(gruppe(n));
    }
    schreiben(daten + "/Hestrel.DAT", einstellungsdatei(gruppen, import, art.geraet, art.signaldatei));
    schreiben(daten + "/Alarmdaten.DAT", alarmdatendatei(art.ziele));
    if (art.journalzeilen > 0) {
        schreiben(daten + "/mameldung.log", journal(art.journalzeilen));
    }
    return daten;
}

std::string einstellungsdatei(const std::vector<std::string>& gruppen, const std::string& import, bool geraet,
                              const std::string& signaldatei)
{
    std::vector<std::string> z(68);
    z[1] = import;
    z[2] = std::to_string(Standort::k_port);
    z[3] = "0";
    z[4] = signaldatei;
    z[6] = "Taste 1";
    z[7] = "0";
    z[8] = geraet ? "0" : "1";
    z[9] = " 250";
    z[10] = "1";
    z[25] = geraet ? "Kestu_10" : "keine";
    for (std::size_t i = 0; i < 50 && i < gruppen.size(); ++i) {
        z[i < 10 ? 11 + i : 26 + (i - 10)] = gruppen[i];
    }
    z[66] = " 0 ";
    z[67] = " 0 ";
    z[0] = "[" + z[1] + "][" + z[2] + "][" + z[3] + "][" + z[4] + "][][" + z[6] + "][" + z[7] + "][" + z[8] +
           "][" + z[9] + "][" + z[10] + "][]";
    return zeilen_kodieren(z);
}

std::string alarmdatendatei(const std::vector<int>& ziele)
{
    auto haken = [&](int n) {
        return std::find(ziele.begin(), ziele.end(), n) != ziele.end() ? " 1 " : " 0 ";
    };
    std::vector<std::string> z{"Überfall", "Kasse 2", "", "Bitte kommen"};
    for (int n = 1; n <= 10; ++n) {
        z.push_back(haken(n));
    }
    for (int n = 1; n <= 10; ++n) {
        z.push_back("Gruppe " + std::to_string(n));
    }
    for (int n = 11; n <= 50; ++n) {
        z.push_back(haken(n));
    }
    for (int n = 11; n <= 50; ++n) {
        z.push_back("Gruppe " + std::to_string(n));
    }
    return zeilen_kodieren(z);
}

std::string journal(int zeilen, int erste_nummer)
{
    // One entry as the reception writes it: the header line, a CR, the data
    // file's four lines each with CR LF, and the entry's own CR LF.
    std::string bytes;
    int n = 0;
    for (int eintrag = erste_nummer; n < zeilen; ++eintrag) {
        const std::string zeit = "08.12.2026 08:" + std::to_string(10 + eintrag / 60 % 50) + ":" +
                                 std::to_string(10 + eintrag % 50);
        bytes += zeit + " Alarm aus Gruppe " + std::to_string(eintrag % 50 + 1) +
                 " von:\r\xDC"
                 "berfall " +
                 std::to_string(eintrag) + "\r\nKasse 2\r\n\r\nBitte kommen\r\n\r\n";
        n += 6;
    }
    return bytes;
}

int journalzeilen(const std::string& bytes)
{
    return static_cast<int>(zeilen_zerlegen(bytes).size());
}

} // namespace hestrel::bench
