#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/meldungsdienst.h"
#include "core/seriellerport.h"
#include "core/virtualscheduler.h"

namespace hestrel::test {

// A fresh directory under the system's temp directory, removed afterwards.
class TempVerzeichnis {
  public:
    TempVerzeichnis();
    ~TempVerzeichnis();
    TempVerzeichnis(const TempVerzeichnis&) = delete;
    TempVerzeichnis& operator=(const TempVerzeichnis&) = delete;

    const std::string& pfad() const { return m_pfad; }
    // pfad + "/" + name
    std::string operator/(const std::string& name) const { return m_pfad + "/" + name; }
    // Makes a subdirectory and returns its path with a trailing separator.
    std::string unterverzeichnis(const std::string& name) const;

  private:
    std::string m_pfad;
};

std::string datei_lesen(const std::string& pfad);
void datei_schreiben(const std::string& pfad, const std::string& bytes);
bool existiert(const std::string& pfad);
std::vector<std::string> zeilen(const std::string& bytes); // split at CR LF
// Bytes this process has read from files so far (the kernel's count).
std::uint64_t gelesene_bytes();
// A WAV file of `ms` milliseconds of silence, 16-bit mono at `abtastrate`.
std::string wav_stille(int abtastrate, int ms);

// Message boxes that only record what they were asked to show.
class FakeMeldungsdienst : public Meldungsdienst {
  public:
    struct Box {
        std::string titel;
        std::string text;
    };
    void hinweis(const std::string& titel, const std::string& text) override
    {
        hinweise.push_back({titel, text});
    }
    void frage(const std::string& titel, const std::string& text, std::function<void(bool)> antwort) override
    {
        fragen.push_back({titel, text});
        offene_antwort = std::move(antwort);
    }
    void nach_vorn(const std::string& text) override { nach_vorn_geholt.push_back(text); }
    std::vector<Box> hinweise;
    std::vector<std::string> nach_vorn_geholt;
    std::vector<Box> fragen;
    std::function<void(bool)> offene_antwort;
};

// A serial port in memory: records what is written, can refuse to open. Its
// RTS line behaves as a driver's: raised at every opening, dropped at close.
class FakePort : public Seriellerport {
  public:
    void setCommPort(int nummer) override { nummer_ = nummer; }
    int commPort() const override { return nummer_; }
    Fehler port_oeffnen() override
    {
        ++oeffnungen;
        if (oeffnen_fehler) {
            return oeffnen_fehler;
        }
        offen_ = true;
        leitung_rts = true;
        return {};
    }
    void schliessen() override
    {
        offen_ = false;
        leitung_rts = false;
    }
    bool offen() const override { return offen_; }
    Fehler schreiben(const std::string& bytes) override
    {
        if (!offen_) {
            return anschluss_nicht_geoeffnet();
        }
        if (schreib_fehler) {
            return schreib_fehler;
        }
        geschrieben += bytes;
        return {};
    }
    Fehler rts_leitung(bool an) override
    {
        leitung_rts = an;
        return {};
    }
    // Feeds bytes as if the device had sent them.
    void senden(const std::string& bytes)
    {
        for (unsigned char c : bytes) {
            if (empfangen) {
                empfangen(c);
            }
        }
    }

    int nummer_ = 1;
    bool offen_ = false;
    // The RTS line as the device sees it.
    bool leitung_rts = false;
    int oeffnungen = 0;
    Fehler oeffnen_fehler;
    Fehler schreib_fehler;
    std::string geschrieben;
};

// A file system that passes to the real one but can fail chosen operations:
// every operation whose path contains `muster`, or every operation after the
// first `erlaubt` ones, fails with `fehler`.
class FehlerDateisystem : public Dateisystem {
  public:
    bool existiert(const std::string& pfad) override;
    Fehler lesen(const std::string& pfad, std::string& inhalt,
                 std::size_t max_bytes = std::numeric_limits<std::size_t>::max()) override;
    Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                    std::size_t max_bytes = std::numeric_limits<std::size_t>::max()) override;
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override;
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override;
    Fehler leeren(const std::string& pfad) override;
    Fehler loeschen(const std::string& pfad) override;
    std::optional<Dateiinfo> info(const std::string& pfad) override;

    std::string muster; // fail operations on paths containing this
    long erlaubt = -1;  // fail every write after this many; -1: never
    Fehler fehler{75, "Fehler beim Zugriff auf Pfad/Datei"};
    long schreibvorgaenge = 0;

  private:
    bool scheitert(const std::string& pfad, bool schreibend);
    EchtesDateisystem m_echt;
};

} // namespace hestrel::test
