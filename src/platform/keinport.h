#pragma once

#include "core/seriellerport.h"

namespace hestrel {

// A serial port that cannot be opened: stands in until a real one is attached.
class KeinPort : public Seriellerport {
  public:
    void setCommPort(int nummer) override { m_nummer = nummer; }
    int commPort() const override { return m_nummer; }
    void schliessen() override {}
    bool offen() const override { return false; }
    Fehler schreiben(const std::string&) override;

  protected:
    Fehler port_oeffnen() override;
    Fehler rts_leitung(bool) override { return {}; }

  private:
    int m_nummer = 1;
};

} // namespace hestrel
