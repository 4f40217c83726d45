#include "einstellungen/zusatzverwaltung.h"

#include "core/cp1252.h"
#include "core/version.h"

namespace hestrel {
namespace {

std::string getrimmt(const std::string& s)
{
    const auto anfang = s.find_first_not_of(" \t");
    if (anfang == std::string::npos) {
        return {};
    }
    return s.substr(anfang, s.find_last_not_of(" \t") - anfang + 1);
}

} // namespace

Zusatzverwaltung::Zusatzverwaltung(Zusatzeinstellungen& werte, Dateisystem& fs,
                                   const std::string& datenverzeichnis, Logbuch& log, Meldungsdienst& boxen)
    : m_werte(werte), m_fs(fs), m_datenverzeichnis(datenverzeichnis), m_log(log), m_boxen(boxen)
{
}

void Zusatzverwaltung::melden()
{
    if (geaendert) {
        geaendert();
    }
}

void Zusatzverwaltung::zeigen()
{
    if (!m_maske.sichtbar) {
        m_maske.platzname = m_werte.platzname;
        m_maske.nur_hestrel = m_werte.nur_hestrel;
        m_maske.warnton = m_werte.warnton;
        m_maske.warnton_minuten = m_werte.warnton_minuten;
        m_maske.wiederholung_sekunden = m_werte.wiederholung_sekunden;
        m_maske.wiederholung_minuten = m_werte.wiederholung_minuten;
        m_maske.meldung.clear();
    }
    m_maske.sichtbar = true;
    ++m_maske.gezeigt;
    melden();
}

void Zusatzverwaltung::ablehnen(const std::string& text)
{
    m_maske.meldung = text;
    melden();
}

bool Zusatzverwaltung::speichern_geklickt()
{
    Zusatzeinstellungen neu = m_werte;
    neu.platzname = getrimmt(m_maske.platzname);
    neu.nur_hestrel = m_maske.nur_hestrel;
    neu.warnton = m_maske.warnton;
    neu.warnton_minuten = m_maske.warnton_minuten;
    neu.wiederholung_sekunden = m_maske.wiederholung_sekunden;
    neu.wiederholung_minuten = m_maske.wiederholung_minuten;
    // The file would not read back what was typed: nothing is written.
    if (neu.platzname.empty()) {
        ablehnen("Bitte einen Namen für diesen Arbeitsplatz eingeben.");
        return false;
    }
    if (const std::string z = nicht_darstellbar(neu.platzname); !z.empty()) {
        ablehnen(unkodierbar_meldung("Name dieses Arbeitsplatzes", z));
        return false;
    }
    if (utf8_zu_cp1252(neu.platzname).size() > k_max_name) {
        ablehnen("Der Name dieses Arbeitsplatzes ist zu lang (höchstens 64 Zeichen).");
        return false;
    }
    if (neu.warnton_minuten < 1 || neu.warnton_minuten > k_max_minuten) {
        ablehnen("Warnton alle 1 bis 600 Minuten.");
        return false;
    }
    if (neu.wiederholung_sekunden < 0 || neu.wiederholung_sekunden > k_max_wiederholung_sekunden ||
        neu.wiederholung_minuten < 0 || neu.wiederholung_minuten > k_max_minuten) {
        ablehnen("Alarmton wiederholen alle 0 bis 3600 Sekunden, höchstens 0 bis 600 Minuten lang.");
        return false;
    }
    if (Fehler f = zusatz_speichern(m_fs, m_datenverzeichnis, neu)) {
        const std::string text = "Zusatzeinstellungen nicht gespeichert: " + f.meldungstext();
        m_log.logeintrag(text);
        m_boxen.hinweis(k_programmtitel, text);
        ablehnen(text);
        return false;
    }
    m_werte = neu;
    m_maske.meldung.clear();
    m_maske.sichtbar = false;
    melden();
    if (gespeichert) {
        gespeichert();
    }
    return true;
}

void Zusatzverwaltung::geschlossen()
{
    m_maske.sichtbar = false;
    m_maske.meldung.clear();
    melden();
}

} // namespace hestrel
