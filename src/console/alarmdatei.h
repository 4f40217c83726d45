#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "console/meldelistenmaske.h"
#include "core/fehler.h"

namespace hestrel {

// "Alarmdaten.DAT": the four alarm text lines, then ticks and names of groups
// 1..10, then ticks and names of groups 11..50; 104 lines, one value each.
inline constexpr int k_alarmdatenzeilen = 104;
// 104 short lines; a larger file is not one and is not read.
inline constexpr std::size_t k_alarmdaten_max = 1 << 20;

// The file's bytes for the message list's state: Windows-1252, CR LF, tick
// lines as " 0 ", texts and names quoted where they would not read back.
std::string alarmdaten_bytes(const Meldelistenmaske& m);

// The message naming the first text or group name that holds characters the
// file cannot keep; "" when every one fits.
std::string alarmdaten_unkodierbar(const Meldelistenmaske& m);

// Takes the file's values into the message list's state. A value that is
// missing or unreadable leaves its control as it was and is reported.
void alarmdaten_einlesen(std::string_view bytes, Meldelistenmaske& m,
                         const std::function<void(const Fehler&)>& melden);

} // namespace hestrel
