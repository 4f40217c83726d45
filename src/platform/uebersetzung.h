#pragma once

class QCoreApplication;

namespace hestrel {

// Loads Qt's own German texts (qtbase_de), so that the standard dialogs and
// buttons speak German like the rest of the program; false when they are missing.
bool qt_deutsch_laden(QCoreApplication& app);

} // namespace hestrel
