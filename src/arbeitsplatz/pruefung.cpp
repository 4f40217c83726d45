#include "arbeitsplatz/pruefung.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/wavdatei.h"
#include "device/befehle.h"
#include "device/empfangsdecoder.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/einstellungsverwaltung.h"
#include "einstellungen/zusatzeinstellungen.h"
#include "exchange/austauschdateien.h"
#include "exchange/begleitdateien.h"

namespace hestrel {
namespace {

// The data directory as the settings' load sees it, but nothing is written:
// the load creates the journal, writes the export file and the event log,
// and the check must leave all of them as they are.
class Nurlesend : public Dateisystem {
  public:
    explicit Nurlesend(Dateisystem& fs) : m_fs(fs) {}
    bool existiert(const std::string& pfad) override { return m_fs.existiert(pfad); }
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override
    {
        return m_fs.lesen(pfad, inhalt, max_bytes);
    }
    Fehler ersetzen(const std::string&, const std::string&) override { return {}; }
    Fehler anhaengen(const std::string&, const std::string&) override { return {}; }
    Fehler leeren(const std::string&) override { return {}; }
    Fehler loeschen(const std::string&) override { return {}; }
    std::optional<Dateiinfo> info(const std::string& pfad) override { return m_fs.info(pfad); }
    Dateistand stand(const std::string& pfad) override { return m_fs.stand(pfad); }

  private:
    Dateisystem& m_fs;
};

// What would have been a message box goes into the report.
class Boxensammler : public Meldungsdienst {
  public:
    void hinweis(const std::string&, const std::string& text) override { merken(text); }
    void frage(const std::string&, const std::string& text, std::function<void(bool)>) override
    {
        merken(text);
    }
    void merken(std::string text)
    {
        // An error box's text ends in two blanks after the number.
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        texte.push_back(text);
    }
    std::vector<std::string> texte;
};

// The load names the port and opens it; the check opens it itself afterwards.
class Portvermerk : public Seriellerport {
  public:
    void setCommPort(int nummer) override { m_nummer = nummer; }
    int commPort() const override { return m_nummer; }
    void schliessen() override {}
    bool offen() const override { return false; }
    Fehler schreiben(const std::string&) override { return {}; }

  protected:
    Fehler port_oeffnen() override { return {}; }
    Fehler rts_leitung(bool) override { return {}; }

  private:
    int m_nummer = 0;
};

class Folgenstumm : public Einstellungsfolgen {
  public:
    void abfrage_anhalten() override {}
    void abfrage_fortsetzen() override {}
    void tastenverzoegerung_setzen(int) override {}
    void geraeteabfrage_setzen(bool) override {}
    void programm_beenden() override {}
};

// The directory a prefix's files land in: "/srv/import" puts "MDAT0.XQV" into "/srv/".
std::string landeverzeichnis(const std::string& praefix)
{
    const auto p = praefix.rfind(k_trenner);
    return p == std::string::npos ? std::string(".") : praefix.substr(0, p + 1);
}

// An exchange file's name in another case than the one every workstation
// writes ("message.xqv", "Mdat0.xqv"): seen only where the share ignores case.
bool ist_schreibvariante(std::string_view name)
{
    std::string gross(name);
    std::transform(gross.begin(), gross.end(), gross.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (gross == k_signaldatei) {
        return name != k_signaldatei;
    }
    return gross.size() > 8 && gross.starts_with("MDAT") && gross.ends_with(".XQV") &&
           (!name.starts_with("MDAT") || !name.ends_with(".XQV"));
}

// The path with its last name in capitals.
std::string grossgeschrieben(const std::string& pfad)
{
    std::string s = pfad;
    const auto schnitt = s.find_last_of(k_trenner);
    std::transform(s.begin() + static_cast<std::ptrdiff_t>(schnitt == std::string::npos ? 0 : schnitt + 1),
                   s.end(),
                   s.begin() + static_cast<std::ptrdiff_t>(schnitt == std::string::npos ? 0 : schnitt + 1),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string verbinden(const std::vector<std::string>& teile, const std::string& trenner)
{
    std::string s;
    for (const auto& t : teile) {
        s += (s.empty() ? "" : trenner) + t;
    }
    return s;
}

// "16 Bit, 22050 Hz, 1 Kanal, 1,5 s"
std::string wav_beschreibung(const Wavformat& w)
{
    const std::int64_t zehntel = w.bilder * 10 / w.abtastrate;
    return std::to_string(w.bits) + " Bit" + (w.gleitkomma ? " Gleitkomma" : "") + ", " +
           std::to_string(w.abtastrate) + " Hz, " + std::to_string(w.kanaele) +
           (w.kanaele == 1 ? " Kanal, " : " Kanäle, ") + std::to_string(zehntel / 10) + "," +
           std::to_string(zehntel % 10) + " s";
}

const char* stufenwort(Pruefung::Stufe s)
{
    switch (s) {
    case Pruefung::Stufe::ok:
        return "OK";
    case Pruefung::Stufe::hinweis:
        return "HINWEIS";
    case Pruefung::Stufe::warnung:
        return "WARNUNG";
    case Pruefung::Stufe::fehler:
        return "FEHLER";
    case Pruefung::Stufe::offen:
        break;
    }
    return "OFFEN";
}

} // namespace

struct Pruefung::Zustand {
    Zustand(Dateisystem& fs, Scheduler& scheduler, const Uhr& uhr, const std::string& datenverzeichnis)
        : lesend(fs), log(lesend, uhr, datenverzeichnis, werte.logfileaktive), einreihend(lesend, scheduler),
          verwaltung(werte, log, datenverzeichnis, lesend, einreihend, scheduler, boxen, port, folgen)
    {
    }
    Einstellungen werte;
    Nurlesend lesend;
    Logbuch log;
    Boxensammler boxen;
    Portvermerk port;
    Folgenstumm folgen;
    EinreihenderFreigabedienst einreihend;
    Einstellungsverwaltung verwaltung;
};

Pruefung::Pruefung(Dateisystem& fs, Scheduler& scheduler, const Uhr& uhr, Seriellerport& port,
                   Freigabedienst& freigaben, std::string datenverzeichnis,
                   std::vector<std::string> standortverzeichnisse)
    : m_fs(fs), m_scheduler(scheduler), m_uhr(uhr), m_port(port), m_freigaben(freigaben),
      m_datenverzeichnis(std::move(datenverzeichnis)), m_standort(std::move(standortverzeichnisse)),
      m_frist(scheduler.timer("Pruefungsfrist", k_frist_ms)),
      m_zeichenfrist(scheduler.timer("Zeichenfrist", 1000))
{
    m_z = std::make_unique<Zustand>(m_fs, m_scheduler, m_uhr, m_datenverzeichnis);
    m_decoder = std::make_unique<Empfangsdecoder>(*m_zeichenfrist);
    m_frist->tick = [this] { fristablauf(); };
    m_zeichenfrist->tick = [this] { m_decoder->zeitablauf(); };
}

Pruefung::~Pruefung()
{
    m_port.empfangen = nullptr;
    m_port.verloren = nullptr;
    if (m_port_offen) {
        m_port.schliessen();
    }
}

void Pruefung::starten(std::function<void()> fertig)
{
    m_fertig_melden = std::move(fertig);
    m_befunde.clear();
    einstellungen_laden();
    const Einstellungen& e = m_z->werte;
    // Every check gets its line first, so the report keeps this order
    // whatever answers first.
    std::vector<std::pair<std::size_t, std::string>> verzeichnisse;
    for (int i = 0; i < k_gruppen; ++i) {
        const std::string& pfad = e.gruppenpfad[static_cast<std::size_t>(i)];
        if (!pfad.empty()) {
            verzeichnisse.emplace_back(m_befunde.size(), pfad);
            m_befunde.push_back({"Gruppe " + std::to_string(i + 1), Stufe::offen, pfad});
        }
    }
    if (m_einstellungen_ok && verzeichnisse.empty()) {
        m_befunde.push_back({"Gruppen", Stufe::fehler, "keine Gruppe hat ein Verzeichnis"});
    }
    if (!e.importverzeichnis.empty()) {
        verzeichnisse.emplace_back(m_befunde.size(), e.importverzeichnis);
        m_befunde.push_back({"Importverzeichnis", Stufe::offen, e.importverzeichnis});
    } else {
        m_befunde.push_back({"Importverzeichnis", Stufe::hinweis, "keines eingestellt"});
    }
    m_geraetebefund = m_befunde.size();
    m_befunde.push_back({"Alarmbox", Stufe::offen, ""});

    m_offen = verzeichnisse.size() + 1;
    m_frist->start();
    for (const auto& [befund, pfad] : verzeichnisse) {
        verzeichnis_pruefen(befund, pfad);
    }
    geraet_pruefen();
    tondatei_pruefen();
    journal_pruefen();
    if (m_offen == 0) {
        abschliessen();
    }
}

void Pruefung::einstellungen_laden()
{
    Einstellungsverwaltung& v = m_z->verwaltung;
    v.standort_setzen(m_standort);
    v.starten();
    const std::string& quelle = v.geladen_aus();
    const bool vom_standort = !quelle.empty() && quelle != v.einstellungsdatei_pfad();
    Befund b{"Einstellungen", Stufe::ok, quelle + (vom_standort ? " (Voreinstellungen des Standorts)" : "")};
    if (quelle.empty()) {
        b.stufe = Stufe::fehler;
        b.text = "keine Hestrel.DAT in " + m_datenverzeichnis + " und keine Voreinstellungen in " +
                 verbinden(m_standort, ", ") + "; beim Start öffnet das Einstellungsfenster";
    } else if (!m_z->boxen.texte.empty()) {
        b.stufe = Stufe::fehler;
        b.text += ": " + verbinden(m_z->boxen.texte, " / ");
    } else if (v.maske().sichtbar) {
        b.stufe = Stufe::fehler;
        b.text += ": beim Start öffnet das Einstellungsfenster" +
                  (v.maske().id_warnung.empty() ? std::string() : " (" + v.maske().id_warnung + ")");
    }
    m_einstellungen_ok = b.stufe == Stufe::ok;
    // The probe files carry the workstation's name, as its other records do.
    std::string meldung;
    m_platzname = zusatz_laden(m_z->lesend, m_datenverzeichnis, meldung).platzname;
    m_befunde.push_back(std::move(b));
}

void Pruefung::setzen(std::size_t befund, Stufe stufe, std::string text)
{
    if (befund >= m_befunde.size() || m_befunde[befund].stufe != Stufe::offen) {
        return;
    }
    m_befunde[befund].stufe = stufe;
    m_befunde[befund].text = std::move(text);
    if (m_offen > 0 && --m_offen == 0) {
        abschliessen();
    }
}

void Pruefung::verzeichnis_pruefen(std::size_t befund, const std::string& praefix)
{
    struct Ergebnis {
        Stufe stufe = Stufe::fehler;
        std::string text;
    };
    auto ergebnis = std::make_shared<Ergebnis>();
    const std::string probe = praefix + probedatei(m_platzname);
    const std::string inhalt = "HESTREL-PROBE 1\r\nPlatz=" + platzkennung(m_platzname) + "\r\n";
    // Runs on the share's side; a share that hangs never gets past its first call.
    // It tries what the exchange does there, with the same calls.
    auto arbeit = [ergebnis, praefix, probe, inhalt](Dateisystem& fs) {
        const auto ms_seit = [](std::chrono::steady_clock::time_point t) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t)
                .count();
        };
        const std::string verzeichnis = landeverzeichnis(praefix);
        auto fehlt = [&](const std::string& was, const Fehler& f) {
            ergebnis->text = praefix + ": " + was + (f ? ": " + f.beschreibung : std::string());
        };
        if (!fs.existiert(verzeichnis)) {
            return fehlt("fehlt", {});
        }
        // One listing, as the records' upkeep takes one where the directory changed.
        const auto gelistet = std::chrono::steady_clock::now();
        Namensliste liste;
        if (Fehler f = fs.namen(verzeichnis, ist_schreibvariante, liste, 8)) {
            return fehlt("nicht lesbar", f);
        }
        const auto listen_ms = ms_seit(gelistet);
        const auto beginn = std::chrono::steady_clock::now();
        if (Fehler f = fs.ersetzen_fluechtig(probe, inhalt)) {
            return fehlt("nicht beschreibbar", f);
        }
        // A Windows server finds a name in any case; a share with Unix extensions does not.
        const bool gross_klein = fs.stand(grossgeschrieben(probe)).art != Dateistand::Art::datei;
        // Another desk reads the data file while the next alarm replaces it.
        Ersetzbericht gehalten;
        const Fehler ersetzt = fs.gehalten_ersetzen(probe, inhalt, gehalten);
        std::string zurueck;
        const Fehler gelesen = fs.lesen(probe, zurueck, k_max_begleitdatei);
        const Fehler geloescht = fs.loeschen(probe);
        if (ersetzt) {
            return fehlt("eine Datei, die ein anderer Platz offen hält, lässt sich weder ersetzen noch "
                         "an Ort und Stelle schreiben",
                         ersetzt);
        }
        if (gelesen || zurueck != inhalt) {
            return fehlt("Probedatei nicht so gelesen wie geschrieben", gelesen);
        }
        if (geloescht) {
            return fehlt("Probedatei nicht entfernt", geloescht);
        }
        ergebnis->stufe = Stufe::ok;
        ergebnis->text = praefix + ": lesbar und beschreibbar, Probedatei in " +
                         std::to_string(ms_seit(beginn)) + " ms angelegt und entfernt";
        if (gehalten.an_ort) {
            ergebnis->text += "; eine offen gehaltene Datei wird an Ort und Stelle geschrieben";
        }
        ergebnis->text += "; " + std::to_string(liste.eintraege) + " Einträge, aufgelistet in " +
                          std::to_string(listen_ms) + " ms";
        if (gross_klein) {
            ergebnis->text += "; unterscheidet Groß- und Kleinschreibung";
            if (!liste.namen.empty()) {
                ergebnis->stufe = Stufe::fehler;
                ergebnis->text += ": " + liste.namen.front() + " eines anderen Platzes wird nicht gesehen";
                return;
            }
        }
        if (liste.eintraege > k_viele_eintraege) {
            ergebnis->stufe = Stufe::warnung;
            ergebnis->text += ": zu viele für ein Gruppenverzeichnis, jede Auflistung belastet den Server";
        }
    };
    m_freigaben.auftrag(
        praefix, arbeit,
        [this, befund, praefix, ergebnis, lebt = std::weak_ptr<bool>(m_lebt)](bool ausgefuehrt) {
            if (!lebt.lock()) {
                return;
            }
            if (!ausgefuehrt) {
                return setzen(befund, Stufe::fehler, praefix + ": antwortet nicht");
            }
            setzen(befund, ergebnis->stufe, ergebnis->text);
        },
        k_frist_ms);
}

void Pruefung::geraet_pruefen()
{
    const Einstellungen& e = m_z->werte;
    if (e.comdeaktiviert != "0") {
        return setzen(m_geraetebefund, Stufe::hinweis, "keine eingestellt");
    }
    const int n = anschlussnummer(e.portnummer);
    const std::string anschluss = "Anschluss " + std::to_string(n);
    m_befunde[m_geraetebefund].text = anschluss;
    m_port.setCommPort(n);
    if (Fehler f = m_port.oeffnen(); f || !m_port.offen()) {
        return setzen(m_geraetebefund, Stufe::fehler,
                      anschluss + ": nicht geöffnet" + (f ? ": " + f.beschreibung : std::string()));
    }
    m_port_offen = true;
    m_port.empfangen = [this](std::uint8_t byte) {
        if (m_decoder->schritt(byte) && m_decoder->telegrammtyp() == Empfangsdecoder::k_status) {
            geraet_antwort();
        }
    };
    m_port.verloren = [this, anschluss](const Fehler& f) {
        m_port_offen = false;
        setzen(m_geraetebefund, Stufe::fehler, anschluss + ": verloren: " + f.beschreibung);
    };
    if (Fehler f = m_port.schreiben(statusabfrage_befehl())) {
        setzen(m_geraetebefund, Stufe::fehler,
               anschluss + ": Statusabfrage nicht gesendet: " + f.beschreibung);
    }
}

void Pruefung::geraet_antwort()
{
    const auto& p = m_decoder->empfangspuffer();
    std::string an;
    for (int k = 3; k <= Empfangsdecoder::k_statuslaenge; ++k) {
        if (p[static_cast<std::size_t>(k)] != 0) {
            an += " " + std::to_string(k - 2);
        }
    }
    setzen(m_geraetebefund, Stufe::ok,
           m_befunde[m_geraetebefund].text + ": antwortet, Taste 1 " + (p[1] ? "gedrückt" : "frei") +
               ", Taste 2 " + (p[2] ? "gedrückt" : "frei") + ", Ausgänge an:" + (an.empty() ? " keine" : an));
}

void Pruefung::tondatei_pruefen()
{
    const std::string& datei = m_z->werte.signaldatei;
    if (datei.empty()) {
        m_befunde.push_back({"Tondatei", Stufe::hinweis, "keine eingestellt: Alarme piepen"});
        return;
    }
    Befund b{"Tondatei", Stufe::warnung, datei};
    // Read and judged as the alarm's player reads and judges it.
    std::string bytes;
    std::string fehler;
    if (!m_fs.existiert(datei)) {
        b.text += ": fehlt, Alarme piepen";
    } else if (fehler = tondatei_lesen(m_fs, datei, bytes); !fehler.empty()) {
        b.text += ": nicht lesbar, Alarme piepen: " + fehler;
    } else if (const auto w = wav_format(bytes, k_ton_abtastrate, fehler)) {
        b.stufe = Stufe::ok;
        b.text += ": abspielbar, " + wav_beschreibung(*w);
    } else {
        b.text += ": " + fehler + ", Alarme piepen";
    }
    m_befunde.push_back(std::move(b));
}

void Pruefung::journal_pruefen()
{
    // Opened for appending and closed without a byte written: the journal
    // stays as it is; where it is missing it is created empty, as the
    // start-up creates it.
    const std::string pfad = m_z->log.journal_pfad();
    if (Fehler f = m_fs.anhaengen(pfad, "")) {
        m_befunde.push_back({"Journal", Stufe::fehler, pfad + ": nicht beschreibbar: " + f.beschreibung});
    } else {
        m_befunde.push_back({"Journal", Stufe::ok, pfad + ": beschreibbar"});
    }
}

void Pruefung::fristablauf()
{
    const std::string sekunden = std::to_string(k_frist_ms / 1000);
    for (std::size_t i = 0; i < m_befunde.size(); ++i) {
        if (m_befunde[i].stufe == Stufe::offen) {
            const std::string& was = m_befunde[i].text;
            setzen(i, Stufe::fehler,
                   was + (i == m_geraetebefund ? ": keine Antwort" : ": antwortet nicht") +
                       " innerhalb von " + sekunden + " s");
        }
    }
}

void Pruefung::abschliessen()
{
    if (m_fertig) {
        return;
    }
    m_frist->stop();
    m_zeichenfrist->stop();
    m_port.empfangen = nullptr;
    m_port.verloren = nullptr;
    if (m_port_offen) {
        m_port.schliessen();
        m_port_offen = false;
    }
    m_fertig = true;
    if (m_fertig_melden) {
        m_fertig_melden();
    }
}

int Pruefung::rueckgabewert() const
{
    if (!m_einstellungen_ok) {
        return k_ohne_einstellungen;
    }
    for (const auto& b : m_befunde) {
        if (b.stufe == Stufe::fehler || b.stufe == Stufe::offen) {
            return k_gestoert;
        }
    }
    return k_alles_gut;
}

std::string Pruefung::bericht() const
{
    std::string s;
    int fehler = 0;
    int warnungen = 0;
    for (const auto& b : m_befunde) {
        std::string wort = stufenwort(b.stufe);
        wort.resize(8, ' ');
        s += wort + b.was + (b.text.empty() ? "" : ": " + b.text) + "\n";
        fehler += b.stufe == Stufe::fehler || b.stufe == Stufe::offen ? 1 : 0;
        warnungen += b.stufe == Stufe::warnung ? 1 : 0;
    }
    const int code = rueckgabewert();
    s += "Ergebnis: " + std::to_string(fehler) + " Fehler, " + std::to_string(warnungen) +
         (warnungen == 1 ? " Warnung" : " Warnungen") + "; ";
    s += code == k_alles_gut  ? "Empfang und Senden bereit"
         : code == k_gestoert ? "Empfang oder Senden gestört"
                              : "Einstellungen nicht lesbar";
    s += " (Rückgabewert " + std::to_string(code) + ")\n";
    return s;
}

} // namespace hestrel
