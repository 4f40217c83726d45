#include "presentation/alarmgesendet.h"

#include "core/version.h"

namespace hestrel {

Alarmgesendet::Alarmgesendet(Scheduler& scheduler)
    : m_timerwarte(scheduler.timer("Timerwarte", 15000))
{
    m_timerwarte->tick = [this] { Timerwarte_Timer(); };
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
    m_command1_enabled = true;
    m_timerwarte->stop();
}

void Alarmgesendet::einschalten()
{
    erzeugen();
    m_sichtbar = true;
    // A wait already running goes on unchanged.
    m_timerwarte->start();
    m_command1_enabled = false;
    melden();
    if (vorholen) {
        vorholen();
    }
}

void Alarmgesendet::command1_freigeben()
{
    erzeugen();
    m_command1_enabled = true;
    melden();
}

void Alarmgesendet::Command1_Click()
{
    if (!m_command1_enabled) {
        return;
    }
    m_sichtbar = false;
    melden();
}

void Alarmgesendet::schliessen()
{
    m_timerwarte->stop();
    m_existiert = false;
    m_sichtbar = false;
    m_command1_enabled = true;
    melden();
}

void Alarmgesendet::Timerwarte_Timer()
{
    m_timerwarte->stop();
    m_command1_enabled = true;
    melden();
}

}  // namespace hestrel
