#include <cstdio>
#include <cstdlib>

#include "fuzz/ziele.h"

namespace hestrel::test {
namespace {

void abbrechen(const std::string& was)
{
    std::fprintf(stderr, "Eigenschaft verletzt: %s\n", was.c_str());
    std::abort();
}

Fehlschlag g_fehlschlag = abbrechen;

} // namespace

void fehlschlag_setzen(Fehlschlag f)
{
    g_fehlschlag = f ? f : abbrechen;
}

void pruefen(bool bedingung, const std::string& was)
{
    if (!bedingung) {
        g_fehlschlag(was);
    }
}

} // namespace hestrel::test
