#pragma once

namespace hestrel {

// Makes the pictures built into the program available (":/bilder/...").
void ressourcen_laden();

} // namespace hestrel
