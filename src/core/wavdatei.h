#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dateisystem.h"

namespace hestrel {

// The alarm's sound file: WAV with PCM of 8, 16, 24 or 32 bits, or 32/64-bit
// float, any rate and channel count. The player and `hestrel --check` both
// read it through these functions, so the check calls a file good exactly
// where an alarm plays it.

// A sound file is read up to this size and played up to this length.
inline constexpr std::size_t k_max_wavdatei = std::size_t{64} * 1024 * 1024;
inline constexpr std::int64_t k_max_wav_sekunden = 300;
// The sound output's own format, into which every file is converted.
inline constexpr int k_ton_abtastrate = 44100;
inline constexpr int k_ton_kanaele = 2;

// What the header says and where the samples lie.
struct Wavformat {
    bool gleitkomma = false;
    int bits = 0;
    int kanaele = 0;
    std::int64_t abtastrate = 0;
    int block = 0; // bytes of one frame (one sample of every channel)
    std::size_t daten_ab = 0;
    std::int64_t bilder = 0; // frames that are played (a file cut short plays as far as it goes)
};

// The format of a WAV file held in `datei`; none, with the reason in
// `fehler`, where it cannot be played at `abtastrate`.
std::optional<Wavformat> wav_format(std::string_view datei, int abtastrate, std::string& fehler);

// Decodes a WAV file into interleaved 16-bit samples at `abtastrate` with
// `kanaele` channels. Empty, with the reason in `fehler`, when the file
// cannot be played; wav_format tells the same without decoding.
std::vector<std::int16_t> wav_dekodieren(std::string_view datei, int abtastrate, int kanaele,
                                         std::string& fehler);

// Reads the sound file whole into `bytes` as the player reads it: a regular
// file (never waiting on a FIFO or device under its name) of at most
// k_max_wavdatei bytes. The reason when it cannot be read; empty when it was.
std::string tondatei_lesen(Dateisystem& fs, const std::string& pfad, std::string& bytes);

} // namespace hestrel
