#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hestrel {

// File boundary of the shared text files: Windows-1252 bytes with CR LF on disk,
// UTF-8 lines in the engine.

// Each line converted to Windows-1252 and ended by CR LF.
std::string zeilen_kodieren(const std::vector<std::string>& zeilen);

// Splits file bytes into UTF-8 lines. A line ends at CR LF, a lone CR or a lone LF;
// the terminator is not part of the line; text after the last terminator is a line.
std::vector<std::string> zeilen_zerlegen(std::string_view cp1252);

// One value of a settings or group data line: leading blanks are skipped; a value
// that then begins with a double quote runs to the closing quote ("" stands for
// one quote); any other value is the rest of the line.
std::string wert_lesen(std::string_view zeile);

// The line that wert_lesen reads back as the same value: the value itself, or,
// when it holds a comma or a double quote or begins with a blank, the value in
// double quotes with inner quotes doubled. Line breaks inside become blanks.
std::string wert_schreiben(std::string_view wert);

} // namespace hestrel
