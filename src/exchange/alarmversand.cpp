#include "exchange/alarmversand.h"

#include <array>

#include "core/cp1252.h"
#include "core/hestrel.h"
#include "core/textdatei.h"
#include "core/version.h"
#include "exchange/austauschdateien.h"
#include "presentation/alarmgesendet.h"

namespace hestrel {
namespace {

constexpr int k_importwartezeit = 16;

}  // namespace

Alarmversand::Alarmversand(Hestrel& hestrel, Alarmgesendet& bestaetigung)
    : m_h(hestrel), m_bestaetigung(bestaetigung)
{
}

bool Alarmversand::ziel(int index, bool alle) const
{
    if (m_h.maske().pfade[static_cast<std::size_t>(index)].empty()) {
        return false;
    }
    // Only a ticked box counts; a greyed one (2) does not.
    return alle || (m_h.meldeliste && m_h.meldeliste->melde_gruppe(index) == 1);
}

std::string Alarmversand::importsignal() const
{
    return m_h.einstellungen().importverzeichnis + k_signaldatei;
}

void Alarmversand::schreibfehler(const std::string& ziel, const Fehler& f)
{
    const std::string text = ziel + ": " + f.meldungstext();
    m_h.log().logeintrag("Alarm nicht geschrieben, " + text);
    m_fehler.push_back(text);
}

void Alarmversand::schreibfehler_zeigen()
{
    if (m_fehler.empty()) {
        return;
    }
    std::string text = "Der Alarm konnte nicht überall geschrieben werden:";
    for (const auto& zeile : m_fehler) {
        text += "\n" + zeile;
    }
    m_fehler.clear();
    m_h.dienste().boxen.hinweis(k_programmtitel, text);
}

void Alarmversand::sammelmeldung()
{
    Dateisystem& fs = m_h.dienste().fs;
    m_fehler.clear();

    // S1
    const bool alle = m_h.meldeliste && m_h.meldeliste->melde_alle();

    // S2: every data file is complete before the first signal file appears.
    std::array<std::string, 4> texte;
    if (m_h.meldeliste) {
        texte = m_h.meldeliste->sammeltexte();
    }
    const std::string daten = zeilen_kodieren({texte.begin(), texte.end()});
    std::array<bool, k_gruppen> geschrieben {};
    for (int i = 0; i < k_gruppen; ++i) {
        if (!ziel(i, alle)) {
            continue;
        }
        const std::string& pfad = m_h.maske().pfade[static_cast<std::size_t>(i)];
        if (Fehler f = fs.ersetzen_fluechtig(pfad + k_sendedatei, daten)) {
            schreibfehler("Gruppe " + std::to_string(i + 1), f);
        } else {
            geschrieben[static_cast<std::size_t>(i)] = true;
        }
    }

    // S3
    m_h.log().logeintrag("Alarm gesetzt");

    // S4: a send in progress keeps its signal files; the texts are renewed.
    if (m_nachricht_gesendet || m_import_wartet) {
        schreibfehler_zeigen();
        return;
    }

    // S4a
    if (!m_h.einstellungen().importverzeichnis.empty() && fs.existiert(importsignal())) {
        m_import_wartet = true;
        m_import_zaehler = k_importwartezeit;
        schreibfehler_zeigen();
        return;
    }

    // S5: a group whose data file failed gets no signal, which would show an old text.
    m_h.Timer1().stop();
    const std::string signal = utf8_zu_cp1252(m_h.einstellungen().idnummer);
    for (int i = 0; i < k_gruppen; ++i) {
        if (!ziel(i, alle) || !geschrieben[static_cast<std::size_t>(i)]) {
            continue;
        }
        const std::string& pfad = m_h.maske().pfade[static_cast<std::size_t>(i)];
        if (Fehler f = fs.ersetzen_fluechtig(pfad + k_signaldatei, signal)) {
            schreibfehler("Gruppe " + std::to_string(i + 1), f);
        }
    }

    // S6
    m_bestaetigung.einschalten();
    m_h.Timer1().setInterval(15000);
    m_nachricht_gesendet = true;
    m_h.Timer1().start();
    signale_merken();
    schreibfehler_zeigen();
}

void Alarmversand::T1()
{
    m_import_wartet = false;
    m_import_frei = false;
    m_h.Timer1().stop();
    // Without an import directory (changed meanwhile) the signal has nowhere to go.
    if (!m_h.einstellungen().importverzeichnis.empty()) {
        const std::string signal = utf8_zu_cp1252(m_h.einstellungen().idnummer);
        if (Fehler f = m_h.dienste().fs.ersetzen_fluechtig(importsignal(), signal)) {
            schreibfehler("Importverzeichnis", f);
        }
    }
    m_bestaetigung.einschalten();
    m_h.Timer1().setInterval(15000);
    m_nachricht_gesendet = true;
    m_h.Timer1().start();
    signale_merken();
    schreibfehler_zeigen();
}

bool Alarmversand::T2()
{
    --m_import_zaehler;
    Dateisystem& fs = m_h.dienste().fs;
    const bool vorhanden = !m_h.einstellungen().importverzeichnis.empty() && fs.existiert(importsignal());
    if (!vorhanden) {
        m_import_frei = true;
        m_import_wartet = false;
        m_h.Timer1().setInterval(2000);
        m_import_zaehler = 0;
        return true;
    }
    if (m_import_zaehler <= 0) {
        if (Fehler f = fs.loeschen(importsignal())) {
            m_h.log().logeintrag("Message nicht gelöscht: " + f.meldungstext());
        }
        m_import_frei = true;
        m_import_wartet = false;
        m_h.Timer1().setInterval(2000);
    }
    return false;
}

void Alarmversand::signale_merken()
{
    Dateisystem& fs = m_h.dienste().fs;
    for (int i = 0; i < k_gruppen; ++i) {
        const std::string& pfad = m_h.einstellungen().gruppenpfad[static_cast<std::size_t>(i)];
        m_nach_dem_senden[static_cast<std::size_t>(i)] =
            pfad.empty() ? std::nullopt : fs.info(pfad + k_signaldatei);
    }
}

void Alarmversand::T3()
{
    Dateisystem& fs = m_h.dienste().fs;
    m_h.Timer1().stop();
    // All 50 directories: a signal file another workstation left is removed
    // too, once it has lain there for the whole wait. One that appeared since
    // the send, or replaced this workstation's, belongs to a later alarm whose
    // receivers need their 15 s: its own sender removes it.
    for (int i = 0; i < k_gruppen; ++i) {
        const std::string& pfad = m_h.einstellungen().gruppenpfad[static_cast<std::size_t>(i)];
        if (pfad.empty() || !fs.existiert(pfad + k_signaldatei)) {
            continue;
        }
        const auto gemerkt = m_nach_dem_senden[static_cast<std::size_t>(i)];
        if (!gemerkt || fs.info(pfad + k_signaldatei) != gemerkt) {
            continue;
        }
        if (Fehler f = fs.loeschen(pfad + k_signaldatei)) {
            m_h.log().logeintrag("Message nicht gelöscht: " + f.meldungstext());
            continue;
        }
        m_h.log().logeintrag("Message - gelöscht");
        m_bestaetigung.command1_freigeben();
    }
    m_h.Timer1().setInterval(5000);
    m_nachricht_gesendet = false;
    m_h.Timer1().start();
}

}  // namespace hestrel
