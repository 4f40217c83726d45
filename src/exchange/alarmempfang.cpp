#include "exchange/alarmempfang.h"

#include "core/cp1252.h"
#include "core/hestrel.h"
#include "exchange/alarmversand.h"
#include "exchange/austauschdateien.h"
#include "exchange/tonausgabe.h"
#include "presentation/alarmanzeige.h"

namespace hestrel {
namespace {

constexpr int k_importgruppe = 1;
constexpr int k_piepticks = 3;
constexpr int k_piepe_pro_tick = 3;
constexpr int k_piepfrequenz = 2000;
constexpr int k_piepdauer = 300;

}  // namespace

Alarmempfang::Alarmempfang(Hestrel& hestrel, Alarmversand& versand, Alarmanzeige& anzeige, Tonausgabe* ton)
    : m_h(hestrel), m_versand(versand), m_anzeige(anzeige), m_ton(ton)
{
}

bool Alarmempfang::signal_vorhanden(const std::string& verzeichnis)
{
    // An empty directory setting means none: nothing is looked for beside the program.
    return !verzeichnis.empty() && m_h.dienste().fs.existiert(verzeichnis + k_signaldatei);
}

void Alarmempfang::Timer1_Timer()
{
    Zeitgeber& timer = m_h.Timer1();
    if (m_versand.import_frei()) {
        m_versand.T1();
        return;
    }
    if (m_versand.import_wartet() && m_versand.T2()) {
        return;
    }
    // The clean-up tick polls as well: the sender has not looked for 15 s,
    // and alarms raised meanwhile are removed by their senders 15 s after theirs.
    if (m_versand.nachricht_gesendet()) {
        m_versand.T3();
    }

    // A signal file that is not ready leaves the cycle as if it had not been seen.
    auto empfangen = [&](const std::string& pfad, int gruppe) {
        const int vorher = timer.interval();
        timer.setInterval(500);
        const Ergebnis e = alarm_empfangen(pfad, gruppe);
        if (e == Ergebnis::nicht_bereit) {
            m_empfang_aktiv = false;
            timer.setInterval(vorher);
        }
        return e;
    };

    // R1
    const std::string& import = m_h.einstellungen().importverzeichnis;
    const bool importsignal = signal_vorhanden(import);
    // R2: the import directory has no once-only flag.
    if (!m_empfang_aktiv && importsignal) {
        empfangen(import, k_importgruppe);
    }
    // R3
    if (m_empfang_aktiv && !importsignal) {
        m_empfang_aktiv = false;
        timer.setInterval(5000);
    }
    // R4
    bool wartet = false;
    for (int i = 0; i < k_gruppen; ++i) {
        const std::string& pfad = m_h.einstellungen().gruppenpfad[static_cast<std::size_t>(i)];
        const bool signal = signal_vorhanden(pfad);
        auto& gemeldet = m_gruppe_gemeldet[static_cast<std::size_t>(i)];
        auto& kennung = m_gemeldet_als[static_cast<std::size_t>(i)];
        if (m_empfang_aktiv) {
            if (!signal) {
                m_empfang_aktiv = false;
                timer.setInterval(5000);
            } else if (!wartet && (!gemeldet || m_h.dienste().fs.info(pfad + k_signaldatei) != kennung)) {
                wartet = true;
            }
            continue;
        }
        if (!signal) {
            // A share that cannot be reached still holds its signal file: once
            // it is back, that file is no new alarm.
            if (!gemeldet || m_h.dienste().fs.existiert(pfad)) {
                gemeldet = false;
            }
            continue;
        }
        // Another file under the signal file's name (a second sender within
        // the 15 s, or a new alarm after a gap shorter than a poll) is a new alarm.
        const std::optional<Dateiinfo> jetzt = m_h.dienste().fs.info(pfad + k_signaldatei);
        if (gemeldet && jetzt == kennung) {
            continue;
        }
        if (empfangen(pfad, i) != Ergebnis::nicht_bereit) {
            gemeldet = true;
            kennung = jetzt;
        }
    }
    // A new signal file passed over in this tick is taken up half a second
    // on, as after an alarm: a whole poll period later its sender may have
    // removed it, 15 s after sending, before a run of such groups is through.
    if (wartet) {
        timer.setInterval(500);
    }
}

Alarmempfang::Ergebnis Alarmempfang::alarm_empfangen(const std::string& pfad, int gruppe)
{
    Dateisystem& fs = m_h.dienste().fs;
    const Einstellungen& e = m_h.einstellungen();
    m_empfang_aktiv = true;

    // Another program may still be writing the signal file: an empty or
    // unreadable one is neither deleted nor counted as presented.
    std::string schluessel;
    if (fs.lesen(pfad + k_signaldatei, schluessel, k_max_schluessel + 1) || schluessel.empty()) {
        return Ergebnis::nicht_bereit;
    }
    if (!schluessel_gueltig(schluessel) || !fs.existiert(pfad + datendatei(schluessel))) {
        // A share gone since the signal file was read holds the data file all
        // the same: the alarm is neither deleted nor counted, but tried again.
        if (schluessel_gueltig(schluessel) && !fs.existiert(pfad)) {
            return Ergebnis::nicht_bereit;
        }
        fs.loeschen(pfad + k_signaldatei);
        return Ergebnis::abgebrochen;
    }
    std::string roh;
    if (Fehler f = fs.lesen(pfad + datendatei(schluessel), roh, k_max_alarmtext)) {
        m_h.log().logeintrag("Alarmdatei nicht gelesen: " + f.meldungstext());
        return Ergebnis::abgebrochen;
    }
    const std::string text = cp1252_zu_utf8(roh);

    m_anzeige.Alarm(text, e.portnummer, e.comdeaktiviert);
    if (e.comdeaktiviert == "0") {
        m_h.MSCOM_Ausgabe(true, gruppe, 2);
    }
    if (m_h.meldeliste) {
        m_h.meldeliste->zeigen();
    }
    ton_ausgeben();
    if (Fehler f = m_h.log().meldung_eintragen("Alarm aus Gruppe " + std::to_string(gruppe + 1) + " von:" +
                                               "\r" + text)) {
        m_h.log().logeintrag("Alarm nicht ins Journal geschrieben: " + f.meldungstext());
    }
    if (e.comdeaktiviert == "1" && m_h.meldeliste) {
        m_h.meldeliste->relais_farbe(gruppe, k_rot);
    }
    return Ergebnis::praesentiert;
}

void Alarmempfang::ton_ausgeben()
{
    const std::string wav = m_h.einstellungen().signaldatei;
    if (wav.empty() || wav == "kein") {
        piepen_starten();
        return;
    }
    m_h.log().logeintrag(wav);
    // A missing or unplayable file must not leave the alarm silent. The sound
    // output reads the file itself, away from the window thread.
    if (!m_ton) {
        piepen_starten();
        return;
    }
    m_ton->abspielen(wav, [this, wav] {
        m_h.log().logeintrag("Signaldatei nicht abspielbar: " + wav);
        piepen_starten();
    });
}

void Alarmempfang::piepen_starten()
{
    // Each alarm adds its own three ticks: one arriving while another's beeps
    // are still being asked for does not cut those short.
    m_piep_zaehler += k_piepticks;
    if (!m_h.Timer2().aktiv()) {
        m_h.Timer2().start();
    }
}

void Alarmempfang::Timer2_Timer()
{
    for (int n = 0; n < k_piepe_pro_tick; ++n) {
        if (m_ton) {
            m_ton->piepen(k_piepfrequenz, k_piepdauer);
        }
    }
    --m_piep_zaehler;
    if (m_piep_zaehler <= 0) {
        m_h.Timer2().stop();
    }
}

}  // namespace hestrel
