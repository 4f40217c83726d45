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

void Alarmgesendet::einschalten()
{
    erzeugen();
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
