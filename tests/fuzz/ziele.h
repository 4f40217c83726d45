#pragma once

#include <string>
#include <string_view>

namespace hestrel::test {

// The fuzz targets. Each takes one input and checks what must hold for any
// input; a violation goes to the failure handler. The fuzzers run them under
// libFuzzer, the regular suite replays the kept inputs through them.
void einstellungen_pruefen(std::string_view eingabe);
void alarmdaten_pruefen(std::string_view eingabe);
void decoder_pruefen(std::string_view eingabe);
void empfang_pruefen(std::string_view eingabe);
void wav_pruefen(std::string_view eingabe);

// Called with a description when a property fails: the fuzzers abort, the
// regular suite records a test failure.
using Fehlschlag = void (*)(const std::string& was);
void fehlschlag_setzen(Fehlschlag f);
void pruefen(bool bedingung, const std::string& was);

} // namespace hestrel::test
