#include "core/arbeitsplatz.h"

namespace hestrel {

Arbeitsplatz::Arbeitsplatz(Dienste dienste) : m_hestrel(dienste)
{
}

Arbeitsplatz::~Arbeitsplatz() = default;

void Arbeitsplatz::starten(const std::string& datenverzeichnis)
{
    m_hestrel.Form_Load(datenverzeichnis);
}

}  // namespace hestrel
