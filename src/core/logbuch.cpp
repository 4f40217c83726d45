#include "core/logbuch.h"

#include <iostream>

#include "core/cp1252.h"
#include "core/version.h"

namespace hestrel {
namespace {

// Entries kept while the journal cannot be written. Alarm texts are capped far
// below this, so only a flood during a long outage reaches it.
constexpr std::size_t k_max_wartend_bytes = 32u << 20;
constexpr int k_nachtrag_ms = 5000;

} // namespace

Logbuch::Logbuch(Dateisystem& fs, const Uhr& uhr, const std::string& datenverzeichnis,
                 const std::string& logfileaktive)
    : m_fs(fs), m_uhr(uhr), m_datenverzeichnis(datenverzeichnis), m_logfileaktive(logfileaktive),
      m_fehlerausgabe([](const std::string& text) { std::cerr << "hestrel: " << text << std::endl; })
{
}

std::string Logbuch::ereignislog_pfad() const
{
    return pfad_verbinden(m_datenverzeichnis, "Hestrel.log");
}
std::string Logbuch::journal_pfad() const
{
    return pfad_verbinden(m_datenverzeichnis, "mameldung.log");
}
std::string Logbuch::anzeigelog_pfad() const
{
    return pfad_verbinden(m_datenverzeichnis, "quorvis.log");
}

std::string Logbuch::zeile(const std::string& text) const
{
    const Zeitstempel z = m_uhr.jetzt();
    return kurzdatum(z) + " " + langzeit(z) + " " + text;
}

void Logbuch::journal_sichern(Scheduler& scheduler, Meldungsdienst& boxen)
{
    m_boxen = &boxen;
    m_nachtrag = scheduler.timer("Journal.nachtragen", k_nachtrag_ms);
    m_nachtrag->tick = [this] { nachtragen(); };
}

Fehler Logbuch::schreiben(const std::string& pfad, const std::string& text, bool echo)
{
    Fehler f = m_fs.anhaengen(pfad, utf8_zu_cp1252(zeile(text)) + "\r\n");
    if (f) {
        return f;
    }
    if (echo && m_echo) {
        // Date and time are taken again for the echo, as for the file line.
        const Zeitstempel z = m_uhr.jetzt();
        m_echo(kurzdatum(z) + "  " + langzeit(z) + "  " + text);
    }
    return {};
}

Fehler Logbuch::logeintrag(const std::string& text)
{
    return logeintrag(text, systemlog_prioritaet(text));
}

Fehler Logbuch::logeintrag(const std::string& text, Prioritaet prioritaet)
{
    if (m_systemlog) {
        m_systemlog->schreiben(prioritaet, text);
    }
    if (m_logfileaktive != "1") {
        return {};
    }
    Fehler f = schreiben(ereignislog_pfad(), text, true);
    if (m_systemlog && f && !m_ereignislog_gestoert) {
        m_systemlog->schreiben(Prioritaet::warnung, "Ereignislog nicht geschrieben: " + f.meldungstext());
    }
    m_ereignislog_gestoert = static_cast<bool>(f);
    return f;
}

Fehler Logbuch::meldung_eintragen(const std::string& text)
{
    std::string bytes = utf8_zu_cp1252(zeile(text)) + "\r\n";
    // Entries kept from before go first, so the file keeps the order.
    if (Fehler f = wartende_schreiben()) {
        behalten(std::move(bytes), f);
        return f;
    }
    if (Fehler f = m_fs.anhaengen(journal_pfad(), bytes)) {
        behalten(std::move(bytes), f);
        return f;
    }
    m_gestoert = false;
    if (m_echo) {
        const Zeitstempel z = m_uhr.jetzt();
        m_echo(kurzdatum(z) + "  " + langzeit(z) + "  " + text);
    }
    return {};
}

void Logbuch::systemlog_melden(const std::string& text)
{
    m_fehlerausgabe(text);
    if (m_systemlog) {
        m_systemlog->schreiben(Prioritaet::warnung, text);
    }
}

void Logbuch::behalten(std::string bytes, const Fehler& f)
{
    // The entry's first line says which alarm waits.
    const std::string erste = cp1252_zu_utf8(bytes.substr(0, bytes.find_first_of("\r\n")));
    if (m_wartend_bytes + bytes.size() > k_max_wartend_bytes) {
        ++m_verworfen;
        systemlog_melden("Journaleintrag verloren, zu viele warten schon: " + f.meldungstext() + "| " +
                         erste);
    } else {
        m_wartend_bytes += bytes.size();
        m_wartend.push_back(std::move(bytes));
        systemlog_melden("Journaleintrag nicht geschrieben, wird nachgetragen: " + f.meldungstext() + "| " +
                         erste);
    }
    if (m_nachtrag) {
        m_nachtrag->start();
    }
    if (!m_gestoert) {
        m_gestoert = true;
        if (m_boxen) {
            m_boxen->hinweis(k_programmtitel,
                             "Das Alarmjournal kann nicht geschrieben werden: " + f.meldungstext() +
                                 "\nDie Einträge werden nachgetragen, sobald es wieder geht.");
        }
    }
}

bool Logbuch::nachtragen()
{
    return !wartende_schreiben();
}

Fehler Logbuch::wartende_schreiben()
{
    if (m_wartend.empty() && m_verworfen == 0) {
        if (m_nachtrag) {
            m_nachtrag->stop();
        }
        return {};
    }
    // All kept entries in one write: the file takes them whole or not at all.
    std::string bytes;
    bytes.reserve(m_wartend_bytes + 128);
    for (const auto& eintrag : m_wartend) {
        bytes += eintrag;
    }
    if (m_verworfen > 0) {
        bytes += utf8_zu_cp1252(zeile(std::to_string(m_verworfen) +
                                      " Journaleinträge verloren: das Journal war nicht beschreibbar")) +
                 "\r\n";
    }
    if (Fehler f = m_fs.anhaengen(journal_pfad(), bytes)) {
        return f;
    }
    const std::string bericht = "Journal wieder beschreibbar: " + std::to_string(m_wartend.size()) +
                                " Einträge nachgetragen" +
                                (m_verworfen > 0 ? ", " + std::to_string(m_verworfen) + " verloren" : "");
    m_wartend.clear();
    m_wartend_bytes = 0;
    m_verworfen = 0;
    m_gestoert = false;
    if (m_nachtrag) {
        m_nachtrag->stop();
    }
    m_fehlerausgabe(bericht);
    logeintrag(bericht);
    return {};
}

Fehler Logbuch::anzeigelog_eintragen(const std::string& text)
{
    if (m_logfileaktive != "1") {
        return {};
    }
    return schreiben(anzeigelog_pfad(), text, false);
}

} // namespace hestrel
