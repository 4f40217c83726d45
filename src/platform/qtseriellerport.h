#pragma once

#include <memory>
#include <string>

#include "core/seriellerport.h"

class QSerialPort;

namespace hestrel {

// The device's serial port through Qt SerialPort at 2400 baud 8N1. Port n is
// the device named in $HESTREL_COM<n>, else /dev/ttyS<n-1>. Received bytes are
// handed on one per call of `empfangen`.
class QtSeriellerport : public Seriellerport {
  public:
    QtSeriellerport();
    ~QtSeriellerport() override;

    void setCommPort(int nummer) override { m_nummer = nummer; }
    int commPort() const override { return m_nummer; }
    void schliessen() override;
    bool offen() const override;
    Fehler schreiben(const std::string& bytes) override;

    // The device file that port `nummer` stands for; empty when there is none.
    static std::string geraetedatei(int nummer);

  protected:
    Fehler port_oeffnen() override;
    Fehler rts_leitung(bool an) override;

  private:
    void lesen();
    void fehler_aufgetreten(int fehler);

    std::unique_ptr<QSerialPort> m_port;
    int m_nummer = 1;
    std::string m_datei;
    // Counts the openings, so that a delivery loop notices a close under it.
    unsigned m_sitzung = 0;
    bool m_verlust_gemeldet = false;
};

} // namespace hestrel
