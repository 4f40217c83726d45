#include "device/geraet.h"

#include "core/version.h"
#include "device/befehle.h"
#include "einstellungen/einstellungsverwaltung.h"

namespace hestrel {

Geraet::Geraet(Einstellungsverwaltung& einstellungen, Logbuch& log, Meldungsdienst& boxen,
               Seriellerport& port, Scheduler& scheduler, const Uhr& uhr, Geraetefolgen& folgen)
    : m_einstellungen(einstellungen), m_log(log), m_boxen(boxen), m_port(port), m_uhr(uhr),
      m_scheduler(scheduler), m_folgen(folgen), m_entprellung(scheduler.timer("Tastenentprellung", 2000)),
      m_statusabfrage(scheduler.timer("Statusabfrage", 500)),
      m_zeichenfrist(scheduler.timer("Zeichenfrist", 1000)), m_decoder(*m_zeichenfrist)
{
    m_statusabfrage->tick = [this] { schnittstelle_pruefen(); };
    m_zeichenfrist->tick = [this] { zeichenpause(); };
    m_port.empfangen = [this](std::uint8_t byte) { empfangen(byte); };
    m_port.verloren = [this](const Fehler& f) { verloren(f); };
}

Geraet::~Geraet()
{
    m_port.empfangen = nullptr;
    m_port.verloren = nullptr;
}

int Geraet::portnummer() const
{
    return anschlussnummer(m_einstellungen.einstellungen().portnummer);
}

void Geraet::aktualisieren()
{
    m_einstellungen.melden();
}

bool Geraet::port_pruefen(int nummer)
{
    if (m_port.offen()) {
        m_port.schliessen();
    }
    m_port.setCommPort(nummer);
    m_oeffnungsfehler = {};
    if (!m_port.offen()) {
        m_oeffnungsfehler = m_port.oeffnen();
    }
    const bool ok = !m_oeffnungsfehler && m_port.offen();
    if (!ok && !m_oeffnungsfehler) {
        m_oeffnungsfehler = anschluss_nicht_geoeffnet();
    }
    m_port.schliessen();
    m_decoder.zuruecksetzen();
    return ok;
}

void Geraet::schnittstelle_pruefen()
{
    if (m_einstellungen.einstellungen().comdeaktiviert == "1") {
        return;
    }
    // A poll that starts again after a pause (device switched off and on) starts the silence anew.
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    if (m_letzte_frage_ms < 0 || jetzt - m_letzte_frage_ms > 4 * k_stumm_ms / 10) {
        m_letzte_antwort_ms = jetzt;
    }
    m_letzte_frage_ms = jetzt;
    Fehler fehler;
    if (port_pruefen(portnummer())) {
        fehler = m_port.oeffnen();
    } else {
        fehler = m_oeffnungsfehler;
    }
    if (m_port.offen()) {
        // Closing and opening again discards whatever is left in the buffers.
        m_port.schliessen();
        fehler = m_port.oeffnen();
        m_decoder.zuruecksetzen();
        if (!fehler && m_port.offen()) {
            fehler = m_port.schreiben(statusabfrage_befehl());
            if (!fehler) {
                return;
            }
            m_port.schliessen();
        }
    }
    nicht_aktiv(fehler ? fehler : anschluss_nicht_geoeffnet());
}

void Geraet::nicht_aktiv(const Fehler& f)
{
    m_boxen.hinweis(k_programmtitel, "Schnittstelle nicht aktive!");
    m_log.logeintrag("Schnittstelle prüfen " + f.beschreibung + " - " + std::to_string(f.nummer));
}

void Geraet::verloren(const Fehler& f)
{
    m_decoder.zuruecksetzen();
    nicht_aktiv(f);
    // The interface check opens the port again once the device is back.
    if (m_einstellungen.einstellungen().comdeaktiviert != "1") {
        statusabfrage().start();
    }
}

void Geraet::statusausgabe(bool austext, int gruppe, int aktion)
{
    if (aktion == k_ausgang_an && m_relais) {
        m_relais->relais_farbe(gruppe, k_rot);
    }
    if (aktion == k_ausgang_aus && m_relais) {
        m_relais->relais_farbe(gruppe, k_gruen);
    }
    if (m_einstellungen.einstellungen().comdeaktiviert == "1") {
        return;
    }
    std::string bytes;
    if ((aktion == k_ausgang_an || aktion == k_ausgang_aus) && gruppe >= 0 && gruppe < k_gruppen) {
        bytes = geraetebefehl(aktion == k_ausgang_an ? befehl::k_ein : befehl::k_aus,
                              static_cast<std::uint8_t>(gruppe + 1));
    } else if (aktion == k_zuruecksetzen) {
        bytes = geraetebefehl(befehl::k_aus, befehl::k_reset);
    } else {
        return;
    }
    Fehler fehler;
    if (!m_port.offen()) {
        m_port.setCommPort(portnummer());
        fehler = m_port.oeffnen();
    }
    if (!fehler) {
        fehler = m_port.schreiben(bytes);
    }
    if (fehler) {
        // The colour stands; the device is told again by the next command.
        m_log.logeintrag("Schnittstelle Ausgabe " + fehler.beschreibung + " - " +
                         std::to_string(fehler.nummer));
        return;
    }
    // Pseudo-terminals and some adapters have no RTS line; the command itself went out.
    m_port.setRts(austext);
}

void Geraet::empfangen(std::uint8_t byte)
{
    std::string& spur = m_einstellungen.maske().empfangsspur;
    spur += " " + std::to_string(byte) + "h";
    if (spur.size() > k_spurlaenge) {
        spur.erase(0, spur.size() - k_spurlaenge);
    }
    if (m_decoder.schritt(byte)) {
        eingang_auswerten();
    }
}

void Geraet::zeichenpause()
{
    m_decoder.zeitablauf();
    m_einstellungen.maske().letzte_zeichenpause = langzeit(m_uhr.jetzt());
    aktualisieren();
}

void Geraet::eingang_auswerten()
{
    if (!m_decoder.telegramm_fertig() || m_decoder.telegrammtyp() == 0) {
        return;
    }
    statusabfrage().stop();
    if (m_decoder.telegrammtyp() == Empfangsdecoder::k_status) {
        m_letzte_antwort_ms = m_scheduler.jetzt_ms();
        // Copied: the calls below may receive and decode further bytes.
        const auto puffer = m_decoder.empfangspuffer();
        const bool ein1 = puffer[1] == 1;
        const bool ein2 = puffer[2] == 1;
        std::string& text = m_einstellungen.maske().meldungtxt;
        text.clear();
        if (ein1) {
            text = "Eingang 1 aktive";
            statusausgabe(false, 1, k_zuruecksetzen);
            m_log.logeintrag("Reset Eingang");
            m_folgen.alarmanzeige_verbergen();
        }
        if (ein2) {
            text = "Eingang 2 aktive";
            m_folgen.alarm_ausloesen();
        }
        if (ein1 && ein2) {
            text = "Eingang 1 und 2 aktive";
            for (int n = 1; n <= 10; ++n) {
                if (Fehler f = m_port.schreiben(geraetebefehl(befehl::k_aus, static_cast<std::uint8_t>(n)))) {
                    m_log.logeintrag("Schnittstelle Ausgabe " + f.beschreibung + " - " +
                                     std::to_string(f.nummer));
                    break;
                }
            }
        }
        if (m_relais) {
            m_relais->eingaenge(ein1 && ein2, ein1 && ein2);
            for (int i = 0; i < 10; ++i) {
                const bool an = puffer[3 + static_cast<std::size_t>(i)] == 1;
                m_relais->relais_farbe(i, an ? k_rot : k_gruen);
            }
        }
    }
    statusabfrage().start();
    aktualisieren();
}

bool Geraet::stumm() const
{
    if (m_einstellungen.einstellungen().comdeaktiviert == "1" || m_letzte_frage_ms < 0) {
        return false;
    }
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    // Asked lately (the poll runs), and no answer for the whole while.
    return jetzt - m_letzte_frage_ms <= 4 * k_stumm_ms / 10 && jetzt - m_letzte_antwort_ms >= k_stumm_ms;
}

} // namespace hestrel
