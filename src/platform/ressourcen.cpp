#include "platform/ressourcen.h"

#include <QtGlobal>

static void hestrel_ressourcen_init()
{
    Q_INIT_RESOURCE(hestrel);
}

namespace hestrel {

void ressourcen_laden()
{
    hestrel_ressourcen_init();
}

} // namespace hestrel
