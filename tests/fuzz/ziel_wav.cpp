// Any bytes as the alarm's sound file: reading them never harms, the check
// calls them playable exactly where the player gets sound out of them, and
// the sound has the length the header promises.
#include "core/wavdatei.h"
#include "fuzz/ziele.h"

namespace hestrel::test {

void wav_pruefen(std::string_view eingabe)
{
    // The player's own format, and one channel at a low rate (mixed down, fewer frames).
    for (const auto& [rate, kanaele] : {std::pair{k_ton_abtastrate, k_ton_kanaele}, std::pair{8000, 1}}) {
        std::string fehler_format;
        const auto format = wav_format(eingabe, rate, fehler_format);
        std::string fehler;
        const std::vector<std::int16_t> proben = wav_dekodieren(eingabe, rate, kanaele, fehler);
        pruefen(format.has_value() == !proben.empty(), "the check calls good exactly what plays");
        pruefen(fehler == fehler_format, "the check and the player give the same reason");
        pruefen(format.has_value() == fehler.empty(), "what does not play says why");
        if (format) {
            const std::int64_t bilder = format->bilder * rate / format->abtastrate;
            pruefen(proben.size() == static_cast<std::size_t>(bilder * kanaele), "every frame is played");
            pruefen(format->daten_ab + static_cast<std::size_t>(format->bilder * format->block) <=
                        eingabe.size(),
                    "only the file's own bytes are played");
        }
    }
}

} // namespace hestrel::test
