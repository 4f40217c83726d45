#include "core/hestrel.h"

#include <variant>

#include "core/cp1252.h"
#include "core/einstellungsdatei.h"
#include "core/textdatei.h"
#include "core/version.h"
#include "core/zahlen.h"

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

std::string versionstext_bilden()
{
    return "Version " + std::to_string(k_version_major) + "." + std::to_string(k_version_minor) +
           "." + std::to_string(k_version_revision) + " - TS";
}

}  // namespace

Hestrel::Hestrel(Dienste dienste)
    : m_d(dienste),
      m_sofort(m_d.fs),
      m_log(m_d.fs, m_d.uhr, datenverzeichnis, m_e.logfileaktive),
      m_wavab(m_d.fs),
      m_timer1(m_d.scheduler.timer("Timer1", 5000)),
      m_timer2(m_d.scheduler.timer("Timer2", 15)),
      m_entprell(m_d.scheduler.timer("entprell", 2000)),
      m_timer_eingang(m_d.scheduler.timer("timer_eingang", 500)),
      m_timerser(m_d.scheduler.timer("Timerser", 1000)),
      m_pfadfrist(m_d.scheduler.timer("Pfadpruefung", k_pfadfrist_ms))
{
    m_pfadfrist->tick = [this] {
        if (m_pfadpruefung) {
            speichern_fortsetzen(m_pfadpruefung);
        }
    };
    m_log.setEcho([this](const std::string& text) {
        m_maske.meldungtxt = text;
        melden();
    });
    // A journal entry that cannot be written waits and is retried; the user is told once.
    m_log.journal_sichern(m_d.scheduler, m_d.boxen);
    m_log.setSystemlog(systemlog_des_rechners());  // VERDRAHTUNG Systemlog: gehört in die Zusammensetzung des Programms
    m_maske.pfade_sichtbar.fill(true);
    // Timer1 runs from creation; the others wait for their parts.
    m_timer1->start();
}

void Hestrel::melden()
{
    if (maske_geaendert) {
        maske_geaendert();
    }
}

std::string Hestrel::einstellungsdatei_pfad() const
{
    return pfad_verbinden(datenverzeichnis, "Hestrel.DAT");
}

void Hestrel::Form_Load(const std::string& verzeichnis)
{
    firmentext = k_firmentext;
    m_maske.caption = firmentext;
    produkttitel = k_produkttitel;
    versionstext = versionstext_bilden();
    m_maske.label7 = produkttitel;
    for (int i = 0; i < k_gruppen; ++i) {
        m_maske.pfade_sichtbar[i] = i < 10;
    }
    startzeichen = 242;
    telegrammtyp_status = 1;
    m_e.pfadeok = false;
    datenverzeichnis = verzeichnis;

    einstellungen_laden();

    for (int i = 0; i < k_gruppen; ++i) {
        m_maske.pfade_tooltip[i] = "Pfad für Gruppe " + std::to_string(i + 1);
    }
    m_timer1->start();
    if (tray_laden) {
        tray_laden();
    }
    if (meldeliste) {
        meldeliste->zeigen();
    }
    melden();
}

void Hestrel::Form_Unload()
{
    if (m_d.port.offen()) {
        m_d.port.schliessen();
    }
    if (pbeend_Click) {
        pbeend_Click();
    }
}

void Hestrel::datei_pruefen(const std::string& verzeichnis, const std::string& name)
{
    dateivorhanden = m_wavab.datei_existiert(pfad_verbinden(verzeichnis, name));
}

std::optional<Fehler> Hestrel::exportieren(std::vector<std::pair<std::string, std::string>> dateien,
                                           std::function<void(const Fehler&)> spaeter)
{
    // Without an import directory there is nothing to export to.
    if (m_e.importverzeichnis.empty()) {
        return Fehler {};
    }
    auto fehler = std::make_shared<Fehler>();
    auto sofort = std::make_shared<bool>(true);
    auto ergebnis = std::make_shared<std::optional<Fehler>>();
    const std::string verzeichnis = m_e.importverzeichnis;
    freigaben().auftrag(
        verzeichnis,
        [fehler, verzeichnis, dateien](Dateisystem& fs) {
            for (const auto& [schluessel, text] : dateien) {
                const std::string pfad = verzeichnis + "MDAT" + schluessel + ".XQV";
                if (Fehler f = fs.ersetzen(pfad, zeilen_kodieren({text})); f && !*fehler) {
                    *fehler = f;
                }
            }
        },
        [fehler, sofort, ergebnis, spaeter, verzeichnis, lebt = std::weak_ptr<bool>(m_lebt)](bool ausgefuehrt) {
            const Fehler f = ausgefuehrt ? *fehler : Fehler {57, "Das Verzeichnis antwortet nicht: " + verzeichnis};
            if (*sofort) {
                *ergebnis = f;
            } else if (lebt.lock() && spaeter) {
                spaeter(f);
            }
        },
        k_pfadfrist_ms);
    *sofort = false;
    return *ergebnis;
}

void Hestrel::exportfehler_melden(const Fehler& f)
{
    if (f) {
        const std::string text = "Exportdatei nicht geschrieben: " + f.meldungstext();
        m_log.logeintrag(text);
        m_d.boxen.hinweis(k_programmtitel, text);
    }
}

void Hestrel::ladefehler(const Fehler& f, bool& dateiende)
{
    m_d.boxen.hinweis(k_programmtitel, f.meldungstext());
    setup();
    if (dateiende) {
        m_d.boxen.hinweis(k_programmtitel, k_pruefen_und_speichern);
        setup();
    }
}

void Hestrel::einstellungen_laden()
{
    bool dateiende = false;

    datei_pruefen(datenverzeichnis, "mameldung.log");
    if (!dateivorhanden) {
        if (Fehler f = m_d.fs.leeren(m_log.journal_pfad())) {
            // Said, but no reason to leave the settings unloaded and stop polling:
            // each alarm's journal entry tries again.
            m_d.boxen.hinweis(k_programmtitel, f.meldungstext());
            m_log.logeintrag("Journal nicht angelegt: " + f.meldungstext());
        }
    }

    datei_pruefen(datenverzeichnis, "Hestrel.DAT");
    if (!dateivorhanden) {
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
        setup();
        return;
    }

    std::string bytes;
    if (Fehler f = m_d.fs.lesen(einstellungsdatei_pfad(), bytes, k_einstellungen_max + 1)) {
        return ladefehler(f, dateiende);
    }
    if (bytes.size() > k_einstellungen_max) {
        return ladefehler(Fehler::zu_gross(einstellungsdatei_pfad()), dateiende);
    }
    const std::vector<std::string> werte = einstellungsdatei_lesen(bytes);
    auto wert = [&](int zeile, std::string& ziel) {
        if (static_cast<std::size_t>(zeile) <= werte.size()) {
            ziel = werte[static_cast<std::size_t>(zeile - 1)];
        } else {
            dateiende = true;
        }
    };
    std::string ignoriert;
    Fehler lesefehler;
    wert(1, ignoriert);
    wert(2, m_e.importverzeichnis);
    wert(3, m_e.portnummer);
    wert(4, m_e.idnummer);
    wert(5, m_e.signaldatei);
    wert(6, ignoriert);
    wert(7, m_e.tastentext1);
    wert(8, m_e.alarmempf);
    wert(9, m_e.comdeaktiviert);
    std::string prell;
    wert(10, prell);
    if (werte.size() >= 10) {
        auto z = ganzzahl16(zahlenwert(prell));
        if (auto* n = std::get_if<std::int16_t>(&z)) {
            m_e.entprellzeit = *n;
        } else {
            lesefehler = std::get<Fehler>(z);
        }
    }
    wert(11, m_e.logfileaktive);
    for (int i = 0; i < 10; ++i) {
        wert(12 + i, m_e.gruppenpfad[static_cast<std::size_t>(i)]);
        m_maske.pfade[static_cast<std::size_t>(i)] = m_e.gruppenpfad[static_cast<std::size_t>(i)];
    }
    for (int i = 1; i <= 4; ++i) {
        wert(21 + i, m_e.zusatzfelder[static_cast<std::size_t>(i)]);
    }
    std::string hardware = m_maske.art_hardware;
    wert(26, hardware);
    if (hardware != m_maske.art_hardware) {
        art_hardware_geaendert(hardware);
    }
    for (int i = 10; i < k_gruppen; ++i) {
        wert(17 + i, m_e.gruppenpfad[static_cast<std::size_t>(i)]);
        m_maske.pfade[static_cast<std::size_t>(i)] = m_e.gruppenpfad[static_cast<std::size_t>(i)];
    }
    wert(67, m_e.voll);
    wert(68, m_e.gesperrt);
    if (lesefehler) {
        return ladefehler(lesefehler, dateiende);
    }

    auto haken = [](const std::string& text, int& ziel) -> Fehler {
        auto z = text_zu_ganzzahl16(text);
        if (auto* f = std::get_if<Fehler>(&z)) {
            return *f;
        }
        const int n = std::get<std::int16_t>(z);
        if (n < 0 || n > 2) {
            return Fehler::eigenschaftswert();
        }
        ziel = n;
        return {};
    };
    if (Fehler f = haken(m_e.voll, m_maske.chk_vollbild)) {
        return ladefehler(f, dateiende);
    }
    m_e.vollbildanzeige = m_maske.chk_vollbild != 0;
    if (Fehler f = haken(m_e.gesperrt, m_maske.chk_gesperrt)) {
        return ladefehler(f, dateiende);
    }
    m_e.gesperrtanzeige = m_maske.chk_gesperrt != 0;
    m_e.pfadeok = true;
    m_maske.tastenver = std::to_string(m_e.entprellzeit);
    m_entprell->setInterval(m_e.entprellzeit);
    if (Fehler f = haken(m_e.logfileaktive, m_maske.logfile)) {
        return ladefehler(f, dateiende);
    }
    m_maske.alarmtestaus = 0;
    if (m_maske.art_hardware == "keine" || m_maske.art_hardware == "Kestu_1") {
        m_timer_eingang->stop();
    } else if (m_maske.art_hardware == "Kestu_10") {
        m_timer_eingang->start();
    }
    m_maske.checkCom = m_e.comdeaktiviert == "0" ? 0 : 1;
    m_maske.check1 = m_e.alarmempf == "0" ? 0 : 1;

    auto id = ganzzahl16(zahlenwert(m_e.idnummer));
    if (auto* f = std::get_if<Fehler>(&id)) {
        return ladefehler(*f, dateiende);
    }
    m_e.idnummer = std::to_string(std::get<std::int16_t>(id));
    if (m_e.idnummer != "0") {
        m_maske.label2 = "Falsche ID";
        setup();
    }

    if (m_e.comdeaktiviert == "0") {
        auto nummer = ganzzahl16(zahlenwert(m_e.portnummer));
        m_d.port.setCommPort(std::holds_alternative<std::int16_t>(nummer) ? std::get<std::int16_t>(nummer) : 0);
        if (Fehler f = m_d.port.oeffnen()) {
            return ladefehler(f, dateiende);
        }
    }

    m_maske.meldungtxt.clear();
    // An import directory that answers late reports its failure when it does.
    const auto exportfehler = exportieren({{m_e.idnummer, m_e.tastentext1}}, [this](const Fehler& f) {
        if (f) {
            bool ende = false;
            ladefehler(f, ende);
            melden();
        }
    });
    if (exportfehler && *exportfehler) {
        return ladefehler(*exportfehler, dateiende);
    }

    if (dateiende) {
        dateiende = false;
        setup();
    }
    melden();
}

void Hestrel::werte_einfuellen()
{
    m_maske.text3 = m_e.importverzeichnis;
    m_maske.text4 = m_e.signaldatei;
    m_maske.text1_1 = m_e.tastentext1;
    m_maske.text1_2 = m_e.tastentext2;
    m_maske.text5 = m_e.idnummer;
    m_maske.auswahl_port = m_e.portnummer;
}

void Hestrel::setup()
{
    m_log.logeintrag("Setup gestartet");
    m_timer1->stop();
    werte_einfuellen();
    m_maske.sichtbar = true;
    m_maske.upfad = datenverzeichnis;
    melden();
}

void Hestrel::einstellungen_zeigen()
{
    // Boxes never filled would be saved empty and wipe the import directory,
    // the sound file and the key text; a window already open keeps its edits.
    if (!m_maske.sichtbar) {
        werte_einfuellen();
        m_maske.upfad = datenverzeichnis;
    }
    m_maske.sichtbar = true;
    melden();
}

void Hestrel::art_hardware_geaendert(const std::string& text)
{
    m_maske.art_hardware = text;
    if (text != "keine") {
        m_e.comdeaktiviert = "0";
        m_maske.port_sichtbar = true;
    } else {
        m_maske.port_sichtbar = false;
    }
    melden();
}

void Hestrel::gruppenfeld_Click(int seite)
{
    if (seite < 0 || seite > 4) {
        return;
    }
    for (int i = 0; i < k_gruppen; ++i) {
        m_maske.pfade_sichtbar[static_cast<std::size_t>(i)] = i / 10 == seite;
    }
    melden();
}

void Hestrel::signal_gewaehlt(const std::string& name)
{
    m_e.signaldatei = name;
    m_maske.text4 = name;
    melden();
}

void Hestrel::Speichern_Click()
{
    // A save already waiting for its group directories takes no second click.
    if (m_pfadpruefung) {
        return;
    }
    m_maske.meldungtxt.clear();
    m_maske.label2.clear();
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
        freigaben().auftrag(
            box, [p, i, box](Dateisystem& fs) { p->da[static_cast<std::size_t>(i)] = fs.existiert(box); },
            [this, p, lebt = std::weak_ptr<bool>(m_lebt)](bool) {
                if (lebt.lock() && --p->offen == 0 && !p->einreihen) {
                    speichern_fortsetzen(p);
                }
            },
            k_pfadfrist_ms);
    }
    p->einreihen = false;
    if (p->offen == 0) {
        speichern_fortsetzen(p);
    } else {
        m_pfadfrist->start();
    }
}

void Hestrel::speichern_fortsetzen(std::shared_ptr<Pfadpruefung> p)
{
    if (m_pfadpruefung != p) {
        return;
    }
    m_pfadpruefung.reset();
    m_pfadfrist->stop();
    for (int i = 0; i < k_gruppen; ++i) {
        const std::string& pfad = p->pfade[static_cast<std::size_t>(i)];
        if (pfad.empty()) {
            continue;
        }
        // A path the file cannot keep is refused like a missing directory,
        // but kept out of the settings in force.
        const bool unkodierbar = p->unkodierbar[static_cast<std::size_t>(i)];
        if (!unkodierbar) {
            m_e.gruppenpfad[static_cast<std::size_t>(i)] = pfad;
        }
        // A directory that did not answer in time is as good as missing here.
        if (unkodierbar || !p->da[static_cast<std::size_t>(i)]) {
            m_e.pfadeok = false;
            setup();
            // After setup: its log echo would otherwise hide why the save was refused.
            m_maske.meldungtxt = pfadmeldung(i);
            melden();
            return;
        }
    }
    m_maske.meldungtxt.clear();

    if (m_maske.text5.empty()) {
        m_maske.meldungtxt = k_id_pruefen;
        melden();
        return;
    }
    auto id = ganzzahl16(zahlenwert(m_maske.text5));
    if (!std::holds_alternative<std::int16_t>(id)) {
        m_maske.meldungtxt = k_id_pruefen;
        melden();
        return;
    }
    m_maske.text5 = std::to_string(std::get<std::int16_t>(id));
    if (std::get<std::int16_t>(id) != 0) {
        m_maske.meldungtxt = k_id_pruefen;
        melden();
        return;
    }

    if (auto meldung = unkodierbare_felder()) {
        // Nothing is taken over: the file would keep '?' where these stood.
        m_maske.meldungtxt = *meldung;
        melden();
        return;
    }

    m_e.importverzeichnis = m_maske.text3;
    m_e.signaldatei = m_maske.text4;
    m_e.tastentext1 = m_maske.text1_1;
    m_e.tastentext2 = m_maske.text1_2;
    m_e.idnummer = m_maske.text5;
    m_e.portnummer = m_maske.auswahl_port;
    m_e.alarmempf = haken_text(m_maske.check1);
    m_e.comdeaktiviert = haken_text(m_maske.checkCom);
    {
        // A key delay outside the 16-bit range is taken as the nearest bound.
        const double wert = zahlenwert(m_maske.tastenver);
        auto z = ganzzahl16(wert);
        m_e.entprellzeit = std::holds_alternative<std::int16_t>(z) ? std::get<std::int16_t>(z)
                           : wert < 0                             ? -32768
                                                                  : 32767;
    }
    m_entprell->setInterval(m_e.entprellzeit);
    m_e.logfileaktive = haken_text(m_maske.logfile);

    m_e.ausdruck = ausdruck_bilden(m_e, m_e.comdeaktiviert);
    m_log.logeintrag(einstellungsdatei_pfad());

    const Fehler exportfehler =
        exportieren({{m_e.idnummer + "-1", m_e.tastentext1},
                     {m_e.idnummer, m_e.tastentext1},
                     {m_e.idnummer + "-2", m_e.tastentext2}},
                    [this](const Fehler& f) { exportfehler_melden(f); })
            .value_or(Fehler {});

    std::vector<std::string> zeilen;
    zeilen.reserve(k_einstellungszeilen);
    zeilen.push_back(wert_schreiben(m_e.ausdruck));
    zeilen.push_back(wert_schreiben(m_e.importverzeichnis));
    zeilen.push_back(wert_schreiben(m_e.portnummer));
    zeilen.push_back(wert_schreiben(m_e.idnummer));
    zeilen.push_back(wert_schreiben(m_e.signaldatei));
    zeilen.emplace_back();
    zeilen.push_back(wert_schreiben(m_e.tastentext1));
    zeilen.push_back(wert_schreiben(m_e.alarmempf));
    if (m_maske.art_hardware == "keine") {
        m_e.comdeaktiviert = "1";
    }
    zeilen.push_back(wert_schreiben(m_e.comdeaktiviert));
    zeilen.push_back(vorzeichenform(m_e.entprellzeit));
    zeilen.push_back(wert_schreiben(m_e.logfileaktive));
    for (int i = 0; i < 10; ++i) {
        zeilen.push_back(wert_schreiben(m_e.gruppenpfad[static_cast<std::size_t>(i)]));
    }
    for (int i = 1; i <= 4; ++i) {
        zeilen.push_back(wert_schreiben(m_e.zusatzfelder[static_cast<std::size_t>(i)]));
    }
    zeilen.push_back(wert_schreiben(m_maske.art_hardware));
    for (int i = 10; i < k_gruppen; ++i) {
        zeilen.push_back(wert_schreiben(m_maske.pfade[static_cast<std::size_t>(i)]));
    }
    zeilen.push_back(haken_zeile(m_maske.chk_vollbild));
    zeilen.push_back(haken_zeile(m_maske.chk_gesperrt));

    const Fehler schreibfehler = m_d.fs.ersetzen(einstellungsdatei_pfad(), zeilen_kodieren(zeilen));
    if (schreibfehler) {
        // The settings in memory are in force; the file keeps its old content.
        const std::string text = "Einstellungen nicht gespeichert: " + schreibfehler.meldungstext();
        m_maske.meldungtxt = text;
        m_log.logeintrag(text);
        m_maske.meldungtxt = text;
        m_d.boxen.hinweis(k_programmtitel, text);
        m_timer1->start();
        melden();
        return;
    }
    exportfehler_melden(exportfehler);

    m_maske.sichtbar = false;
    m_log.logeintrag("Setup ausgeführt");
    m_timer1->start();
    m_timer_eingang->setEnabled(m_maske.art_hardware != "keine");
    if (meldeliste) {
        meldeliste->bildschirm_anpassen();
    }
    melden();
}

std::optional<std::string> Hestrel::unkodierbare_felder() const
{
    const std::pair<const char*, const std::string*> felder[] = {
        {"Signaldatei", &m_maske.text4},
        {"Importverzeichnis", &m_maske.text3},
        {"Text der Taste 1", &m_maske.text1_1},
        {"Text der Taste 2", &m_maske.text1_2},
    };
    for (const auto& [name, text] : felder) {
        if (const std::string zeichen = nicht_darstellbar(*text); !zeichen.empty()) {
            return unkodierbar_meldung(name, zeichen);
        }
    }
    return std::nullopt;
}

void Hestrel::sammelmeldung()
{
    if (sammelmeldung_seam) {
        sammelmeldung_seam();
    }
}

void Hestrel::MSCOM_Ausgabe(bool austext, int agruppe, int aktion)
{
    if (mscom_ausgabe_seam) {
        mscom_ausgabe_seam(austext, agruppe, aktion);
    }
}

bool Hestrel::PortTest(int nummer)
{
    return porttest_seam ? porttest_seam(nummer) : false;
}

}  // namespace hestrel
