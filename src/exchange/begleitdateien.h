#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hestrel {

// The records Hestrel keeps in a group directory beside the alarm files.
// Older workstations look only at "MESSAGE.XQV" and "MDAT<key>.XQV", so every
// record has a name beginning "hestrel-" and ending ".txt", which they never
// read nor delete. A record is Windows-1252 text with CR LF: a first line
// naming its kind and layout ("HESTREL-HERKUNFT 1"), then "Schluessel=Wert"
// lines. Unknown keys are skipped; a record without its first line or one of
// its required keys is garbage. Each is written whole (temporary file, then
// renamed) and read with a size cap; a link under its name is never followed.

inline constexpr std::size_t k_max_begleitdatei = 4096;
inline constexpr const char* k_begleitpraefix = "hestrel-";
// The origin of the alarm last sent into the group by a Hestrel workstation.
inline constexpr const char* k_herkunftsdatei = "hestrel-herkunft.txt";
inline constexpr const char* k_antwortpraefix = "hestrel-antwort-";
inline constexpr const char* k_anwesenheitspraefix = "hestrel-da-";
inline constexpr const char* k_probepraefix = "hestrel-probe-";
// Responses and origin records older than this (by the share's clock) are removed by whoever finds them.
inline constexpr std::int64_t k_begleitdatei_veraltet_ns = std::int64_t{10} * 60 * 1000 * 1000 * 1000;

// A workstation's name as it may stand in a file name: letters, digits, '-'
// and '_' kept (at most 40), everything else '_'; never empty.
std::string platzkennung(std::string_view platzname);
// A new alarm identity: 16 lower-case hex digits.
std::string neue_alarmkennung();
// The check sum that ties an origin record to the data file it came with
// (FNV-1a, 64 bits, 16 hex digits) over the data file's bytes.
std::string pruefsumme(std::string_view bytes);

std::string antwortdatei(const std::string& alarm, const std::string& platzname);
// The names of every response to one alarm begin with this.
std::string antwortpraefix(const std::string& alarm);
// The time of day of a record's "dd.mm.yyyy hh:mm:ss": what follows the space, or all of it.
std::string uhrzeit_aus(const std::string& zeit);
std::string anwesenheitsdatei(const std::string& platzname);
std::string probedatei(const std::string& platzname);

// Who sent the alarm: written by the sender after the signal files.
struct Herkunft {
    std::string alarm;        // alarm identity
    std::string platz;        // workstation name
    std::string benutzer;     // user
    std::string zeit;         // "dd.mm.yyyy hh:mm:ss", the sender's clock
    std::vector<int> gruppen; // target groups, 1..50
    bool probe = false;       // a test alarm
    std::string pruefsumme;   // of the data file sent with it
    // The signal file was written again after a pause, so that older
    // workstations still marking the group see the alarm: the same alarm.
    bool wiederholt = false;
};

// A receiver's answer to an alarm, in the directory the alarm came from.
struct Antwort {
    enum class Art { kommt, empfangen };
    std::string alarm;
    std::string platz;
    std::string benutzer;
    std::string zeit;
    Art art = Art::kommt;
};

// A workstation that receives the group's alarms: renewed about once a minute.
struct Anwesenheit {
    std::string platz;
    std::string benutzer;
    std::string zeit;
};

// Each text is UTF-8 in the engine; the bytes are the record's file.
std::string kodieren(const Herkunft& h);
std::string kodieren(const Antwort& a);
std::string kodieren(const Anwesenheit& a);
// None for garbage; grund then says why (for the event log).
std::optional<Herkunft> herkunft_lesen(std::string_view bytes, std::string& grund);
std::optional<Antwort> antwort_lesen(std::string_view bytes, std::string& grund);
std::optional<Anwesenheit> anwesenheit_lesen(std::string_view bytes, std::string& grund);

} // namespace hestrel
