#include "einstellungen/einstellungsverwaltung.h"

#include <variant>

#include "core/cp1252.h"
#include "core/datendatei.h"
#include "core/datenverzeichnis.h"
#include "core/textdatei.h"
#include "core/version.h"
#include "core/zahlen.h"
#include "einstellungen/einstellungsdatei.h"

namespace hestrel {
namespace {

constexpr const char* k_pruefen_und_speichern = "Bitte Einstellungen prüfen und speichern.";
constexpr const char* k_id_pruefen = "Achtung, bitte ID prüfen !!";
// "Hestrel.DAT" keeps 68 short lines; a larger file is not one and is not read whole.
constexpr std::size_t k_einstellungen_max = 1 << 20;

std::string pfadmeldung(int index)
{
    return "Achtung, bitte Pfad " + vorzeichenform(index) + " prüfen !!";
}

} // namespace

Einstellungsverwaltung::Einstellungsverwaltung(Einstellungen& einstellungen, Logbuch& log,
                                               const std::string& datenverzeichnis, Dateisystem& fs,
                                               Freigabedienst& freigaben, Scheduler& scheduler,
                                               Meldungsdienst& boxen, Seriellerport& port,
                                               Einstellungsfolgen& folgen)
    : m_e(einstellungen), m_log(log), m_datenverzeichnis(datenverzeichnis), m_fs(fs), m_freigaben(freigaben),
      m_boxen(boxen), m_port(port), m_folgen(folgen), m_wavab(fs),
      m_pfadfrist(scheduler.timer("Pfadpruefung", k_pfadfrist_ms))
{
    m_pfadfrist->tick = [this] {
        if (m_pfadpruefung) {
            speichern_fortsetzen(m_pfadpruefung);
        }
    };
    // The event log's lines show in the settings window's message line.
    m_log.setEcho([this](const std::string& text) {
        m_maske.meldungtxt = text;
        melden();
    });
    m_maske.pfade_sichtbar.fill(true);
}

void Einstellungsverwaltung::melden()
{
    if (geaendert) {
        geaendert();
    }
}

std::string Einstellungsverwaltung::einstellungsdatei_pfad() const
{
    return pfad_verbinden(m_datenverzeichnis, "Hestrel.DAT");
}

void Einstellungsverwaltung::starten()
{
    m_maske.caption = k_firmentext;
    m_maske.produkttitel = k_produkttitel;
    for (int i = 0; i < k_gruppen; ++i) {
        m_maske.pfade_sichtbar[i] = i < 10;
    }
    m_e.pfadeok = false;

    laden();

    for (int i = 0; i < k_gruppen; ++i) {
        m_maske.pfade_tooltip[i] = "Pfad für Gruppe " + std::to_string(i + 1);
    }
}

void Einstellungsverwaltung::fenster_geschlossen()
{
    m_folgen.programm_beenden();
}

bool Einstellungsverwaltung::datei_da(const std::string& verzeichnis, const std::string& name)
{
    return m_wavab.datei_existiert(pfad_verbinden(verzeichnis, name));
}

void Einstellungsverwaltung::exportieren(std::vector<std::pair<std::string, std::string>> dateien,
                                         std::function<void(const Fehler&)> danach)
{
    // Without an import directory there is nothing to export to.
    if (m_e.importverzeichnis.empty()) {
        return;
    }
    auto fehler = std::make_shared<Fehler>();
    const std::string verzeichnis = m_e.importverzeichnis;
    m_freigaben.auftrag(
        verzeichnis,
        [fehler, verzeichnis, dateien](Dateisystem& fs) {
            for (const auto& [schluessel, text] : dateien) {
                if (Fehler f = fs.ersetzen(verzeichnis + datendatei(schluessel), zeilen_kodieren({text}));
                    f && !*fehler) {
                    *fehler = f;
                }
            }
        },
        [fehler, danach, verzeichnis, lebt = std::weak_ptr<bool>(m_lebt)](bool ausgefuehrt) {
            if (lebt.lock() && danach) {
                danach(ausgefuehrt ? *fehler : keine_antwort(verzeichnis));
            }
        },
        k_pfadfrist_ms);
}

void Einstellungsverwaltung::exportfehler_melden(const Fehler& f)
{
    if (f) {
        const std::string text = "Exportdatei nicht geschrieben: " + f.meldungstext();
        m_log.logeintrag(text);
        m_boxen.hinweis(k_programmtitel, text);
    }
}

void Einstellungsverwaltung::ladefehler(const Fehler& f, bool& dateiende)
{
    m_boxen.hinweis(k_programmtitel, f.meldungstext());
    einrichten();
    if (dateiende) {
        m_boxen.hinweis(k_programmtitel, k_pruefen_und_speichern);
        einrichten();
    }
}

// The load, step by step; a step that fails shows its error and opens the
// settings window, and the steps after it are left out.
void Einstellungsverwaltung::laden()
{
    journal_anlegen();
    m_geladen_aus = einstellungsquelle();
    if (m_geladen_aus.empty()) {
        voreinstellungen_setzen();
        einrichten();
        return;
    }
    bool dateiende = false;
    Fehler f = datei_einlesen(m_geladen_aus, dateiende);
    if (!f) {
        f = schalter_setzen();
    }
    if (!f) {
        f = id_pruefen();
    }
    if (!f) {
        f = anschluss_oeffnen();
    }
    if (f) {
        return ladefehler(f, dateiende);
    }
    exportdatei_schreiben();
    // A file cut short: the values it had are in force, the window asks for the rest.
    if (dateiende) {
        einrichten();
    }
    melden();
}

void Einstellungsverwaltung::journal_anlegen()
{
    if (datei_da(m_datenverzeichnis, "mameldung.log")) {
        return;
    }
    if (Fehler f = m_fs.leeren(m_log.journal_pfad())) {
        // Said, but no reason to leave the settings unloaded and stop polling:
        // each alarm's journal entry tries again.
        m_boxen.hinweis(k_programmtitel, f.meldungstext());
        m_log.logeintrag("Journal nicht angelegt: " + f.meldungstext());
    }
}

std::string Einstellungsverwaltung::einstellungsquelle()
{
    // Without a file of its own the workstation starts from the site's copy;
    // the first save writes the data directory's file and never the site's.
    if (datei_da(m_datenverzeichnis, "Hestrel.DAT")) {
        return einstellungsdatei_pfad();
    }
    std::string quelle = standortdatei_finden(m_fs, m_standort, "Hestrel.DAT");
    if (!quelle.empty()) {
        m_log.logeintrag("Voreinstellungen des Standorts: " + quelle);
    }
    return quelle;
}

void Einstellungsverwaltung::voreinstellungen_setzen()
{
    m_e.importverzeichnis.clear();
    m_e.portnummer = "1";
    m_e.idnummer.clear();
    m_e.signaldatei.clear();
    m_e.tastentext1.clear();
    m_e.alarmempf = "0";
    for (auto& p : m_e.gruppenpfad) {
        p.clear();
    }
    for (auto& z : m_e.zusatzfelder) {
        z.clear();
    }
}

Fehler Einstellungsverwaltung::datei_einlesen(const std::string& quelle, bool& dateiende)
{
    std::string bytes;
    if (Fehler f = m_fs.lesen(quelle, bytes, k_einstellungen_max + 1)) {
        return f;
    }
    if (bytes.size() > k_einstellungen_max) {
        return Fehler::zu_gross(quelle);
    }
    const Einstellungswerte werte = einstellungsdatei_lesen(bytes);
    dateiende = !werte.gelesen(Einstellungsfeld::gesperrt);
    return werte_uebernehmen(werte);
}

Fehler Einstellungsverwaltung::werte_uebernehmen(const Einstellungswerte& w)
{
    using F = Einstellungsfeld;
    // A value beyond the end of a short file leaves what is in force.
    auto nehmen = [&w](Feldstelle stelle, std::string& ziel) {
        if (w.gelesen(stelle)) {
            ziel = w(stelle);
        }
    };
    nehmen(F::importverzeichnis, m_e.importverzeichnis);
    nehmen(F::portnummer, m_e.portnummer);
    nehmen(F::idnummer, m_e.idnummer);
    nehmen(F::signaldatei, m_e.signaldatei);
    nehmen(F::tastentext1, m_e.tastentext1);
    nehmen(F::alarmempf, m_e.alarmempf);
    nehmen(F::comdeaktiviert, m_e.comdeaktiviert);
    nehmen(F::logfileaktive, m_e.logfileaktive);
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        nehmen(pfadstelle(i), m_e.gruppenpfad[g]);
        m_maske.pfade[g] = m_e.gruppenpfad[g];
    }
    for (int k = 0; k < 4; ++k) {
        nehmen({F::zusatzfelder, k}, m_e.zusatzfelder[static_cast<std::size_t>(k) + 1]);
    }
    nehmen(F::vollbild, m_e.voll);
    nehmen(F::gesperrt, m_e.gesperrt);
    // As if chosen in the window: any kind but "keine" uses the port, whatever the file says of it.
    if (w.gelesen(F::geraeteart) && w(F::geraeteart) != m_maske.geraeteart) {
        geraeteart_gewaehlt(w(F::geraeteart));
    }
    if (w.gelesen(F::entprellzeit)) {
        int ms = 0;
        if (Fehler f = einstellungszahl(F::entprellzeit, w(F::entprellzeit), ms)) {
            return f;
        }
        m_e.entprellzeit = ms;
    }
    return {};
}

Fehler Einstellungsverwaltung::schalter_setzen()
{
    using F = Einstellungsfeld;
    if (Fehler f = einstellungszahl(F::vollbild, m_e.voll, m_maske.vollbild)) {
        return f;
    }
    m_e.vollbildanzeige = m_maske.vollbild != 0;
    if (Fehler f = einstellungszahl(F::gesperrt, m_e.gesperrt, m_maske.gesperrt)) {
        return f;
    }
    m_e.gesperrtanzeige = m_maske.gesperrt != 0;
    // The load does not look at the group directories.
    m_e.pfadeok = true;
    m_maske.tastenverzoegerung = std::to_string(m_e.entprellzeit);
    m_folgen.tastenverzoegerung_setzen(m_e.entprellzeit);
    if (Fehler f = einstellungszahl(F::logfileaktive, m_e.logfileaktive, m_maske.logfile)) {
        return f;
    }
    m_maske.alarmtestaus = 0;
    if (m_maske.geraeteart == "keine" || m_maske.geraeteart == "Kestu_1") {
        m_folgen.geraeteabfrage_setzen(false);
    } else if (m_maske.geraeteart == "Kestu_10") {
        m_folgen.geraeteabfrage_setzen(true);
    }
    m_maske.schnittstelle_aus = m_e.comdeaktiviert == "0" ? 0 : 1;
    m_maske.alarmempfang = m_e.alarmempf == "0" ? 0 : 1;
    return {};
}

Fehler Einstellungsverwaltung::id_pruefen()
{
    int id = 0;
    if (Fehler f = einstellungszahl(Einstellungsfeld::idnummer, m_e.idnummer, id)) {
        return f;
    }
    m_e.idnummer = std::to_string(id);
    // Loading goes on with another ID; the window asks for 0.
    if (id != 0) {
        m_maske.id_warnung = "Falsche ID";
        einrichten();
    }
    return {};
}

Fehler Einstellungsverwaltung::anschluss_oeffnen()
{
    if (m_e.comdeaktiviert != "0") {
        return {};
    }
    m_port.setCommPort(anschlussnummer(m_e.portnummer));
    return m_port.oeffnen();
}

void Einstellungsverwaltung::exportdatei_schreiben()
{
    m_maske.meldungtxt.clear();
    // The import directory's answer reports a failure when it comes.
    exportieren({{m_e.idnummer, m_e.tastentext1}}, [this](const Fehler& f) {
        if (f) {
            bool ende = false;
            ladefehler(f, ende);
            melden();
        }
    });
}

void Einstellungsverwaltung::werte_einfuellen()
{
    m_maske.importverzeichnis = m_e.importverzeichnis;
    m_maske.signaldatei = m_e.signaldatei;
    m_maske.tastentext1 = m_e.tastentext1;
    m_maske.tastentext2 = m_e.tastentext2;
    m_maske.idnummer = m_e.idnummer;
    m_maske.port = m_e.portnummer;
}

void Einstellungsverwaltung::einrichten()
{
    m_log.logeintrag("Setup gestartet");
    m_folgen.abfrage_anhalten();
    werte_einfuellen();
    m_maske.sichtbar = true;
    m_maske.datenverzeichnis = m_datenverzeichnis;
    melden();
}

void Einstellungsverwaltung::einstellungen_zeigen()
{
    // Boxes never filled would be saved empty and wipe the import directory,
    // the sound file and the key text; a window already open keeps its edits.
    if (!m_maske.sichtbar) {
        werte_einfuellen();
        m_maske.datenverzeichnis = m_datenverzeichnis;
    }
    m_maske.sichtbar = true;
    melden();
}

void Einstellungsverwaltung::geraeteart_gewaehlt(const std::string& text)
{
    m_maske.geraeteart = text;
    if (text != "keine") {
        m_e.comdeaktiviert = "0";
        m_maske.port_sichtbar = true;
    } else {
        m_maske.port_sichtbar = false;
    }
    melden();
}

void Einstellungsverwaltung::pfadseite_zeigen(int seite)
{
    if (seite < 0 || seite > 4) {
        return;
    }
    for (int i = 0; i < k_gruppen; ++i) {
        m_maske.pfade_sichtbar[static_cast<std::size_t>(i)] = i / 10 == seite;
    }
    melden();
}

void Einstellungsverwaltung::signal_gewaehlt(const std::string& name)
{
    m_e.signaldatei = name;
    m_maske.signaldatei = name;
    melden();
}

void Einstellungsverwaltung::speichern()
{
    // A save already waiting for its group directories takes no second click.
    if (m_pfadpruefung) {
        return;
    }
    m_maske.meldungtxt.clear();
    m_maske.id_warnung.clear();
    m_e.pfadeok = true;

    // Each group directory is looked at through the share service: a share
    // that hangs holds up the save, never the window.
    auto p = std::make_shared<Pfadpruefung>();
    m_pfadpruefung = p;
    for (int i = 0; i < k_gruppen; ++i) {
        auto& box = m_maske.pfade[static_cast<std::size_t>(i)];
        if (box.empty()) {
            continue;
        }
        if (box.back() != k_trenner) {
            box += k_trenner;
        }
        p->pfade[static_cast<std::size_t>(i)] = box;
        // Written as '?', such a path would point nowhere after the next start.
        if (!nicht_darstellbar(box).empty()) {
            p->unkodierbar[static_cast<std::size_t>(i)] = true;
            continue;
        }
        ++p->offen;
        // The share's side writes only its own answer; the save reads it when
        // the answer arrives, never at the deadline while the look may still run.
        auto da = std::make_shared<bool>(false);
        m_freigaben.auftrag(
            box, [da, box](Dateisystem& fs) { *da = fs.existiert(box); },
            [this, p, i, da, lebt = std::weak_ptr<bool>(m_lebt)](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                p->da[static_cast<std::size_t>(i)] = ausgefuehrt && *da;
                if (--p->offen == 0) {
                    speichern_fortsetzen(p);
                }
            },
            k_pfadfrist_ms);
    }
    if (p->offen == 0) {
        speichern_fortsetzen(p);
    } else {
        m_pfadfrist->start();
    }
}

// The save once every group directory answered or the time ran out, step by
// step; a step that refuses says why in the window's message line.
void Einstellungsverwaltung::speichern_fortsetzen(std::shared_ptr<Pfadpruefung> p)
{
    if (m_pfadpruefung != p) {
        return;
    }
    m_pfadpruefung.reset();
    m_pfadfrist->stop();
    if (!pfade_annehmen(*p) || !eingaben_annehmen()) {
        return;
    }
    werte_aus_fenster();
    m_e.ausdruck = ausdruck_bilden(m_e, m_e.comdeaktiviert);
    m_log.logeintrag(einstellungsdatei_pfad());
    exportieren({{m_e.idnummer + "-1", m_e.tastentext1},
                 {m_e.idnummer, m_e.tastentext1},
                 {m_e.idnummer + "-2", m_e.tastentext2}},
                [this](const Fehler& f) { exportfehler_melden(f); });
    if (!datei_schreiben()) {
        return;
    }
    einrichtung_beenden();
}

bool Einstellungsverwaltung::pfade_annehmen(const Pfadpruefung& p)
{
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        const std::string& pfad = p.pfade[g];
        if (pfad.empty()) {
            continue;
        }
        // A path the file cannot keep is refused like a missing directory,
        // but kept out of the settings in force.
        if (!p.unkodierbar[g]) {
            m_e.gruppenpfad[g] = pfad;
        }
        // A directory that did not answer in time is as good as missing here.
        if (p.unkodierbar[g] || !p.da[g]) {
            m_e.pfadeok = false;
            einrichten();
            // After setup: its log echo would otherwise hide why the save was refused.
            m_maske.meldungtxt = pfadmeldung(i);
            melden();
            return false;
        }
    }
    m_maske.meldungtxt.clear();
    return true;
}

bool Einstellungsverwaltung::eingaben_annehmen()
{
    auto abweisen = [this](const std::string& text) {
        m_maske.meldungtxt = text;
        melden();
        return false;
    };
    int id = 0;
    if (m_maske.idnummer.empty() || einstellungszahl(Einstellungsfeld::idnummer, m_maske.idnummer, id)) {
        return abweisen(k_id_pruefen);
    }
    m_maske.idnummer = std::to_string(id);
    if (id != 0) {
        return abweisen(k_id_pruefen);
    }
    // Nothing is taken over: the file would keep '?' where these stood.
    if (auto meldung = unkodierbare_felder()) {
        return abweisen(*meldung);
    }
    return true;
}

void Einstellungsverwaltung::werte_aus_fenster()
{
    m_e.importverzeichnis = m_maske.importverzeichnis;
    m_e.signaldatei = m_maske.signaldatei;
    m_e.tastentext1 = m_maske.tastentext1;
    m_e.tastentext2 = m_maske.tastentext2;
    m_e.idnummer = m_maske.idnummer;
    m_e.portnummer = m_maske.port;
    m_e.alarmempf = haken_text(m_maske.alarmempfang);
    m_e.comdeaktiviert = haken_text(m_maske.schnittstelle_aus);
    // A key delay outside the 16-bit range is taken as the nearest bound.
    const double wert = zahlenwert(m_maske.tastenverzoegerung);
    const auto z = ganzzahl16(wert);
    m_e.entprellzeit = std::holds_alternative<std::int16_t>(z) ? std::get<std::int16_t>(z)
                       : wert < 0                              ? -32768
                                                               : 32767;
    m_folgen.tastenverzoegerung_setzen(m_e.entprellzeit);
    m_e.logfileaktive = haken_text(m_maske.logfile);
}

Einstellungswerte Einstellungsverwaltung::dateiwerte() const
{
    using F = Einstellungsfeld;
    Einstellungswerte w;
    w(F::ausdruck) = m_e.ausdruck;
    w(F::importverzeichnis) = m_e.importverzeichnis;
    w(F::portnummer) = m_e.portnummer;
    w(F::idnummer) = m_e.idnummer;
    w(F::signaldatei) = m_e.signaldatei;
    w(F::tastentext1) = m_e.tastentext1;
    w(F::alarmempf) = m_e.alarmempf;
    w(F::comdeaktiviert) = m_e.comdeaktiviert;
    w(F::entprellzeit) = std::to_string(m_e.entprellzeit);
    w(F::logfileaktive) = m_e.logfileaktive;
    // Groups 1-10 as in force, where an emptied box kept the old path;
    // groups 11-50 as their boxes stand, an emptied one as an empty line.
    for (int i = 0; i < k_gruppen; ++i) {
        const auto g = static_cast<std::size_t>(i);
        w(pfadstelle(i)) = i < 10 ? m_e.gruppenpfad[g] : m_maske.pfade[g];
    }
    for (int k = 0; k < 4; ++k) {
        w({F::zusatzfelder, k}) = m_e.zusatzfelder[static_cast<std::size_t>(k) + 1];
    }
    w(F::geraeteart) = m_maske.geraeteart;
    w(F::vollbild) = std::to_string(m_maske.vollbild);
    w(F::gesperrt) = std::to_string(m_maske.gesperrt);
    return w;
}

bool Einstellungsverwaltung::datei_schreiben()
{
    // Without a device the file says the port is off; the summary, built
    // before, keeps what the check box said.
    if (m_maske.geraeteart == "keine") {
        m_e.comdeaktiviert = "1";
    }
    const Fehler f = m_fs.ersetzen(einstellungsdatei_pfad(), einstellungsdatei_schreiben(dateiwerte()));
    if (!f) {
        return true;
    }
    // The settings in memory are in force; the file keeps its old content.
    const std::string text = "Einstellungen nicht gespeichert: " + f.meldungstext();
    m_log.logeintrag(text);
    m_maske.meldungtxt = text;
    m_boxen.hinweis(k_programmtitel, text);
    m_folgen.abfrage_fortsetzen();
    melden();
    return false;
}

void Einstellungsverwaltung::einrichtung_beenden()
{
    m_maske.sichtbar = false;
    m_log.logeintrag("Setup ausgeführt");
    m_folgen.abfrage_fortsetzen();
    m_folgen.geraeteabfrage_setzen(m_maske.geraeteart != "keine");
    if (m_gruppen) {
        m_gruppen->bildschirm_anpassen();
    }
    melden();
}

std::optional<std::string> Einstellungsverwaltung::unkodierbare_felder() const
{
    const std::pair<const char*, const std::string*> felder[] = {
        {"Signaldatei", &m_maske.signaldatei},
        {"Importverzeichnis", &m_maske.importverzeichnis},
        {"Text der Taste 1", &m_maske.tastentext1},
        {"Text der Taste 2", &m_maske.tastentext2},
    };
    for (const auto& [name, text] : felder) {
        if (const std::string zeichen = nicht_darstellbar(*text); !zeichen.empty()) {
            return unkodierbar_meldung(name, zeichen);
        }
    }
    return std::nullopt;
}

} // namespace hestrel
