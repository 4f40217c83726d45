#include "arbeitsplatz/arbeitsplatz.h"

#include "presentation/alarmanzeige.h"
#include "presentation/alarmgesendet.h"
#include "tray/programminfo.h"

namespace hestrel {

Arbeitsplatz::Arbeitsplatz(Dienste dienste)
    : m_d(dienste), m_einreihend(m_d.fs, m_d.scheduler),
      m_log(m_d.fs, m_d.uhr, m_datenverzeichnis, m_werte.logfileaktive)
{
    m_einstellungen = std::make_unique<Einstellungsverwaltung>(
        m_werte, m_log, m_datenverzeichnis, m_d.fs, freigaben(), m_d.scheduler, m_d.boxen, m_d.port, *this);
    // A journal entry that cannot be written waits and is retried; the user is told once.
    m_log.journal_sichern(m_d.scheduler, m_d.boxen);
    m_meldeliste = std::make_unique<Meldeliste>(m_werte, m_datenverzeichnis, m_d.fs, m_d.uhr, m_d.scheduler,
                                                m_d.boxen, *this);
    m_programminfo = std::make_unique<Programminfo>();
    m_traymenue = std::make_unique<Traymenue>(*this, m_d.port, *m_programminfo);
    m_alarmanzeige = std::make_unique<Alarmanzeige>(m_werte, m_log, m_d.boxen, m_d.scheduler, m_d.prozesse);
    m_alarmgesendet = std::make_unique<Alarmgesendet>(m_d.scheduler);
    m_alarmversand = std::make_unique<Alarmversand>(*m_einstellungen, m_log, freigaben(), m_d.scheduler,
                                                    m_d.boxen, *m_alarmgesendet);
    m_empfang = std::make_unique<Alarmempfang>(m_werte, m_log, m_d.fs, freigaben(), m_d.scheduler, m_d.uhr,
                                               *m_alarmversand, *m_alarmanzeige, m_d.ton, *this);
    m_schau = std::make_unique<Verzeichnisschau>(freigaben(), m_d.scheduler);
    m_rueckmeldungen = std::make_unique<Rueckmeldungen>(m_zusatz, m_log, freigaben(), m_d.scheduler, m_d.uhr,
                                                        m_d.ton, *m_alarmanzeige, *m_alarmgesendet, *m_schau);
    m_alarmversand->absender_setzen(m_zusatz, m_d.uhr, *m_rueckmeldungen);
    m_alarmversand->freigabeuhr_setzen(m_schau.get());
    m_empfang->folgen_setzen(m_rueckmeldungen.get());
    // An alarm nobody answers sounds again, as the desk's Hestrel-Zusatz.ini says.
    m_alarmanzeige->zusatz_setzen(&m_zusatz);
    m_alarmanzeige->ton_wiederholen = [this] { m_empfang->ton_wiederholen(); };
    m_geraet =
        std::make_unique<Geraet>(*m_einstellungen, m_log, m_d.boxen, m_d.port, m_d.scheduler, m_d.uhr, *this);
    m_einstellungen->standort_setzen(m_d.standortverzeichnisse);
    m_meldeliste->standort_setzen(m_d.standortverzeichnisse);
    meldeliste_verwenden(m_meldeliste.get());
    zusatz_verbinden();
}

void Arbeitsplatz::zusatz_verbinden()
{
    m_anwesenheit = std::make_unique<Anwesenheitsmelder>(m_werte, m_zusatz, m_log, freigaben(), m_d.scheduler,
                                                         m_d.uhr, *m_schau);
    m_anwesenheit->anzeige_setzen(m_meldeliste.get());
    m_ueberwachung = std::make_unique<Ueberwachung>(m_werte, m_zusatz, m_log, freigaben(), m_d.scheduler,
                                                    m_d.uhr, m_d.ton, *this);
    m_ueberwachung->anzeige_setzen(this);
    // A presence record that cannot be written is a fault of its group.
    m_anwesenheit->schreibergebnis = [this](int index, const std::string& fehler) {
        const std::string schluessel = "anwesenheit-" + std::to_string(index + 1);
        if (fehler.empty()) {
            m_ueberwachung->behoben(schluessel);
        } else {
            m_ueberwachung->stoerung(schluessel, index,
                                     "Gruppe " + std::to_string(index + 1) +
                                         ": Anwesenheit nicht geschrieben: " + fehler);
        }
    };
    m_zusatzverwaltung =
        std::make_unique<Zusatzverwaltung>(m_zusatz, m_d.fs, m_datenverzeichnis, m_log, m_d.boxen);
    // A new name is on the shares with the next round, now.
    m_zusatzverwaltung->gespeichert = [this] { m_anwesenheit->runde(); };
}

Arbeitsplatz::~Arbeitsplatz() = default;

void Arbeitsplatz::starten(const std::string& datenverzeichnis)
{
    m_datenverzeichnis = datenverzeichnis;
    m_einstellungen->starten();
    std::string meldung;
    m_zusatz = zusatz_laden(m_d.fs, m_datenverzeichnis, meldung);
    if (!meldung.empty()) {
        m_log.logeintrag(meldung);
    }
    // Runs even where the load opened the settings window for setting up.
    m_empfang->abfragetakt().start();
    m_anwesenheit->starten();
    m_ueberwachung->starten();
    m_traymenue->laden();
    if (m_empfangsanzeige) {
        m_empfangsanzeige->zeigen();
    }
    m_einstellungen->melden();
}

void Arbeitsplatz::beenden()
{
    if (m_d.port.offen()) {
        m_d.port.schliessen();
    }
    m_traymenue->beenden();
}

void Arbeitsplatz::abfrage_anhalten()
{
    m_empfang->abfragetakt().stop();
}

void Arbeitsplatz::abfrage_fortsetzen()
{
    m_empfang->abfragetakt().start();
}

void Arbeitsplatz::tastenverzoegerung_setzen(int ms)
{
    m_geraet->entprellung().setInterval(ms);
}

void Arbeitsplatz::geraeteabfrage_setzen(bool an)
{
    m_geraet->statusabfrage().setEnabled(an);
}

void Arbeitsplatz::programm_beenden()
{
    beenden();
}

void Arbeitsplatz::alarm_ausloesen()
{
    reichweite_melden();
    m_alarmversand->alarm_ausloesen();
}

void Arbeitsplatz::reichweite_melden()
{
    if (m_zielauswahl == nullptr) {
        return;
    }
    // The targets as the send takes them: ticked (or all) groups with a directory.
    const bool alle = m_zielauswahl->melde_alle();
    std::vector<int> ziele;
    for (int i = 0; i < k_gruppen; ++i) {
        if (!m_einstellungen->maske().pfade[static_cast<std::size_t>(i)].empty() &&
            (alle || m_zielauswahl->melde_gruppe(i) == 1)) {
            ziele.push_back(i);
        }
    }
    m_alarmgesendet->reichweite_setzen(
        ziele.empty() ? std::vector<std::string>{} : m_anwesenheit->reichweite(ziele, m_zusatz.nur_hestrel));
}

void Arbeitsplatz::alarmanzeige_verbergen()
{
    m_alarmanzeige->verbergen();
}

void Arbeitsplatz::ausgang_ausschalten(int gruppe)
{
    m_geraet->statusausgabe(false, gruppe, Geraet::k_ausgang_aus);
}

void Arbeitsplatz::alarm_an_geraet(int gruppe)
{
    m_geraet->statusausgabe(true, gruppe, Geraet::k_ausgang_an);
}

void Arbeitsplatz::meldeliste_zeigen()
{
    // Asked for in the menu: the list comes forward with the keyboard.
    m_meldeliste->auf_wunsch_vormerken();
    if (m_empfangsanzeige) {
        m_empfangsanzeige->zeigen();
    }
}

void Arbeitsplatz::probealarm_senden()
{
    reichweite_melden();
    m_alarmversand->alarm_ausloesen(true);
}

void Arbeitsplatz::einstellungen_zeigen()
{
    m_einstellungen->einstellungen_zeigen();
}

void Arbeitsplatz::zusatz_zeigen()
{
    m_zusatzverwaltung->zeigen();
}

void Arbeitsplatz::warnung_bestaetigen()
{
    m_ueberwachung->bestaetigen();
}

void Arbeitsplatz::abmelden(std::function<void()> danach)
{
    m_ueberwachung->takt().stop();
    m_anwesenheit->abmelden(std::move(danach));
}

bool Arbeitsplatz::gruppe_unerreichbar(int index)
{
    return m_empfang->unerreichbar(index);
}

bool Arbeitsplatz::geraet_stumm()
{
    return m_geraet->stumm();
}

std::size_t Arbeitsplatz::journal_wartend()
{
    return m_log.wartende_eintraege();
}

void Arbeitsplatz::warnung_zeigen(const std::string& text)
{
    m_traymenue->warnung_setzen(text);
}

void Arbeitsplatz::gruppe_warnen(int index, bool an)
{
    m_meldeliste->gruppe_warnen(index, an);
}

} // namespace hestrel
