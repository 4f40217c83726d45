#include "device/geraet.h"

#include <variant>

#include "core/hestrel.h"
#include "core/version.h"
#include "core/zahlen.h"

namespace hestrel {
namespace {

constexpr std::uint8_t k_start = Empfangsdecoder::k_startzeichen;
constexpr std::uint8_t k_statusabfrage = 1;
constexpr std::uint8_t k_ausgang_ein = 2;
constexpr std::uint8_t k_ausgang_aus = 3;
constexpr std::uint8_t k_alle_ausgaenge = 10;
constexpr std::uint8_t k_reset = 11;

std::string befehl(std::uint8_t code, std::uint8_t parameter)
{
    return std::string {static_cast<char>(k_start), static_cast<char>(code), static_cast<char>(parameter)};
}

Fehler nicht_offen()
{
    return {8018, "Anschluss nicht geöffnet"};
}

}  // namespace

Geraet::Geraet(Hestrel& hestrel)
    : m_h(hestrel), m_port(hestrel.dienste().port), m_decoder(hestrel.Timerser())
{
    m_h.porttest_seam = [this](int nummer) { return PortTest(nummer); };
    m_h.mscom_ausgabe_seam = [this](bool austext, int agruppe, int aktion) {
        MSCOM_Ausgabe(austext, agruppe, aktion);
    };
    m_h.timer_eingang().tick = [this] { schnittstelle_pruefen(); };
    m_h.Timerser().tick = [this] { Timerser_Timer(); };
    m_port.empfangen = [this](std::uint8_t byte) { empfangen(byte); };
    m_port.verloren = [this](const Fehler& f) { verloren(f); };
}

Geraet::~Geraet()
{
    m_port.empfangen = nullptr;
    m_port.verloren = nullptr;
    m_h.timer_eingang().tick = nullptr;
    m_h.Timerser().tick = nullptr;
    m_h.porttest_seam = nullptr;
    m_h.mscom_ausgabe_seam = nullptr;
}

int Geraet::portnummer() const
{
    // An empty or non-numeric setting gives 0, which no port takes.
    auto n = ganzzahl16(zahlenwert(m_h.einstellungen().portnummer));
    return std::holds_alternative<std::int16_t>(n) ? std::get<std::int16_t>(n) : 0;
}

void Geraet::aktualisieren()
{
    if (m_h.maske_geaendert) {
        m_h.maske_geaendert();
    }
}

bool Geraet::PortTest(int nummer)
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
        m_oeffnungsfehler = nicht_offen();
    }
    m_port.schliessen();
    m_decoder.zuruecksetzen();
    return ok;
}

void Geraet::schnittstelle_pruefen()
{
    if (m_h.einstellungen().comdeaktiviert == "1") {
        return;
    }
    Fehler fehler;
    if (PortTest(portnummer())) {
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
            fehler = m_port.schreiben(befehl(k_statusabfrage, k_alle_ausgaenge));
            if (!fehler) {
                return;
            }
            m_port.schliessen();
        }
    }
    nicht_aktiv(fehler ? fehler : nicht_offen());
}

void Geraet::nicht_aktiv(const Fehler& f)
{
    m_h.dienste().boxen.hinweis(k_programmtitel, "Schnittstelle nicht aktive!");
    m_h.log().logeintrag("Schnittstelle prüfen " + f.beschreibung + " - " + std::to_string(f.nummer));
}

void Geraet::verloren(const Fehler& f)
{
    m_decoder.zuruecksetzen();
    nicht_aktiv(f);
    // The interface check opens the port again once the device is back.
    if (m_h.einstellungen().comdeaktiviert != "1") {
        m_h.timer_eingang().start();
    }
}

void Geraet::MSCOM_Ausgabe(bool austext, int agruppe, int aktion)
{
    if (aktion == 2 && m_h.meldeliste) {
        m_h.meldeliste->relais_farbe(agruppe, k_rot);
    }
    if (aktion == 3 && m_h.meldeliste) {
        m_h.meldeliste->relais_farbe(agruppe, k_gruen);
    }
    if (m_h.einstellungen().comdeaktiviert == "1") {
        return;
    }
    std::string bytes;
    if ((aktion == 2 || aktion == 3) && agruppe >= 0 && agruppe < k_gruppen) {
        bytes = befehl(aktion == 2 ? k_ausgang_ein : k_ausgang_aus, static_cast<std::uint8_t>(agruppe + 1));
    } else if (aktion == 4) {
        bytes = befehl(k_ausgang_aus, k_reset);
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
        m_h.log().logeintrag("Schnittstelle Ausgabe " + fehler.beschreibung + " - " +
                             std::to_string(fehler.nummer));
        return;
    }
    // Pseudo-terminals and some adapters have no RTS line; the command itself went out.
    m_port.setRts(austext);
}

void Geraet::empfangen(std::uint8_t byte)
{
    std::string& spur = m_h.maske().ser_empfang;
    spur += " " + std::to_string(byte) + "h";
    if (spur.size() > k_spurlaenge) {
        spur.erase(0, spur.size() - k_spurlaenge);
    }
    if (m_decoder.schritt(byte)) {
        eingang_auswerten();
    }
}

void Geraet::Timerser_Timer()
{
    m_decoder.zeitablauf();
    m_h.maske().texttimeser = langzeit(m_h.dienste().uhr.jetzt());
    aktualisieren();
}

void Geraet::eingang_auswerten()
{
    if (!m_decoder.telegramm_fertig() || m_decoder.telegrammtyp() == 0) {
        return;
    }
    m_h.timer_eingang().stop();
    if (m_decoder.telegrammtyp() == Empfangsdecoder::k_status) {
        // Copied: the calls below may receive and decode further bytes.
        const auto puffer = m_decoder.empfangspuffer();
        const bool ein1 = puffer[1] == 1;
        const bool ein2 = puffer[2] == 1;
        std::string& text = m_h.maske().meldungtxt;
        text.clear();
        if (ein1) {
            text = "Eingang 1 aktive";
            MSCOM_Ausgabe(false, 1, 4);
            m_h.log().logeintrag("Reset Eingang");
            if (m_h.alarmanzeige_verbergen) {
                m_h.alarmanzeige_verbergen();
            }
        }
        if (ein2) {
            text = "Eingang 2 aktive";
            m_h.sammelmeldung();
        }
        if (ein1 && ein2) {
            text = "Eingang 1 und 2 aktive";
            for (int n = 1; n <= 10; ++n) {
                if (Fehler f = m_port.schreiben(befehl(k_ausgang_aus, static_cast<std::uint8_t>(n)))) {
                    m_h.log().logeintrag("Schnittstelle Ausgabe " + f.beschreibung + " - " +
                                         std::to_string(f.nummer));
                    break;
                }
            }
        }
        if (m_h.meldeliste) {
            m_h.meldeliste->eingaenge(ein1 && ein2, ein1 && ein2);
            for (int i = 0; i < 10; ++i) {
                const bool an = puffer[static_cast<std::size_t>(3 + i)] == 1;
                m_h.meldeliste->relais_farbe(i, an ? k_rot : k_gruen);
            }
        }
    }
    m_h.timer_eingang().start();
    aktualisieren();
}

}  // namespace hestrel
