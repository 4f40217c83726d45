#include "core/wavdatei.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace hestrel {
namespace {

std::uint32_t le(const unsigned char* p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// One sample of a WAV file as -1 .. 1.
double probe_lesen(const unsigned char* p, int bits, bool gleitkomma)
{
    if (gleitkomma) {
        if (bits == 32) {
            const std::uint32_t roh = le(p, 4);
            float f = 0;
            std::memcpy(&f, &roh, sizeof f);
            return std::isfinite(f) ? static_cast<double>(f) : 0.0;
        }
        const std::uint64_t roh = le(p, 4) | (static_cast<std::uint64_t>(le(p + 4, 4)) << 32);
        double d = 0;
        std::memcpy(&d, &roh, sizeof d);
        return std::isfinite(d) ? d : 0.0;
    }
    switch (bits) {
    case 8:
        return (static_cast<int>(p[0]) - 128) / 128.0;
    case 16:
        return static_cast<std::int16_t>(le(p, 2)) / 32768.0;
    case 24: {
        std::int32_t v = static_cast<std::int32_t>(le(p, 3));
        if (v & 0x800000) {
            v -= 0x1000000;
        }
        return v / 8388608.0;
    }
    default:
        return static_cast<std::int32_t>(le(p, 4)) / 2147483648.0;
    }
}

std::int16_t probe16(double wert)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(wert, -1.0, 1.0) * 32767.0));
}

} // namespace

std::optional<Wavformat> wav_format(std::string_view datei, int abtastrate, std::string& fehler)
{
    const auto* p = reinterpret_cast<const unsigned char*>(datei.data());
    const auto groesse = static_cast<std::int64_t>(datei.size());
    if (groesse < 12 || datei.substr(0, 4) != "RIFF" || datei.substr(8, 4) != "WAVE") {
        fehler = "kein WAV-Format";
        return std::nullopt;
    }
    int format = -1;
    Wavformat w;
    std::int64_t datenlaenge = -1;
    for (std::int64_t pos = 12; pos + 8 <= groesse;) {
        const unsigned char* kopf = p + pos;
        const std::int64_t laenge = le(kopf + 4, 4);
        const std::int64_t rest = groesse - pos - 8;
        if (std::memcmp(kopf, "fmt ", 4) == 0 && laenge >= 16 && rest >= 16) {
            format = static_cast<int>(le(kopf + 8, 2));
            w.kanaele = static_cast<int>(le(kopf + 10, 2));
            w.abtastrate = le(kopf + 12, 4);
            w.block = static_cast<int>(le(kopf + 20, 2));
            w.bits = static_cast<int>(le(kopf + 22, 2));
            if (format == 0xFFFE && laenge >= 40 && rest >= 40) {
                format = static_cast<int>(le(kopf + 32, 2));
            }
        } else if (std::memcmp(kopf, "data", 4) == 0) {
            // A file cut short, or written as a stream, plays as far as it goes.
            w.daten_ab = static_cast<std::size_t>(pos + 8);
            datenlaenge = std::min(laenge, rest);
            break;
        }
        pos += 8 + laenge + (laenge & 1);
    }
    w.gleitkomma = format == 3;
    const int probenbytes = w.bits / 8;
    const bool bekannt = (format == 1 && (w.bits == 8 || w.bits == 16 || w.bits == 24 || w.bits == 32)) ||
                         (w.gleitkomma && (w.bits == 32 || w.bits == 64));
    if (format < 0 || datenlaenge < 0) {
        fehler = "unvollständige WAV-Datei";
        return std::nullopt;
    }
    if (!bekannt || w.kanaele < 1 || w.kanaele > 32 || w.abtastrate < 1000 || w.abtastrate > 768000 ||
        w.block < w.kanaele * probenbytes) {
        fehler = "WAV-Format nicht unterstützt";
        return std::nullopt;
    }
    w.bilder = std::min(datenlaenge / w.block, k_max_wav_sekunden * w.abtastrate);
    if (w.bilder * abtastrate / w.abtastrate <= 0) {
        fehler = "keine Tondaten";
        return std::nullopt;
    }
    return w;
}

std::vector<std::int16_t> wav_dekodieren(std::string_view datei, int abtastrate, int kanaele,
                                         std::string& fehler)
{
    const std::optional<Wavformat> format = wav_format(datei, abtastrate, fehler);
    if (!format) {
        return {};
    }
    const Wavformat& w = *format;
    const auto* daten = reinterpret_cast<const unsigned char*>(datei.data()) + w.daten_ab;
    const int probenbytes = w.bits / 8;
    auto probe = [&](std::int64_t bild, int k) {
        return probe_lesen(daten + bild * w.block + static_cast<std::ptrdiff_t>(k) * probenbytes, w.bits,
                           w.gleitkomma);
    };
    // Fewer channels than the file's: their mean; more: the file's repeated.
    auto wert = [&](std::int64_t bild, int k) {
        if (kanaele == 1 && w.kanaele > 1) {
            double summe = 0;
            for (int q = 0; q < w.kanaele; ++q) {
                summe += probe(bild, q);
            }
            return summe / w.kanaele;
        }
        if (w.kanaele == kanaele || k < w.kanaele) {
            return probe(bild, std::min(k, w.kanaele - 1));
        }
        return probe(bild, k % w.kanaele);
    };
    const std::int64_t bilder = w.bilder * abtastrate / w.abtastrate;
    std::vector<std::int16_t> proben;
    proben.reserve(static_cast<std::size_t>(bilder * kanaele));
    for (std::int64_t i = 0; i < bilder; ++i) {
        // Linear between the two nearest frames of the file.
        const double ort = static_cast<double>(i) * static_cast<double>(w.abtastrate) / abtastrate;
        const std::int64_t a = std::min(static_cast<std::int64_t>(ort), w.bilder - 1);
        const std::int64_t b = std::min(a + 1, w.bilder - 1);
        const double anteil = ort - static_cast<double>(a);
        for (int k = 0; k < kanaele; ++k) {
            proben.push_back(probe16(wert(a, k) * (1.0 - anteil) + wert(b, k) * anteil));
        }
    }
    return proben;
}

std::string tondatei_lesen(Dateisystem& fs, const std::string& pfad, std::string& bytes)
{
    if (Fehler f = fs.lesen(pfad, bytes, k_max_wavdatei + 1)) {
        bytes.clear();
        return f.beschreibung;
    }
    if (bytes.size() > k_max_wavdatei) {
        bytes.clear();
        return "zu groß (mehr als " + std::to_string(k_max_wavdatei / (std::size_t{1024} * 1024)) + " MB)";
    }
    return {};
}

} // namespace hestrel
