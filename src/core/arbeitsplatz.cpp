#include "core/arbeitsplatz.h"

#include "console/meldeliste.h"
#include "device/geraet.h"
#include "exchange/alarmempfang.h"
#include "exchange/alarmversand.h"
#include "presentation/alarmanzeige.h"
#include "presentation/alarmgesendet.h"
#include "tray/mainfo.h"
#include "tray/mnbar.h"

namespace hestrel {

Arbeitsplatz::Arbeitsplatz(Dienste dienste) : m_hestrel(dienste)
{
    m_meldeliste = std::make_unique<Meldeliste>(m_hestrel);
    m_hestrel.meldeliste = m_meldeliste.get();
    m_mainfo = std::make_unique<Mainfo>(m_hestrel);
    m_mnbar = std::make_unique<Mnbar>(m_hestrel, *m_mainfo);
    m_hestrel.tray_laden = [this] { m_mnbar->laden(); };
    m_hestrel.pbeend_Click = [this] { m_mnbar->pbeend_Click(); };
    m_alarmanzeige = std::make_unique<Alarmanzeige>(m_hestrel, dienste.prozesse);
    m_alarmgesendet = std::make_unique<Alarmgesendet>(dienste.scheduler, m_hestrel.firmentext);
    m_alarmversand = std::make_unique<Alarmversand>(m_hestrel, *m_alarmgesendet);
    m_alarmempfang = std::make_unique<Alarmempfang>(m_hestrel, *m_alarmversand, *m_alarmanzeige, dienste.ton);
    m_hestrel.sammelmeldung_seam = [this] { m_alarmversand->sammelmeldung(); };
    m_hestrel.alarmanzeige_verbergen = [this] { m_alarmanzeige->Hide(); };
    m_hestrel.Timer1().tick = [this] { m_alarmempfang->Timer1_Timer(); };
    m_hestrel.Timer2().tick = [this] { m_alarmempfang->Timer2_Timer(); };
    m_geraet = std::make_unique<Geraet>(m_hestrel);
}

Arbeitsplatz::~Arbeitsplatz() = default;

void Arbeitsplatz::starten(const std::string& datenverzeichnis)
{
    m_hestrel.Form_Load(datenverzeichnis);
}

}  // namespace hestrel
