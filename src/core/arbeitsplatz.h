#pragma once

#include <memory>
#include <string>

#include "core/hestrel.h"

namespace hestrel {

class Alarmanzeige;
class Alarmempfang;
class Alarmgesendet;
class Alarmversand;
class Geraet;
class Mainfo;
class Meldeliste;
class Mnbar;

// One whole workstation's engine: the central engine and the parts built on
// it, wired together. The program puts Qt services under it; the tests and
// the simulations put virtual ones.
class Arbeitsplatz {
public:
    explicit Arbeitsplatz(Dienste dienste);
    ~Arbeitsplatz();
    Arbeitsplatz(const Arbeitsplatz&) = delete;
    Arbeitsplatz& operator=(const Arbeitsplatz&) = delete;

    // Runs the start-up procedure on the given data directory.
    void starten(const std::string& datenverzeichnis);

    Hestrel& hestrel() { return m_hestrel; }
    Alarmanzeige& alarmanzeige() { return *m_alarmanzeige; }
    Alarmgesendet& alarmgesendet() { return *m_alarmgesendet; }
    Alarmversand& alarmversand() { return *m_alarmversand; }
    Alarmempfang& alarmempfang() { return *m_alarmempfang; }
    Meldeliste& meldeliste() { return *m_meldeliste; }
    Mainfo& mainfo() { return *m_mainfo; }
    Mnbar& mnbar() { return *m_mnbar; }
    Geraet& geraet() { return *m_geraet; }

private:
    Hestrel m_hestrel;
    std::unique_ptr<Alarmanzeige> m_alarmanzeige;
    std::unique_ptr<Alarmgesendet> m_alarmgesendet;
    std::unique_ptr<Alarmversand> m_alarmversand;
    std::unique_ptr<Alarmempfang> m_alarmempfang;
    std::unique_ptr<Meldeliste> m_meldeliste;
    std::unique_ptr<Mainfo> m_mainfo;
    std::unique_ptr<Mnbar> m_mnbar;
    std::unique_ptr<Geraet> m_geraet;
};

}  // namespace hestrel
