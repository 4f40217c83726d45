#include "console/meldeliste.h"

#include "console/alarmdatei.h"
#include "core/datenverzeichnis.h"
#include "core/version.h"
#include "einstellungen/einstellungsverwaltung.h"

namespace hestrel {
namespace {

bool gueltig(int index)
{
    return index >= 0 && index < k_gruppen;
}
std::size_t idx(int index)
{
    return static_cast<std::size_t>(index);
}

} // namespace

Meldeliste::Meldeliste(const Einstellungen& einstellungen, const std::string& datenverzeichnis,
                       Dateisystem& fs, const Uhr& uhr, Scheduler& scheduler, Meldungsdienst& boxen,
                       Meldelistenfolgen& folgen)
    : m_e(einstellungen), m_datenverzeichnis(datenverzeichnis), m_fs(fs), m_boxen(boxen), m_folgen(folgen),
      m_wavab(fs), m_maske(Meldelistenmaske::neu()),
      m_log(fs, uhr, datenverzeichnis, einstellungen.logfileaktive), m_bezeichnung(*this),
      m_journaltakt(scheduler.timer("Journalabgleich", 5000))
{
    // The list's own log writes the event log; its echo field is never shown.
    m_log.setEcho([this](const std::string& text) { m_maske.meldungtxt = text; });
    m_journaltakt->tick = [this] { liste_laden(); };
}

Meldeliste::~Meldeliste()
{
    *m_lebt = false;
    m_journaltakt->stop();
}

void Meldeliste::melden()
{
    if (geaendert) {
        geaendert();
    }
}

std::string Meldeliste::alarmdaten_pfad() const
{
    return pfad_verbinden(m_datenverzeichnis, "Alarmdaten.DAT");
}

void Meldeliste::laden()
{
    if (m_maske.geladen) {
        return;
    }
    zuruecksetzen();
    m_maske.geladen = true;
    m_journaltakt->start();

    m_maske.caption = k_firmentext;
    m_maske.produkttitel = k_produkttitel;
    m_maske.version = versionstext();

    if (Fehler f = m_journal.neu_laden(m_fs, m_log.journal_pfad(), m_maske.listmeldungen)) {
        m_boxen.hinweis(k_programmtitel, f.meldungstext());
        if (f.nummer != Fehler::dateiende().nummer) {
            m_log.logeintrag("Meldeliste" + f.beschreibung + " - " + std::to_string(f.nummer));
        }
        // The group data and the enabled groups do not depend on the journal:
        // without them an alarm from this workstation would go nowhere.
    }
    alarmdaten_laden();
    anpassen();
    melden();
}

void Meldeliste::geschlossen()
{
    m_journaltakt->stop();
    zuruecksetzen();
    melden();
}

void Meldeliste::zuruecksetzen()
{
    // The view follows these counters; they must only grow.
    const auto generation = m_maske.liste_generation;
    const auto entfernt = m_maske.liste_entfernt;
    const auto gezeigt = m_maske.gezeigt;
    const auto gewuenscht = m_maske.gewuenscht;
    // What other parts reported while the window was unloaded stays.
    const auto anwesend = m_maske.gruppe_anwesend;
    const auto anwesende = m_maske.gruppe_anwesende;
    const auto warnung = m_maske.gruppe_warnung;
    m_maske = Meldelistenmaske::neu();
    m_maske.gruppe_anwesend = anwesend;
    m_maske.gruppe_anwesende = anwesende;
    m_maske.gruppe_warnung = warnung;
    m_maske.liste_generation = generation + 1;
    m_maske.liste_entfernt = entfernt;
    m_maske.gezeigt = gezeigt;
    m_maske.gewuenscht = gewuenscht;
    m_journal.vergessen();
}

void Meldeliste::auf_wunsch_vormerken()
{
    ++m_maske.gewuenscht;
}

void Meldeliste::zeigen()
{
    laden();
    m_maske.sichtbar = true;
    ++m_maske.gezeigt;
    melden();
}

void Meldeliste::liste_laden()
{
    if (!m_maske.geladen) {
        return;
    }
    Fehler fehler;
    const auto aenderung = m_journal.aktualisieren(m_fs, m_log.journal_pfad(), m_maske.listmeldungen, fehler);
    if (aenderung == Journalliste::Aenderung::keine) {
        return;
    }
    m_maske.liste_entfernt += m_journal.entfernt();
    if (aenderung == Journalliste::Aenderung::neu) {
        ++m_maske.liste_generation;
    }
    melden();
}

void Meldeliste::alarmdaten_laden()
{
    std::string pfad = alarmdaten_pfad();
    m_wavab.verzeichnisdatei_pruefen(m_datenverzeichnis, "Alarmdaten.DAT");
    if (!m_wavab.datei_gefunden) {
        // The site's copy, where there is one; a save writes the data directory's file.
        pfad = standortdatei_finden(m_fs, m_standort, "Alarmdaten.DAT");
        if (pfad.empty()) {
            return;
        }
    }
    auto melden_ = [this](const Fehler& f) { m_log.logeintrag("lade Alarmdaten: " + f.beschreibung); };
    std::string bytes;
    if (Fehler f = m_fs.lesen(pfad, bytes, k_alarmdaten_max + 1)) {
        melden_(f);
        return;
    }
    if (bytes.size() > k_alarmdaten_max) {
        // Not a file this program wrote: every control keeps its state.
        melden_(Fehler::zu_gross(pfad));
        return;
    }
    alarmdaten_einlesen(bytes, m_maske, melden_);
}

void Meldeliste::bildschirm_anpassen()
{
    laden();
    anpassen();
    melden();
}

void Meldeliste::anpassen()
{
    const auto& pfade = m_e.gruppenpfad;
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        m_maske.melde_gruppen_tooltip[i] = "Gruppe " + std::to_string(i + 1);
        m_maske.gruppennamen_tooltip[i] = "zum änder doppelt klicken";
        const bool konfiguriert = !pfade[i].empty();
        m_maske.relais_aktiv[i] = konfiguriert;
        m_maske.relaisfarben[i] = konfiguriert ? k_gruen : k_schaltflaeche;
        m_maske.gruppennamen_aktiv[i] = konfiguriert;
        m_maske.melde_gruppen_aktiv[i] = konfiguriert;
    }
}

void Meldeliste::relais_farbe(int index, int farbe)
{
    laden();
    if (!gueltig(index)) {
        return;
    }
    m_maske.relaisfarben[idx(index)] = farbe;
    melden();
}

void Meldeliste::gruppe_erreichbar(int index, bool erreichbar, const std::string& grund)
{
    if (!gueltig(index)) {
        return;
    }
    m_maske.gruppe_stoerung[idx(index)] =
        erreichbar ? "" : "Gruppe " + std::to_string(index + 1) + " " + grund;
    melden();
}

void Meldeliste::anwesende_zeigen(int index, int anzahl, const std::vector<std::string>& namen)
{
    if (!gueltig(index)) {
        return;
    }
    std::string zeile;
    if (anzahl == 0) {
        zeile = "kein Platz empfangsbereit";
    } else if (anzahl > 0) {
        zeile = std::to_string(anzahl) + (anzahl == 1 ? " Platz" : " Plätze") + " empfangsbereit";
        for (std::size_t n = 0; n < namen.size(); ++n) {
            zeile += (n == 0 ? ": " : ", ") + namen[n];
        }
    }
    if (m_maske.gruppe_anwesend[idx(index)] == anzahl && m_maske.gruppe_anwesende[idx(index)] == zeile) {
        return;
    }
    m_maske.gruppe_anwesend[idx(index)] = anzahl;
    m_maske.gruppe_anwesende[idx(index)] = zeile;
    melden();
}

void Meldeliste::gruppe_warnen(int index, bool an)
{
    if (!gueltig(index) || m_maske.gruppe_warnung[idx(index)] == an) {
        return;
    }
    m_maske.gruppe_warnung[idx(index)] = an;
    melden();
}

void Meldeliste::eingaenge(bool ein1, bool ein2)
{
    laden();
    m_maske.ein1 = ein1;
    m_maske.ein2 = ein2;
}

bool Meldeliste::melde_alle()
{
    laden();
    return m_maske.melde_alle == 1;
}

int Meldeliste::melde_gruppe(int index)
{
    laden();
    return gueltig(index) ? m_maske.melde_gruppen[idx(index)] : 0;
}

std::array<std::string, 4> Meldeliste::sammeltexte()
{
    laden();
    return m_maske.alarmtexte;
}

std::string Meldeliste::gruppenname(int index)
{
    laden();
    return gueltig(index) ? m_maske.gruppennamen[idx(index)] : std::string();
}

void Meldeliste::gruppe_benennen(int index, const std::string& name)
{
    laden();
    if (!gueltig(index)) {
        return;
    }
    m_maske.gruppennamen[idx(index)] = name;
    melden();
}

void Meldeliste::liste_loeschen_geklickt()
{
    constexpr const char* k_frage = "Liste löschen ?";
    if (m_frage_offen) {
        m_boxen.nach_vorn(k_frage);
        return;
    }
    // OK removes what the journal held when the question was asked; entries
    // written while the question is open stay.
    const std::optional<Dateiinfo> gefragt = m_fs.info(m_log.journal_pfad());
    m_frage_offen = true;
    std::weak_ptr<bool> lebt = m_lebt;
    m_boxen.frage(k_programmtitel, k_frage, [this, lebt, gefragt](bool ok) {
        if (lebt.expired()) {
            return;
        }
        m_frage_offen = false;
        if (!ok || !gefragt) {
            return;
        }
        if (Fehler f = journal_kuerzen(*gefragt)) {
            const std::string text = "Liste nicht gelöscht: " + f.meldungstext();
            m_log.logeintrag(text);
            m_boxen.hinweis(k_programmtitel, text);
        }
        liste_laden();
    });
}

Fehler Meldeliste::journal_kuerzen(const Dateiinfo& gefragt)
{
    Dateisystem& fs = m_fs;
    const std::string pfad = m_log.journal_pfad();
    const std::optional<Dateiinfo> jetzt = fs.info(pfad);
    if (!jetzt) {
        return {};
    }
    if (jetzt->kennung != gefragt.kennung || jetzt->groesse < gefragt.groesse) {
        // Another file took the name meanwhile: nothing in it was asked about.
        return {};
    }
    if (jetzt->groesse == gefragt.groesse) {
        return fs.leeren(pfad);
    }
    std::string rest;
    if (Fehler f = fs.lesen_ab(pfad, gefragt.groesse, rest)) {
        return f;
    }
    return fs.ersetzen(pfad, rest);
}

void Meldeliste::alle_gruppen_geklickt(bool an)
{
    m_maske.melde_alle = an ? 1 : 0;
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        if (m_maske.melde_gruppen_aktiv[i]) {
            m_maske.melde_gruppen[i] = m_maske.melde_alle;
        }
    }
    melden();
}

void Meldeliste::meldegruppe_geklickt(int index)
{
    if (!gueltig(index) || !m_maske.melde_gruppen_aktiv[idx(index)]) {
        return;
    }
    int& wert = m_maske.melde_gruppen[idx(index)];
    wert = wert == 1 ? 0 : 1;
    melden();
}

void Meldeliste::alarm_ausloesen_geklickt()
{
    m_folgen.alarm_ausloesen();
}

void Meldeliste::relais_geklickt(int index)
{
    if (!gueltig(index) || !m_maske.relais_aktiv[idx(index)]) {
        return;
    }
    m_folgen.ausgang_ausschalten(index);
}

void Meldeliste::gruppenname_geklickt(int index)
{
    if (!gueltig(index) || !m_maske.gruppennamen_aktiv[idx(index)]) {
        return;
    }
    m_bezeichnung.gruppen_index = index;
    m_bezeichnung.zeigen();
}

void Meldeliste::alarmdaten_speichern_geklickt()
{
    if (const std::string feld = alarmdaten_unkodierbar(m_maske); !feld.empty()) {
        // Written as '?', the text or name would come back changed: the file stays as it is.
        const std::string text = "Alarmdaten nicht gespeichert: " + feld;
        m_log.logeintrag(text);
        m_boxen.hinweis(k_programmtitel, text);
        return;
    }
    if (Fehler f = m_fs.ersetzen(alarmdaten_pfad(), alarmdaten_bytes(m_maske))) {
        // The file keeps its old content; the user must know the save failed.
        const std::string text = "Alarmdaten nicht gespeichert: " + f.meldungstext();
        m_log.logeintrag(text);
        m_boxen.hinweis(k_programmtitel, text);
    }
}

void Meldeliste::alarmtext_geaendert(int nummer, const std::string& text)
{
    if (nummer < 1 || nummer > 4) {
        return;
    }
    m_maske.alarmtexte[static_cast<std::size_t>(nummer - 1)] = text;
}

} // namespace hestrel
