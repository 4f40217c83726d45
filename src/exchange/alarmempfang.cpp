#include "exchange/alarmempfang.h"

#include "core/cp1252.h"
#include "core/tonausgabe.h"
#include "einstellungen/einstellungsverwaltung.h"
#include "exchange/alarmversand.h"
#include "exchange/austauschdateien.h"
#include "presentation/alarmanzeige.h"

namespace hestrel {
namespace {

constexpr int k_importgruppe = 1;
constexpr int k_piepticks = 3;
constexpr int k_piepe_pro_tick = 3;
constexpr int k_piepfrequenz = 2000;
constexpr int k_piepdauer = 300;
constexpr int k_probetonfrequenz = 1500;
constexpr int k_probetondauer = 200;

bool ist_datei(const std::optional<Verzeichnisbefund>& b)
{
    return b && b->signal.art == Dateistand::Art::datei;
}

// The group's origin record, when it belongs to the signal file and the text
// read: written while that signal file lay there (not before it; the signal
// file still the same after the record was read) and with the text's check sum.
std::optional<Herkunft> herkunft_pruefen(Dateisystem& fs, const std::string& pfad, const Verzeichnisbefund& b)
{
    const Dateistand st = fs.stand(pfad + k_herkunftsdatei);
    std::string bytes;
    if (st.art != Dateistand::Art::datei || st.info.groesse > k_max_begleitdatei ||
        st.info.geaendert_ns < b.signal.info.geaendert_ns ||
        fs.lesen(pfad + k_herkunftsdatei, bytes, k_max_begleitdatei + 1)) {
        return std::nullopt;
    }
    std::string grund;
    std::optional<Herkunft> h = herkunft_lesen(bytes, grund);
    if (!h || h->pruefsumme != pruefsumme(b.datentext)) {
        return std::nullopt;
    }
    const Dateistand danach = fs.stand(pfad + k_signaldatei);
    if (danach.art != Dateistand::Art::datei || danach.info != b.signal.info) {
        return std::nullopt;
    }
    return h;
}

} // namespace

Alarmempfang::Alarmempfang(const Einstellungen& einstellungen, Logbuch& log, Dateisystem& fs,
                           Freigabedienst& freigaben, Scheduler& scheduler, const Uhr& uhr,
                           Alarmversand& versand, Alarmanzeige& anzeige, Tonausgabe* ton,
                           Geraeteausgang& ausgang)
    : m_e(einstellungen), m_log(log), m_fs(fs), m_freigaben(freigaben), m_scheduler(scheduler), m_uhr(uhr),
      m_versand(versand), m_anzeige(anzeige), m_ton(ton), m_ausgang(ausgang),
      m_abfragetakt(scheduler.timer("Abfragetakt", 5000)), m_piepser(scheduler.timer("Piepser", 15)),
      m_frist(scheduler.timer("Antwortfrist", k_antwortfrist_ms))
{
    m_abfragetakt->tick = [this] { abfragen(); };
    m_piepser->tick = [this] { piepen(); };
    m_frist->tick = [this] { auswerten(); };
    m_versand.abfragetakt_verbinden(*m_abfragetakt);
    // The poll runs from the start.
    m_abfragetakt->start();
}

Alarmempfang::~Alarmempfang()
{
    *m_lebt = false;
}

Verzeichnisbefund Alarmempfang::befund_erheben(Dateisystem& fs, const std::string& pfad,
                                               bool verzeichnis_pruefen, bool einhaengen_pruefen)
{
    Verzeichnisbefund b;
    b.signal = fs.stand(pfad + k_signaldatei);
    // A share that cannot be reached holds its signal file still; so does one
    // whose empty mount point shows in its place.
    if (b.signal.art == Dateistand::Art::fehlt && verzeichnis_pruefen) {
        b.verzeichnis_da = fs.existiert(pfad);
        if (b.verzeichnis_da && einhaengen_pruefen) {
            b.eingehaengt = fs.eingehaengt(pfad);
        }
    }
    return b;
}

void Alarmempfang::befund_lesen(Dateisystem& fs, const std::string& pfad, Verzeichnisbefund& b)
{
    b.gelesen = true;
    b.eingehaengt = fs.eingehaengt(pfad);
    b.schluesselfehler = fs.lesen(pfad + k_signaldatei, b.schluessel, k_max_schluessel + 1);
    if (b.schluesselfehler || b.schluessel.empty()) {
        return;
    }
    if (schluessel_gueltig(b.schluessel)) {
        b.daten = fs.stand(pfad + datendatei(b.schluessel));
        if (b.daten.art == Dateistand::Art::datei) {
            b.datenfehler = fs.lesen(pfad + datendatei(b.schluessel), b.datentext, k_max_alarmtext);
            static const std::string probevorsatz = utf8_zu_cp1252(std::string(k_probevorsatz));
            if (!b.datenfehler && (b.herkunft_lesen || b.datentext.starts_with(probevorsatz))) {
                b.herkunft = herkunft_pruefen(fs, pfad, b);
            }
        } else if (b.daten.art != Dateistand::Art::fehlt) {
            b.datenfehler = b.daten.fehler;
        }
    }
    if (!schluessel_gueltig(b.schluessel) || b.daten.art == Dateistand::Art::fehlt) {
        b.verzeichnis_da = fs.existiert(pfad);
    }
}

std::string Alarmempfang::verzeichnisname(std::size_t index) const
{
    return index == k_import ? std::string("Importverzeichnis") : "Gruppe " + std::to_string(index + 1);
}

void Alarmempfang::stoerung_setzen(std::size_t index, const std::string& grund)
{
    Verzeichnis& v = m_verzeichnisse[index];
    if (v.unerreichbar) {
        return;
    }
    v.unerreichbar = true;
    const Zeitstempel z = m_uhr.jetzt();
    v.stoerung = "nicht erreichbar seit " + kurzdatum(z) + " " + langzeit(z) + ": " + grund;
    m_log.logeintrag(verzeichnisname(index) + " " + v.stoerung);
    if (index != k_import && m_liste) {
        m_liste->gruppe_erreichbar(static_cast<int>(index), false, v.stoerung);
    }
}

void Alarmempfang::stoerung_aufheben(std::size_t index)
{
    Verzeichnis& v = m_verzeichnisse[index];
    if (!v.unerreichbar) {
        return;
    }
    v.unerreichbar = false;
    v.stoerung.clear();
    m_log.logeintrag(verzeichnisname(index) + " wieder erreichbar");
    if (index != k_import && m_liste) {
        m_liste->gruppe_erreichbar(static_cast<int>(index), true, "");
    }
}

void Alarmempfang::abfragen()
{
    // A tick still waiting is decided now, with what came.
    abschliessen();
    if (m_versand.import_frei()) {
        m_versand.import_uebergeben();
        return;
    }
    umsehen();
}

void Alarmempfang::abschliessen()
{
    m_nicht_mehr_lesen = true;
    while (m_phase != Phase::ruhe) {
        frist_abgelaufen();
    }
    m_nicht_mehr_lesen = false;
}

void Alarmempfang::umsehen()
{
    const Einstellungen& e = m_e;
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    ++m_runde;
    m_phase = Phase::fragen;
    for (std::size_t i = 0; i <= k_gruppen; ++i) {
        Verzeichnis& v = m_verzeichnisse[i];
        v.pfad = i == k_import ? e.importverzeichnis : e.gruppenpfad[i];
        // An empty directory setting means none: nothing is looked for beside the program.
        if (v.pfad.empty()) {
            v.befund = Verzeichnisbefund{};
            v.befund->verzeichnis_da = false;
            continue;
        }
        if (v.unterwegs) {
            if (jetzt - v.seit_ms >= k_unerreichbar_ms) {
                stoerung_setzen(i, "das Verzeichnis antwortet nicht");
            }
            continue;
        }
        v.unterwegs = true;
        v.seit_ms = jetzt;
        v.gefragt_in = m_runde;
        const bool verzeichnis_pruefen = i != k_import && m_gruppe_gemeldet[i];
        const bool einhaengen_pruefen = verzeichnis_pruefen && m_gemeldet_eingehaengt[i];
        auto befund = std::make_shared<Verzeichnisbefund>();
        m_freigaben.auftrag(
            v.pfad,
            [befund, pfad = v.pfad, verzeichnis_pruefen, einhaengen_pruefen](Dateisystem& fs) {
                *befund = befund_erheben(fs, pfad, verzeichnis_pruefen, einhaengen_pruefen);
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), i, befund](bool) {
                if (lebt.lock()) {
                    antwort(i, std::move(*befund));
                }
            },
            -1, Spur::alarm);
    }
    auswerten_wenn_bereit();
    if (m_phase == Phase::fragen) {
        m_frist->start();
    }
}

void Alarmempfang::antwort(std::size_t index, Verzeichnisbefund befund)
{
    Verzeichnis& v = m_verzeichnisse[index];
    v.unterwegs = false;
    const bool einhaengepunkt_leer = index != k_import && befund.signal.art == Dateistand::Art::fehlt &&
                                     befund.eingehaengt == false && m_gruppe_gemeldet[index] &&
                                     m_gemeldet_eingehaengt[index];
    if (befund.signal.art == Dateistand::Art::fehler) {
        stoerung_setzen(index, befund.signal.fehler.beschreibung);
    } else if (einhaengepunkt_leer) {
        stoerung_setzen(index, "die Freigabe ist nicht eingehängt");
    } else {
        stoerung_aufheben(index);
    }
    // A late answer waits for the next tick: one look at a time per directory,
    // so answers never overtake each other.
    v.befund = std::move(befund);
    if (m_phase == Phase::fragen) {
        auswerten_wenn_bereit();
    }
}

void Alarmempfang::auswerten_wenn_bereit()
{
    for (std::size_t i = 0; i <= k_gruppen; ++i) {
        // Asked in this tick and not answered yet.
        const Verzeichnis& v = m_verzeichnisse[i];
        if (v.unterwegs && v.gefragt_in == m_runde) {
            return;
        }
    }
    auswerten();
}

void Alarmempfang::frist_abgelaufen()
{
    m_frist->stop();
    if (m_phase == Phase::fragen) {
        auswerten();
    } else if (m_phase == Phase::lesen) {
        // The alarm could not be read in time: it is tried again at the next tick.
        ++m_lesung;
        Verzeichnisbefund ungelesen;
        gelesen(m_liest, ungelesen);
        weiter();
    }
}

void Alarmempfang::loeschen_lassen(const std::string& pfad, const Dateiinfo& signal)
{
    // Only while it is still the file that was read: another sender's may have taken its place.
    m_freigaben.auftrag(
        pfad,
        [ziel = pfad + k_signaldatei, signal](Dateisystem& fs) {
            const Dateistand st = fs.stand(ziel);
            if (st.art == Dateistand::Art::datei && st.info == signal) {
                fs.loeschen(ziel);
            }
        },
        nullptr, -1, Spur::alarm);
}

void Alarmempfang::auswerten()
{
    m_frist->stop();
    for (std::size_t i = 0; i <= k_gruppen; ++i) {
        m_befunde[i] = std::move(m_verzeichnisse[i].befund);
        m_verzeichnisse[i].befund.reset();
        if (m_befunde[i] && m_befunde[i]->signal.art == Dateistand::Art::fehler) {
            // An error is no answer: the group keeps what it presented.
            m_befunde[i].reset();
        }
    }
    // Unknown while the import directory has not answered.
    m_importsignal.reset();
    if (const auto& import = m_befunde[k_import]) {
        m_importsignal = import->signal.art == Dateistand::Art::datei;
    }
    m_phase = Phase::ruhe;

    if (m_versand.import_wartet() && m_versand.import_abwarten(m_importsignal)) {
        return;
    }
    // The clean-up tick polls as well: the sender has not looked for 15 s,
    // and alarms raised meanwhile are removed by their senders 15 s after theirs.
    if (m_versand.nachricht_gesendet()) {
        m_versand.aufraeumen(m_befunde);
    } else {
        m_versand.eigene_entfernen();
    }
    liegengebliebene_entfernen();
    m_schritt = Schritt::import;
    weiter();
}

void Alarmempfang::liegengebliebene_entfernen()
{
    // Workstations that keep a group marked as presented while any signal file
    // lies there miss the next alarm in that group for as long as a stopped
    // sender's file stays. Its age is judged by the share's clock (desks'
    // clocks differ) from the look the poll took anyway: older than the
    // clean-up's wait plus a poll, it is removed; so is one this desk has
    // watched unchanged for a minute on its own clock (the share's clock not
    // known yet, or a time stamp that is not the share's).
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        const std::optional<Verzeichnisbefund>& b = m_befunde[i];
        if (!b) {
            continue;
        }
        if (b->signal.art != Dateistand::Art::datei) {
            m_gesehen_als[i].reset();
            continue;
        }
        if (m_gesehen_als[i] != b->signal.info) {
            m_gesehen_als[i] = b->signal.info;
            m_gesehen_seit[i] = jetzt;
        }
        // A time stamp from the future (a tool that set it) is still caught by the watch.
        const std::optional<std::int64_t> freigabezeit = m_versand.freigabezeit_ns(m_verzeichnisse[i].pfad);
        const bool alt =
            (freigabezeit && *freigabezeit - b->signal.info.geaendert_ns > k_liegengeblieben_ns) ||
            jetzt - m_gesehen_seit[i] >= k_liegengeblieben_ms;
        // Shown here first (a desk that starts finds it as an alarm); once per
        // file: a removal the share refuses is not asked for at every poll.
        const bool gezeigt = m_gruppe_gemeldet[i] && m_gemeldet_als[i] == b->signal.info;
        if (!alt || !gezeigt || m_versand.eigene_signaldatei(static_cast<int>(i), b->signal.info) ||
            m_liegengeblieben[i] == b->signal.info) {
            continue;
        }
        m_liegengeblieben[i] = b->signal.info;
        auto geloescht = std::make_shared<bool>(false);
        m_freigaben.auftrag(
            m_verzeichnisse[i].pfad,
            [geloescht, gesehen = b->signal.info,
             ziel = m_verzeichnisse[i].pfad + k_signaldatei](Dateisystem& fs) {
                // Removed only while it is still the same file.
                if (fs.info(ziel) == gesehen && !fs.loeschen(ziel)) {
                    *geloescht = true;
                }
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), geloescht, i](bool) {
                if (lebt.lock() && *geloescht) {
                    m_log.logeintrag("Liegengebliebene Message gelöscht: Gruppe " + std::to_string(i + 1));
                }
            },
            Alarmversand::k_verfall_ms, Spur::alarm);
    }
}

bool Alarmempfang::lesen_anstossen(std::size_t index)
{
    // A signal file that is not ready leaves the cycle as if it had not been seen.
    Zeitgeber& timer = *m_abfragetakt;
    m_intervall_vorher = timer.interval();
    timer.setInterval(500);
    m_empfang_aktiv = true;
    m_liest = index;
    Verzeichnis& v = m_verzeichnisse[index];
    const Verzeichnisbefund& gesehen = *m_befunde[index];
    if (v.vorgelesen) {
        const Verzeichnisbefund b = std::move(*v.vorgelesen);
        v.vorgelesen.reset();
        if (b.signal.art == gesehen.signal.art && b.signal.info == gesehen.signal.info) {
            gelesen(index, b);
            return false;
        }
    }
    // One read at a time per directory; a slow one is waited for at the next tick.
    if (m_nicht_mehr_lesen || v.liest) {
        gelesen(index, Verzeichnisbefund{});
        return false;
    }
    auto befund = std::make_shared<Verzeichnisbefund>(gesehen);
    // Read again because its data file looked unchanged: it may be the alarm
    // shown last, its signal file written again for older workstations.
    befund->herkunft_lesen = index != k_import && m_daten_gewartet[index] == gesehen.signal.info;
    const std::uint64_t lesung = ++m_lesung;
    m_phase = Phase::lesen;
    v.liest = true;
    m_freigaben.auftrag(
        v.pfad, [befund, pfad = v.pfad](Dateisystem& fs) { befund_lesen(fs, pfad, *befund); },
        [this, lebt = std::weak_ptr<bool>(m_lebt), befund, index, lesung](bool) {
            if (!lebt.lock()) {
                return;
            }
            m_verzeichnisse[index].liest = false;
            if (lesung == m_lesung && m_phase == Phase::lesen) {
                m_frist->stop();
                gelesen(index, *befund);
                weiter();
                return;
            }
            // Too late for its tick: kept for the next one.
            m_verzeichnisse[index].vorgelesen = *befund;
        },
        -1, Spur::alarm);
    m_frist->start();
    return true;
}

std::optional<int> Alarmempfang::zurueckstellen(std::size_t index, const Verzeichnisbefund& b)
{
    if (!b.gelesen || b.schluesselfehler || !schluessel_gueltig(b.schluessel)) {
        return std::nullopt;
    }
    const Dateiinfo& signal = b.signal.info;
    // A replace on a share removes the old file before the new one takes its
    // name: a data file missing for a moment is looked for once more before
    // the signal file counts as one without data.
    if (b.daten.art == Dateistand::Art::fehlt && b.verzeichnis_da && m_daten_fehlten[index] != signal) {
        m_daten_fehlten[index] = signal;
        return 500;
    }
    if (b.daten.art != Dateistand::Art::datei) {
        return std::nullopt;
    }
    // Written in place by an older desk this very moment: no data file is ever empty.
    if (b.daten.info.groesse == 0) {
        return m_intervall_vorher;
    }
    // A network client keeps a file's size for about a second after it last
    // looked at it, and reads no further: a data file looked unchanged since
    // the last alarm from here may be a newer, longer one. Read again once
    // that time is past.
    if (index != k_import && m_daten_gezeigt[index] == b.daten.info && m_daten_gewartet[index] != signal) {
        m_daten_gewartet[index] = signal;
        return k_attributfrist_ms;
    }
    // A text that begins like a test alarm's is one only by its origin record,
    // which its sender writes right after the signal file: waited for briefly.
    static const std::string probevorsatz = utf8_zu_cp1252(std::string(k_probevorsatz));
    if (b.datentext.starts_with(probevorsatz) && !(b.herkunft && b.herkunft->probe)) {
        const std::int64_t jetzt = m_scheduler.jetzt_ms();
        auto& gewartet = m_probe_gewartet[index];
        if (!gewartet || gewartet->first != signal) {
            gewartet = std::pair{signal, jetzt};
        }
        if (jetzt - gewartet->second < k_probefrist_ms) {
            return 500;
        }
    }
    return std::nullopt;
}

void Alarmempfang::gelesen(std::size_t index, const Verzeichnisbefund& b)
{
    m_phase = Phase::ruhe;
    const int gruppe = index == k_import ? k_importgruppe : static_cast<int>(index);
    const std::optional<int> spaeter = zurueckstellen(index, b);
    // The alarm shown last from here, its signal file written again after a
    // pause for older workstations: the same data file, and its sender says so.
    const bool wiederholt = !spaeter && index != k_import && b.herkunft && b.herkunft->wiederholt &&
                            b.daten.art == Dateistand::Art::datei && m_daten_gezeigt[index] == b.daten.info;
    const Ergebnis e = spaeter      ? Ergebnis::nicht_bereit
                       : wiederholt ? Ergebnis::abgebrochen
                                    : praesentieren(b, m_verzeichnisse[index].pfad, gruppe);
    if (e == Ergebnis::nicht_bereit) {
        m_empfang_aktiv = false;
        // A read that failed, or did not come back in time, is tried again
        // half a second on: its sender removes the alarm 15 s after sending.
        const bool lesefehler = !b.gelesen || b.schluesselfehler || b.datenfehler;
        if (spaeter) {
            m_abfragetakt->setInterval(*spaeter);
        } else if (!lesefehler) {
            m_abfragetakt->setInterval(m_intervall_vorher);
        }
    } else if (index != k_import) {
        m_gruppe_gemeldet[index] = true;
        m_gemeldet_als[index] = m_befunde[index]->signal.info;
        m_gemeldet_eingehaengt[index] = b.eingehaengt.value_or(false);
        if (b.daten.art == Dateistand::Art::datei) {
            m_daten_gezeigt[index] = b.daten.info;
        }
        if (e == Ergebnis::praesentiert && m_folgen) {
            m_folgen->alarm_praesentiert(gruppe, m_verzeichnisse[index].pfad, m_befunde[index]->signal.info,
                                         b.datentext);
        }
    }
}

void Alarmempfang::weiter()
{
    Zeitgeber& timer = *m_abfragetakt;
    if (m_schritt == Schritt::import) {
        m_schritt = Schritt::import_ende;
        // An alarm in the import directory is read each time: it has no once-only flag.
        if (!m_empfang_aktiv && m_importsignal.value_or(false) && lesen_anstossen(k_import)) {
            return;
        }
    }
    if (m_schritt == Schritt::import_ende) {
        // The import directory's alarm is gone: the poll goes back to its pace.
        if (m_empfang_aktiv && m_importsignal.has_value() && !*m_importsignal) {
            m_empfang_aktiv = false;
            timer.setInterval(5000);
        }
        m_schritt = Schritt::gruppen;
        m_naechste = 0;
        m_uebergangen = false;
    }
    // The group directories in order: each new signal file is presented once.
    while (m_schritt == Schritt::gruppen && m_naechste < k_gruppen) {
        const std::size_t i = m_naechste++;
        const std::optional<Verzeichnisbefund>& b = m_befunde[i];
        if (!b) {
            // No answer: the group stays as it was.
            continue;
        }
        Verzeichnis& v = m_verzeichnisse[i];
        if (b->signal.art == Dateistand::Art::anderes) {
            if (!v.keine_datei_gemeldet) {
                v.keine_datei_gemeldet = true;
                m_log.logeintrag("Signaldatei übergangen, " + b->signal.fehler.beschreibung);
            }
        } else {
            v.keine_datei_gemeldet = false;
        }
        const bool signal = ist_datei(b);
        auto& gemeldet = m_gruppe_gemeldet[i];
        const auto& kennung = m_gemeldet_als[i];
        if (m_empfang_aktiv) {
            if (!signal) {
                m_empfang_aktiv = false;
                timer.setInterval(5000);
            } else if (!m_uebergangen && (!gemeldet || b->signal.info != kennung)) {
                m_uebergangen = true;
            }
            continue;
        }
        if (!signal) {
            // A share that cannot be reached still holds its signal file: once
            // it is back, that file is no new alarm. An alarm that came from a
            // mounted share, whose directory now lies on its parent's device,
            // sees the empty mount point: the share is gone, not the file.
            const bool einhaengepunkt_leer = gemeldet && m_gemeldet_eingehaengt[i] && b->eingehaengt == false;
            if (!einhaengepunkt_leer && (!gemeldet || b->verzeichnis_da)) {
                gemeldet = false;
            }
            continue;
        }
        // Another file under the signal file's name (a second sender within
        // the 15 s, or a new alarm after a gap shorter than a poll) is a new alarm.
        if (gemeldet && b->signal.info == kennung) {
            continue;
        }
        // Its own signal file, written again right now, is not known by it yet.
        if (m_versand.schreibt_wieder(static_cast<int>(i))) {
            m_uebergangen = true;
            continue;
        }
        // The desk's own alarm is never shown to itself, whenever its look comes.
        if (m_versand.eigene_signaldatei(static_cast<int>(i), b->signal.info)) {
            gemeldet = true;
            m_gemeldet_als[i] = b->signal.info;
            m_gemeldet_eingehaengt[i] = false;
            continue;
        }
        if (lesen_anstossen(i)) {
            return;
        }
    }
    if (m_schritt == Schritt::gruppen) {
        m_schritt = Schritt::fertig;
        // A new signal file passed over in this tick is taken up half a second
        // on, as after an alarm: a whole poll period later its sender may have
        // removed it, 15 s after sending, before a run of such groups is through.
        if (m_uebergangen) {
            timer.setInterval(500);
        }
    }
}

Alarmempfang::Ergebnis Alarmempfang::alarm_empfangen(const std::string& pfad, int gruppe)
{
    Verzeichnisbefund b = befund_erheben(m_fs, pfad, false);
    befund_lesen(m_fs, pfad, b);
    return praesentieren(b, pfad, gruppe);
}

Alarmempfang::Ergebnis Alarmempfang::praesentieren(const Verzeichnisbefund& b, const std::string& pfad,
                                                   int gruppe)
{
    const Einstellungen& e = m_e;
    m_empfang_aktiv = true;

    // Another program may still be writing the signal file: an empty or
    // unreadable one is neither deleted nor counted as presented.
    if (!b.gelesen || b.schluesselfehler || b.schluessel.empty()) {
        return Ergebnis::nicht_bereit;
    }
    const bool gueltig = schluessel_gueltig(b.schluessel);
    if (!gueltig || b.daten.art == Dateistand::Art::fehlt) {
        // A share gone since the signal file was read holds the data file all
        // the same: the alarm is neither deleted nor counted, but tried again.
        if (gueltig && !b.verzeichnis_da) {
            return Ergebnis::nicht_bereit;
        }
        loeschen_lassen(pfad, b.signal.info);
        return Ergebnis::abgebrochen;
    }
    if (b.daten.art == Dateistand::Art::anderes) {
        // A link, FIFO or directory under the data file's name is never followed nor shown.
        m_log.logeintrag("Alarmdatei übergangen, " + b.daten.fehler.beschreibung);
        return Ergebnis::abgebrochen;
    }
    if (b.datenfehler) {
        // A read that failed once is tried again at the next polls while the signal file stays.
        m_log.logeintrag("Alarmdatei nicht gelesen: " + b.datenfehler.meldungstext());
        return Ergebnis::nicht_bereit;
    }
    const std::string text = cp1252_zu_utf8(b.datentext);
    // A test alarm is shown as such, with one tone, the alarm box's output as
    // it is, only where its origin record says so; any other text is an alarm.
    const bool probe = b.herkunft && b.herkunft->probe;

    m_anzeige.alarm_zeigen(text, e.portnummer, e.comdeaktiviert, probe);
    if (e.comdeaktiviert == "0" && !probe) {
        m_ausgang.alarm_an_geraet(gruppe);
    }
    if (m_liste) {
        m_liste->zeigen();
    }
    if (probe) {
        probeton();
    } else {
        ton_ausgeben();
    }
    if (Fehler f = m_log.meldung_eintragen("Alarm aus Gruppe " + std::to_string(gruppe + 1) + " von:" + "\r" +
                                           text)) {
        m_log.logeintrag("Alarm nicht ins Journal geschrieben: " + f.meldungstext());
    }
    if (e.comdeaktiviert == "1" && m_liste && !probe) {
        m_liste->relais_farbe(gruppe, k_rot);
    }
    return Ergebnis::praesentiert;
}

void Alarmempfang::ton_ausgeben()
{
    const std::string wav = m_e.signaldatei;
    if (wav.empty() || wav == "kein") {
        piepen_starten();
        return;
    }
    m_log.logeintrag(wav);
    // A missing or unplayable file must not leave the alarm silent. The sound
    // output reads the file itself, away from the window thread.
    if (!m_ton) {
        piepen_starten();
        return;
    }
    m_ton->abspielen(wav, [this, wav] {
        m_log.logeintrag("Signaldatei nicht abspielbar: " + wav);
        piepen_starten();
    });
}

void Alarmempfang::probeton()
{
    if (m_ton) {
        m_ton->piepen(k_probetonfrequenz, k_probetondauer);
    }
}

void Alarmempfang::piepen_starten()
{
    // Each alarm adds its own three ticks: one arriving while another's beeps
    // are still being asked for does not cut those short.
    m_piep_zaehler += k_piepticks;
    if (!m_piepser->aktiv()) {
        m_piepser->start();
    }
}

void Alarmempfang::piepen()
{
    for (int n = 0; n < k_piepe_pro_tick; ++n) {
        if (m_ton) {
            m_ton->piepen(k_piepfrequenz, k_piepdauer);
        }
    }
    --m_piep_zaehler;
    if (m_piep_zaehler <= 0) {
        m_piepser->stop();
    }
}

} // namespace hestrel
