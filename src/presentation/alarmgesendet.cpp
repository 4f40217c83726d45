#include "presentation/alarmgesendet.h"

#include "core/version.h"

namespace hestrel {

Alarmgesendet::Alarmgesendet(Scheduler& scheduler)
    : m_wartezeit(scheduler.timer("Bestaetigungswartezeit", 15000))
{
    m_wartezeit->tick = [this] { wartezeit_um(); };
}

void Alarmgesendet::melden()
{
    if (geaendert) {
        geaendert();
    }
}

void Alarmgesendet::erzeugen()
{
    if (m_existiert) {
        return;
    }
    m_existiert = true;
    m_caption = k_firmentext;
    m_ok_aktiv = true;
    m_wartezeit->stop();
}

void Alarmgesendet::einschalten(bool probe)
{
    erzeugen();
    m_probe = probe;
    m_sichtbar = true;
    // A wait already running goes on unchanged.
    m_wartezeit->start();
    m_ok_aktiv = false;
    melden();
    if (vorholen) {
        vorholen();
    }
}

void Alarmgesendet::ok_freigeben()
{
    erzeugen();
    m_ok_aktiv = true;
    melden();
}

void Alarmgesendet::ok_geklickt()
{
    if (!m_ok_aktiv) {
        return;
    }
    m_sichtbar = false;
    melden();
}

void Alarmgesendet::schliessen()
{
    m_wartezeit->stop();
    m_existiert = false;
    m_sichtbar = false;
    m_ok_aktiv = true;
    melden();
}

void Alarmgesendet::wartezeit_um()
{
    m_wartezeit->stop();
    m_ok_aktiv = true;
    melden();
}

void Alarmgesendet::reichweite_setzen(std::vector<std::string> zeilen)
{
    m_reichweite = std::move(zeilen);
    melden();
}

} // namespace hestrel

namespace hestrel {

std::string Alarmgesendet::meldung() const
{
    return m_probe ? "Der Probealarm wurde ausgelöst ." : "Der Alarm wurde ausgelöst .";
}

void Alarmgesendet::rueckmeldungen_beginnen(bool probe)
{
    m_rueckmeldung_probe = probe;
    m_rueckmeldungen.clear();
    melden();
}

void Alarmgesendet::rueckmeldung(const std::string& platz, const std::string& uhrzeit)
{
    m_rueckmeldungen.push_back({platz, uhrzeit});
    erzeugen();
    m_sichtbar = true;
    melden();
    if (vorholen) {
        vorholen();
    }
}

void Alarmgesendet::rueckmeldungen_beenden()
{
    if (m_rueckmeldungen.empty()) {
        return;
    }
    m_rueckmeldungen.clear();
    melden();
}

std::string Alarmgesendet::rueckmeldetext() const
{
    if (m_rueckmeldungen.empty()) {
        return "";
    }
    const std::size_t n = m_rueckmeldungen.size();
    std::string text = m_rueckmeldung_probe ? "Empfangen" : (n == 1 ? "Es kommt" : "Es kommen");
    text += " (" + std::to_string(n) + "):";
    for (std::size_t i = 0; i < n; ++i) {
        text += (i == 0 ? " " : ", ") + m_rueckmeldungen[i].platz + " " + m_rueckmeldungen[i].uhrzeit;
    }
    return text;
}

} // namespace hestrel
