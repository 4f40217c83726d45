// Any bytes on the device line, each after any pause: the decoder reports
// exactly the status frames that were on the line, and the workstation sends
// one alarm for every frame with input 2 active.
#include <cstdint>
#include <vector>

#include "device/empfangsdecoder.h"
#include "device/geraet.h"
#include "fuzz/fuzzplatz.h"
#include "fuzz/ziele.h"

namespace hestrel::test {
namespace {

constexpr std::int64_t k_zeitablauf = 1000;
constexpr std::size_t k_rahmen = 14;

struct Byte {
    std::uint8_t wert;
    std::int64_t zeit;
    bool fertig; // the decoder reported a frame with this byte
    bool frei;   // the decoder had no frame in progress before this byte
    std::array<std::uint8_t, 13> puffer;
};

} // namespace

void decoder_pruefen(std::string_view eingabe)
{
    // The decoder alone, with its inter-byte time-out on a virtual clock.
    VirtualScheduler uhr;
    auto zeichenfrist = uhr.timer("Zeichenfrist", 1000);
    Empfangsdecoder decoder(*zeichenfrist);
    zeichenfrist->tick = [&] { decoder.zeitablauf(); };

    // The same bytes at the same moments into a workstation without a device
    // in use, whose port check therefore never interrupts a frame.
    Fuzzplatz p;
    p.fs.verzeichnis("/anlage/g1/");
    p.fs.dateien["/daten/Hestrel.DAT"] = einstellungen_bytes("/anlage/g1/", "", "keine", "1");
    p.starten();
    int alarme = 0;
    p.ap.beim_ausloesen = [&] {
        ++alarme;
        p.ap.senden();
    };

    // Each pair of input bytes: the byte, then the pause before it in 5 ms steps.
    std::vector<Byte> folge;
    for (std::size_t i = 0; i + 1 < eingabe.size(); i += 2) {
        const auto wert = static_cast<std::uint8_t>(eingabe[i]);
        const std::int64_t pause = static_cast<std::uint8_t>(eingabe[i + 1]) * 5;
        uhr.advance(pause);
        p.uhr.advance(pause);
        const bool frei = decoder.empfangsstatus() == 0;
        Byte b{wert, uhr.now_ms(), decoder.schritt(wert), frei, decoder.empfangspuffer()};
        folge.push_back(b);
        p.port.senden(std::string(1, static_cast<char>(wert)));
        pruefen(p.ap.geraet().decoder().empfangsstatus() == decoder.empfangsstatus(),
                "the workstation's decoder follows the line as the bare decoder does");
    }

    auto rahmen_ab = [&](std::size_t k) {
        if (k + k_rahmen > folge.size() || folge[k].wert != Empfangsdecoder::k_startzeichen ||
            folge[k + 1].wert != Empfangsdecoder::k_status) {
            return false;
        }
        for (std::size_t j = k + 1; j < k + k_rahmen; ++j) {
            if (folge[j].zeit - folge[j - 1].zeit >= k_zeitablauf) {
                return false;
            }
        }
        return true;
    };

    int erwartete_alarme = 0;
    for (std::size_t j = 0; j < folge.size(); ++j) {
        if (folge[j].fertig) {
            // Reported: the last 14 bytes were a frame, and the payload is theirs.
            pruefen(j + 1 >= k_rahmen && rahmen_ab(j + 1 - k_rahmen), "a reported frame was on the line");
            if (j + 1 >= k_rahmen) {
                for (std::size_t n = 1; n <= 12; ++n) {
                    pruefen(folge[j].puffer[n] == folge[j + 1 - k_rahmen + 1 + n].wert,
                            "the reported payload is the frame's");
                }
            }
            if (folge[j].puffer[2] == 1) {
                ++erwartete_alarme;
            }
        }
        // A frame after a second of silence, or one that starts while no other
        // is in progress (right after the previous frame), is never missed.
        const bool ruhe = j == 0 || folge[j].zeit - folge[j - 1].zeit >= k_zeitablauf;
        if ((ruhe || folge[j].frei) && rahmen_ab(j)) {
            pruefen(folge[j + k_rahmen - 1].fertig, "a frame after silence or after a frame is decoded");
        }
    }
    pruefen(alarme == erwartete_alarme, "every frame with input 2 active sends one alarm");
}

} // namespace hestrel::test
