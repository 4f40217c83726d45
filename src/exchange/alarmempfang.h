#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/dateisystem.h"
#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/scheduler.h"
#include "core/uhr.h"
#include "einstellungen/einstellungen.h"
#include "exchange/begleitdateien.h"

namespace hestrel {

class Alarmanzeige;
class Alarmversand;
class Tonausgabe;

// What a received alarm shows in the message list.
class Empfangsanzeige {
  public:
    virtual ~Empfangsanzeige() = default;
    // Shows the message list, not modal, loading it first when needed.
    virtual void zeigen() = 0;
    // Background colour of the relay button of group index: k_rot, k_gruen.
    virtual void relais_farbe(int index, int farbe) = 0;
    // A group directory stopped answering (grund says since when and why) or answers again.
    virtual void gruppe_erreichbar(int index, bool erreichbar, const std::string& grund) = 0;
};

// The alarm box's output of the group an alarm came from.
class Geraeteausgang {
  public:
    virtual ~Geraeteausgang() = default;
    virtual void alarm_an_geraet(int gruppe) = 0;
};

// What follows a group alarm once it is presented: its origin and answers
// are looked for (after the window, the device, the list, the sound and the
// journal, never before).
class Empfangsfolgen {
  public:
    virtual ~Empfangsfolgen() = default;
    // gruppe: index 0..49; signal: the signal file it came from; daten: the data file's bytes as read.
    virtual void alarm_praesentiert(int gruppe, const std::string& pfad, const Dateiinfo& signal,
                                    const std::string& daten) = 0;
};

// What one look into a directory found: the signal file, and for a signal
// file not yet presented its key and the data file it names. Taken on the
// share's side, evaluated on the engine's thread.
struct Verzeichnisbefund {
    Dateistand signal;
    // The directory itself answered as there (looked at only where it decides something).
    bool verzeichnis_da = true;
    // The directory is a share mounted there (another device than its parent);
    // looked at when an alarm is read, and when one presented from a mounted share is gone.
    std::optional<bool> eingehaengt;
    // The signal file and the data file were read.
    bool gelesen = false;
    Fehler schluesselfehler;
    std::string schluessel;
    Dateistand daten;
    Fehler datenfehler;
    std::string datentext;
    // The origin record is read with the alarm: asked for where the data file
    // looked unchanged since the last alarm from there; done anyway for a text
    // that begins like a test alarm's.
    bool herkunft_lesen = false;
    // The group's origin record, when it belongs to this signal file: written
    // after it while it still lay there, with the check sum of the text read.
    std::optional<Herkunft> herkunft;
};

// The poll cycle (every 5 s): the sender's follow-up steps, then the search of
// the import directory and the 50 group directories for signal files, and the
// presentation of each new alarm once, with its sound or beeps. It owns the
// poll tick, the beeps' tick and the wait for the directories' answers.
//
// Each tick first asks every directory for a Verzeichnisbefund through the
// share service, then decides on the answers in group order. A directory that
// has not answered within k_antwortfrist_ms is left as it was for this tick;
// its answer is used at the next tick, so one hung or slow share never holds
// up the others.
class Alarmempfang {
  public:
    // How one run of alarm_empfangen ended.
    enum class Ergebnis {
        praesentiert,
        abgebrochen, // the signal file was dealt with without showing anything
        nicht_bereit // the signal file is empty or unreadable yet: tried again later
    };

    // How long a tick waits for the directories' answers.
    static constexpr int k_antwortfrist_ms = 300;
    // A directory that has not answered for this long counts as unreachable.
    static constexpr int k_unerreichbar_ms = 3000;
    // And whatever the share's clock says: a signal file seen unchanged for
    // this long was left by a sender that stopped before its clean-up.
    static constexpr int k_liegengeblieben_ms = 60000;
    // How long a network client may answer with a file's old size.
    static constexpr int k_attributfrist_ms = 1100;
    // A text that begins like a test alarm's waits this long, read again every
    // half second, for the origin record that makes it one; then it is shown
    // as a real alarm. Its sender writes the record right after the signal file.
    static constexpr int k_probefrist_ms = 1000;
    // A signal file older than the senders' clean-up plus one poll, by the
    // share's clock, was left by a sender that stopped: it is removed.
    static constexpr std::int64_t k_liegengeblieben_ns = std::int64_t{15000 + 5000} * 1000000;

    Alarmempfang(const Einstellungen& einstellungen, Logbuch& log, Dateisystem& fs, Freigabedienst& freigaben,
                 Scheduler& scheduler, const Uhr& uhr, Alarmversand& versand, Alarmanzeige& anzeige,
                 Tonausgabe* ton, Geraeteausgang& ausgang);
    ~Alarmempfang();
    Alarmempfang(const Alarmempfang&) = delete;
    Alarmempfang& operator=(const Alarmempfang&) = delete;

    // One poll tick.
    void abfragen();
    // One tick of the beeps: three beeps.
    void piepen();
    // The alarm's sound once more (the sound file, or the beeps).
    void ton_wiederholen() { ton_ausgeben(); }
    // The poll tick: every 5 s, faster while the import directory is handed
    // over or an alarm is read; paused while the settings window sets up.
    Zeitgeber& abfragetakt() { return *m_abfragetakt; }
    Zeitgeber& piepser() { return *m_piepser; }
    // The message list; none: nothing shows there.
    void anzeige_setzen(Empfangsanzeige* liste) { m_liste = liste; }
    // What follows a presented group alarm; none: nothing.
    void folgen_setzen(Empfangsfolgen* folgen) { m_folgen = folgen; }
    // Presents the alarm whose signal file lies in pfad, for group index
    // gruppe, looking at the files right now on this thread.
    Ergebnis alarm_empfangen(const std::string& pfad, int gruppe);

    bool empfang_aktiv() const { return m_empfang_aktiv; }
    bool gruppe_gemeldet(int index) const { return m_gruppe_gemeldet[static_cast<std::size_t>(index)]; }
    int piep_zaehler() const { return m_piep_zaehler; }
    // The group directory (index 0..49) has not answered for a while, or answered with an error.
    bool unerreichbar(int index) const
    {
        return m_verzeichnisse[static_cast<std::size_t>(index)].unerreichbar;
    }

    // Looks at the signal file in pfad (and, with verzeichnis_pruefen, whether
    // the directory is there when it is missing).
    static Verzeichnisbefund befund_erheben(Dateisystem& fs, const std::string& pfad,
                                            bool verzeichnis_pruefen, bool einhaengen_pruefen = false);
    // Reads the signal file the befund found and the data file it names.
    static void befund_lesen(Dateisystem& fs, const std::string& pfad, Verzeichnisbefund& b);

  private:
    // Where a directory's look stands. Index k_gruppen is the import directory.
    struct Verzeichnis {
        std::string pfad;
        bool unterwegs = false;
        std::int64_t seit_ms = 0;
        std::uint64_t gefragt_in = 0;
        std::optional<Verzeichnisbefund> befund;
        bool unerreichbar = false;
        std::string stoerung;
        bool keine_datei_gemeldet = false;
        // A read still running, and one that came too late for its tick: kept
        // for the next tick while the signal file is the same.
        bool liest = false;
        std::optional<Verzeichnisbefund> vorgelesen;
    };
    static constexpr std::size_t k_import = k_gruppen;

    // The steps of one tick: ask every directory, decide on the answers
    // (the send's follow-up steps, the import directory, the groups), and
    // read the one alarm to be presented.
    enum class Phase { ruhe, fragen, lesen };
    enum class Schritt { import, import_ende, gruppen, fertig };
    void umsehen();
    void antwort(std::size_t index, Verzeichnisbefund befund);
    void auswerten_wenn_bereit();
    void auswerten();
    void weiter();
    // Asks for the alarm of directory index to be read; false when it was
    // dealt with at once (answered, or not asked because the tick is over).
    bool lesen_anstossen(std::size_t index);
    void gelesen(std::size_t index, const Verzeichnisbefund& b);
    void frist_abgelaufen();
    // Ends a tick still waiting, with what came.
    void abschliessen();
    void stoerung_setzen(std::size_t index, const std::string& grund);
    void stoerung_aufheben(std::size_t index);
    void loeschen_lassen(const std::string& pfad, const Dateiinfo& signal);
    // The poll interval after which an alarm read now is to be read again
    // instead of shown; none: shown now.
    std::optional<int> zurueckstellen(std::size_t index, const Verzeichnisbefund& b);
    Ergebnis praesentieren(const Verzeichnisbefund& b, const std::string& pfad, int gruppe);
    std::string verzeichnisname(std::size_t index) const;
    void ton_ausgeben();
    void piepen_starten();
    // A test alarm's one short tone.
    void probeton();

    const Einstellungen& m_e;
    Logbuch& m_log;
    Dateisystem& m_fs;
    Freigabedienst& m_freigaben;
    Scheduler& m_scheduler;
    const Uhr& m_uhr;
    Alarmversand& m_versand;
    Alarmanzeige& m_anzeige;
    Tonausgabe* m_ton;
    Geraeteausgang& m_ausgang;
    Empfangsanzeige* m_liste = nullptr;
    Empfangsfolgen* m_folgen = nullptr;
    std::unique_ptr<Zeitgeber> m_abfragetakt;
    std::unique_ptr<Zeitgeber> m_piepser;
    std::array<bool, k_gruppen + 1> m_gruppe_gemeldet{};
    // The signal file each presented group alarm came from, and whether it lay on a mounted share.
    std::array<std::optional<Dateiinfo>, k_gruppen + 1> m_gemeldet_als{};
    std::array<bool, k_gruppen + 1> m_gemeldet_eingehaengt{};
    // The signal file last seen in each group, and since when (this desk's own steady clock).
    std::array<std::optional<Dateiinfo>, k_gruppen> m_gesehen_als{};
    std::array<std::int64_t, k_gruppen> m_gesehen_seit{};
    // The leftover whose removal was last asked for in each group.
    std::array<std::optional<Dateiinfo>, k_gruppen> m_liegengeblieben{};
    void liegengebliebene_entfernen();
    // Per directory: the signal file whose data file was missing once, the
    // data file of the alarm shown last, the signal file read again for it.
    std::array<std::optional<Dateiinfo>, k_gruppen + 1> m_daten_fehlten{};
    std::array<std::optional<Dateiinfo>, k_gruppen> m_daten_gezeigt{};
    std::array<std::optional<Dateiinfo>, k_gruppen> m_daten_gewartet{};
    // A text that begins like a test alarm's, whose origin record is waited for since then.
    std::array<std::optional<std::pair<Dateiinfo, std::int64_t>>, k_gruppen + 1> m_probe_gewartet{};
    bool m_empfang_aktiv = false;
    int m_piep_zaehler = 0;

    std::array<Verzeichnis, k_gruppen + 1> m_verzeichnisse{};
    // The tick in progress.
    std::uint64_t m_runde = 0;
    Phase m_phase = Phase::ruhe;
    Schritt m_schritt = Schritt::fertig;
    std::array<std::optional<Verzeichnisbefund>, k_gruppen + 1> m_befunde{};
    std::optional<bool> m_importsignal;
    std::size_t m_naechste = 0;
    bool m_uebergangen = false;
    // The read in progress: which directory, the interval before it.
    std::size_t m_liest = 0;
    int m_intervall_vorher = 0;
    std::uint64_t m_lesung = 0;
    bool m_nicht_mehr_lesen = false;
    std::unique_ptr<Zeitgeber> m_frist;
    // Answers that come back after the engine is gone are dropped.
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
