#include "reliability/altplatz.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace hestrel::test {
namespace {

constexpr const char* k_signal = "MESSAGE.XQV";
constexpr int k_importwartezeit = 16;

// "dd.mm.yyyy hh:mm:ss" on the virtual day that begins at 08:00.
std::string zeitstempel(std::int64_t ms)
{
    const std::int64_t s = ms / 1000 + 8 * 3600;
    char puffer[32];
    std::snprintf(puffer, sizeof puffer, "08.12.2026 %02lld:%02lld:%02lld",
                  static_cast<long long>(s / 3600 % 24), static_cast<long long>(s / 60 % 60),
                  static_cast<long long>(s % 60));
    return puffer;
}

} // namespace

Altplatz::Altplatz(Umgebung u)
    : m_u(std::move(u)), m_abfragetakt(m_u.scheduler.timer("Alt.Abfragetakt", 5000))
{
    m_abfragetakt->tick = [this] { tick(); };
    m_abfragetakt->start();
}

Altplatz::~Altplatz() = default;

int Altplatz::intervall() const
{
    return m_abfragetakt->interval();
}

bool Altplatz::haelt_an(std::function<void()> schritt)
{
    bool haengt = m_blockiert;
    if (!haengt && m_u.haengt) {
        haengt = !m_u.importverzeichnis.empty() && m_u.haengt(m_u.importverzeichnis);
        for (const auto& pfad : m_u.gruppenpfad) {
            haengt = haengt || (!pfad.empty() && m_u.haengt(pfad));
        }
    }
    if (!haengt) {
        return false;
    }
    // The window thread waits inside the file call: no tick, no click until the share answers.
    if (!m_blockiert) {
        m_blockiert = true;
        m_abfragetakt->stop();
        if (angehalten) {
            angehalten();
        }
    }
    m_wartend.push_back(std::move(schritt));
    return true;
}

void Altplatz::weiter()
{
    if (!m_blockiert) {
        return;
    }
    m_blockiert = false;
    auto wartend = std::move(m_wartend);
    m_wartend.clear();
    m_abfragetakt->start();
    for (auto& schritt : wartend) {
        schritt();
    }
}

void Altplatz::schreiben(const std::string& pfad, const std::string& inhalt)
{
    const int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    // A failed write leaves what came so far, as it would on a share.
    const bool ganz = ::write(fd, inhalt.data(), inhalt.size()) == static_cast<ssize_t>(inhalt.size());
    ::close(fd);
    if (ganz && m_u.geschrieben) {
        m_u.geschrieben(pfad);
    }
}

void Altplatz::alarm_ausloesen(const std::array<std::string, 4>& texte, const std::vector<int>& ziele,
                               bool alle)
{
    if (haelt_an([this, texte, ziele, alle] { alarm_ausloesen(texte, ziele, alle); })) {
        return;
    }
    std::array<bool, k_gruppen> ziel{};
    for (int i = 0; i < k_gruppen; ++i) {
        const bool gewaehlt = alle || std::find(ziele.begin(), ziele.end(), i) != ziele.end();
        ziel[static_cast<std::size_t>(i)] = gewaehlt && !m_u.gruppenpfad[static_cast<std::size_t>(i)].empty();
    }
    // The data files.
    std::string daten;
    for (const auto& t : texte) {
        daten += t + "\r\n";
    }
    for (int i = 0; i < k_gruppen; ++i) {
        if (ziel[static_cast<std::size_t>(i)]) {
            schreiben(m_u.gruppenpfad[static_cast<std::size_t>(i)] + "MDAT0.XQV", daten);
        }
    }
    // "Alarm gesetzt" goes to the event log, which this workstation does not keep.
    // A send in progress keeps its signal files; the texts are renewed.
    if (m_nachricht_gesendet || m_import_wartet) {
        return;
    }
    // An alarm waiting in the import directory: this one is handed over once it is gone.
    if (!m_u.importverzeichnis.empty() && m_u.fs.existiert(m_u.importverzeichnis + k_signal)) {
        m_import_wartet = true;
        m_import_zaehler = k_importwartezeit;
        return;
    }
    // The signal files, the poll paused meanwhile.
    m_abfragetakt->stop();
    for (int i = 0; i < k_gruppen; ++i) {
        if (ziel[static_cast<std::size_t>(i)]) {
            schreiben(m_u.gruppenpfad[static_cast<std::size_t>(i)] + k_signal, "0");
        }
    }
    // The clean-up at the poll tick 15 s from now.
    m_abfragetakt->setInterval(15000);
    m_nachricht_gesendet = true;
    m_abfragetakt->start();
}

void Altplatz::import_uebergeben()
{
    m_import_wartet = false;
    m_import_frei = false;
    m_abfragetakt->stop();
    schreiben(m_u.importverzeichnis + k_signal, "0");
    m_abfragetakt->setInterval(15000);
    m_nachricht_gesendet = true;
    m_abfragetakt->start();
}

bool Altplatz::import_abwarten()
{
    --m_import_zaehler;
    const std::string signal = m_u.importverzeichnis + k_signal;
    if (!m_u.fs.existiert(signal)) {
        m_import_frei = true;
        m_import_wartet = false;
        m_abfragetakt->setInterval(2000);
        m_import_zaehler = 0;
        return true;
    }
    if (m_import_zaehler == 0) {
        m_u.fs.loeschen(signal);
        m_import_frei = true;
        m_import_wartet = false;
        m_abfragetakt->setInterval(2000);
    }
    return false;
}

void Altplatz::aufraeumen()
{
    m_abfragetakt->stop();
    // Every group directory, whoever wrote the file lying there.
    for (const auto& pfad : m_u.gruppenpfad) {
        if (!pfad.empty() && m_u.fs.existiert(pfad + k_signal)) {
            m_u.fs.loeschen(pfad + k_signal);
        }
    }
    m_abfragetakt->setInterval(5000);
    m_nachricht_gesendet = false;
    m_abfragetakt->start();
}

void Altplatz::tick()
{
    if (haelt_an([this] { tick(); })) {
        return;
    }
    if (m_import_frei) {
        import_uebergeben();
        return;
    }
    if (m_import_wartet && import_abwarten()) {
        return;
    }
    if (m_nachricht_gesendet) {
        aufraeumen();
        return;
    }
    if (gepollt) {
        gepollt();
    }
    // The import directory's signal file.
    const bool importsignal =
        !m_u.importverzeichnis.empty() && m_u.fs.existiert(m_u.importverzeichnis + k_signal);
    // An alarm there is read each time (no once-only flag), as group index 1.
    if (!m_empfang_aktiv && importsignal) {
        m_abfragetakt->setInterval(500);
        alarm_empfangen(m_u.importverzeichnis, 1);
    }
    // It is gone: the poll goes back to its pace.
    if (m_empfang_aktiv && !importsignal) {
        m_empfang_aktiv = false;
        m_abfragetakt->setInterval(5000);
    }
    // The group directories in order: each new signal file is presented once.
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        const std::string& pfad = m_u.gruppenpfad[g];
        const bool da = !pfad.empty() && m_u.fs.existiert(pfad + k_signal);
        if (m_empfang_aktiv) {
            if (!da) {
                m_empfang_aktiv = false;
                m_abfragetakt->setInterval(5000);
            }
            continue;
        }
        if (!da) {
            m_gruppe_gemeldet[g] = false;
        } else if (!m_gruppe_gemeldet[g]) {
            m_abfragetakt->setInterval(500);
            alarm_empfangen(pfad, i);
            m_gruppe_gemeldet[g] = true;
        }
    }
}

void Altplatz::alarm_empfangen(const std::string& pfad, int gruppe)
{
    m_empfang_aktiv = true;
    // Any failure ends it at once, silently.
    std::string schluessel;
    if (m_u.fs.lesen(pfad + k_signal, schluessel)) {
        return;
    }
    const std::string daten = pfad + "MDAT" + schluessel + ".XQV";
    if (!m_u.fs.existiert(daten)) {
        m_u.fs.loeschen(pfad + k_signal);
        return;
    }
    std::string text;
    if (m_u.fs.lesen(daten, text)) {
        return;
    }
    // The window, the device output and the sound are not played here; the journal is the record.
    ++m_angezeigt;
    m_u.fs.anhaengen(m_u.daten + "/mameldung.log", zeitstempel(m_u.scheduler.jetzt_ms()) +
                                                       " Alarm aus Gruppe " + std::to_string(gruppe + 1) +
                                                       " von:\r" + text + "\r\n");
}

} // namespace hestrel::test
