#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/fehler.h"
#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "core/uhr.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/zusatzeinstellungen.h"

namespace hestrel {

class Alarmgesendet;
class Einstellungsverwaltung;
class Rueckmeldungen;
class Verzeichnisschau;
struct Verzeichnisbefund;

// What the send needs of the message list: the ticked target groups and the texts.
class Zielauswahl {
  public:
    virtual ~Zielauswahl() = default;
    // The box "alle Gruppen" is ticked.
    virtual bool melde_alle() = 0;
    // The group box of index: 0 clear, 1 ticked, 2 greyed.
    virtual int melde_gruppe(int index) = 0;
    // The four text lines of the alarm.
    virtual std::array<std::string, 4> sammeltexte() = 0;
};

// Sending an alarm into the target groups' directories and the follow-up
// steps of the poll tick: the hand-over through the import directory
// (import_uebergeben, import_abwarten) and the removal of the signal files
// 15 seconds after sending (aufraeumen).
//
// Every file step runs through the share service, each group in its own
// queue for alarms: the data file, then the signal file; the origin record
// follows in the group's queue for records. A group whose directory does not
// answer holds up only its own files; the others get theirs at once.
class Alarmversand {
  public:
    // How long the send waits for the data files and the import directory
    // before it writes the signal files of the groups that answered.
    static constexpr int k_sendefrist_ms = 1000;
    // A file step that could not start within this is dropped: it would come
    // after the sender's clean-up.
    static constexpr int k_verfall_ms = 10000;
    // The wait between a send and its clean-up; a signal file older than this is left over.
    static constexpr int k_aufraeumwartezeit_ms = 15000;
    // An own signal file whose removal failed is tried again at the poll
    // ticks this far apart, for this long; then the failure is logged once.
    static constexpr int k_loeschabstand_ms = 5000;
    static constexpr std::int64_t k_loeschversuche_ms = 60000;
    // How long the desk knows the signal files it wrote, never to show one as an alarm.
    static constexpr std::int64_t k_eigene_merken_ms = std::int64_t{10} * 60 * 1000;
    // A real alarm that replaces this desk's test alarm (or follows its
    // removal closely) would be missed by older workstations, which mark a
    // group while any signal file lies there. Its signal file stays for
    // Hestrel receivers, which poll every 5 s, for k_luecke_vorlauf_ms; then
    // it is taken away for k_luecke_ms, longer than an older workstation's
    // poll, and written again, its origin record saying so.
    static constexpr std::int64_t k_luecke_vorlauf_ms = 6000;
    static constexpr std::int64_t k_luecke_ms = 6000;

    Alarmversand(Einstellungsverwaltung& einstellungen, Logbuch& log, Freigabedienst& freigaben,
                 Scheduler& scheduler, Meldungsdienst& boxen, Alarmgesendet& bestaetigung);
    ~Alarmversand();
    Alarmversand(const Alarmversand&) = delete;
    Alarmversand& operator=(const Alarmversand&) = delete;

    // Data files into every target group, then the signal files, then each
    // group's origin record. probe: a test alarm, its text beginning
    // "PROBEALARM – ", never handed over through the import directory.
    void alarm_ausloesen(bool probe = false);
    // Who sends (the origin records' workstation and user, their time) and who
    // watches for the answers; without them no origin record is written.
    void absender_setzen(const Zusatzeinstellungen& zusatz, const Uhr& uhr, Rueckmeldungen& rueckmeldungen)
    {
        m_zusatz = &zusatz;
        m_uhr = &uhr;
        m_rueckmeldungen = &rueckmeldungen;
    }
    // The identity of the alarm last sent with origin records; "" before.
    const std::string& alarmkennung() const { return m_alarmkennung; }

    // The follow-up steps, each run by the poll tick when its flag is set.
    // The import directory is free: this workstation's signal goes there.
    void import_uebergeben();
    // Waits, tick by tick, for the alarm in the import directory to be taken.
    // importsignal: whether the import directory holds a signal file; unknown
    // when it did not answer; false once removed here. True when the tick ends here.
    bool import_abwarten(std::optional<bool>& importsignal);
    // The clean-up 15 s after a send: the desk's own signal files go, known
    // by what the writes found, whatever this tick's look saw or missed.
    // befunde: what this tick found in the group directories; an own signal
    // file counts as gone for the rest of the tick.
    void aufraeumen(std::array<std::optional<Verzeichnisbefund>, k_gruppen + 1>& befunde);
    // At every poll tick: own signal files whose removal failed, or that were
    // written after their send's clean-up, are removed when due.
    void eigene_entfernen();
    // The signal file info in group index is one this desk wrote.
    bool eigene_signaldatei(int index, const Dateiinfo& info) const;
    // This desk is writing its alarm's signal file in group index again, after
    // a pause: a signal file seen there now is looked at again at the next tick.
    bool schreibt_wieder(int index) const;

    // The poll tick whose pace the send and its follow-up steps set (owned by the reception).
    void abfragetakt_verbinden(Zeitgeber& takt) { m_abfragetakt = &takt; }
    // The share's clock in each group directory, for the leftovers of others; none: none is judged.
    void freigabeuhr_setzen(const Verzeichnisschau* schau) { m_freigabeuhr = schau; }
    // The share's clock in the group directory pfad; none while it is not known.
    std::optional<std::int64_t> freigabezeit_ns(const std::string& pfad) const;
    // The message list's targets and texts; none: no group is ticked, no text.
    void zielauswahl_setzen(Zielauswahl* ziele) { m_ziele = ziele; }

    bool nachricht_gesendet() const { return m_nachricht_gesendet; }
    bool import_wartet() const { return m_import_wartet; }
    bool import_frei() const { return m_import_frei; }
    int import_zaehler() const { return m_import_zaehler; }

    struct Sendung;

  private:
    bool ziel(int index, bool alle) const;
    std::string importsignal() const;
    void schreibfehler(const std::string& ziel, const Fehler& f);
    void schreibfehler_zeigen();
    void keine_zielgruppe();
    // Queues the origin record once the group's signal file is written (or,
    // for a send that renews the texts, its data file).
    void herkunft_schreiben(const std::shared_ptr<Sendung>& s, std::size_t g);
    void weitersenden(const std::shared_ptr<Sendung>& s);
    void signale_schreiben(const std::shared_ptr<Sendung>& s);
    void erledigt(const std::shared_ptr<Sendung>& s);
    void bericht(const std::shared_ptr<Sendung>& s);
    void frist_abgelaufen();
    // An own signal file, from its write to its removal.
    struct Eigene {
        Dateiinfo info;
        std::int64_t geschrieben_ms = 0;
        std::int64_t faellig_ms = 0;
        std::int64_t erster_fehlschlag_ms = -1;
        bool offen = true; // still to be removed
        bool unterwegs = false;
        bool probe = false;
        // Written again after a pause: removed when due, not by the send's clean-up tick.
        bool wiederholt = false;
        // When it was removed or found gone; -1 while it may lie there.
        std::int64_t weg_ms = -1;
    };
    // A real alarm's signal file to be taken away and written again (k_luecke_ms).
    struct Luecke {
        std::size_t gruppe = 0;
        Dateiinfo signal;
        std::int64_t faellig_ms = 0;
        bool entfernt = false;
        bool unterwegs = false;
        std::shared_ptr<const Sendung> sendung;
    };
    enum class Entfernung { geloescht, weg, gescheitert };
    void signal_geschrieben(std::size_t g, const Dateiinfo& info, bool probe, bool wiederholt = false);
    // Whether a real alarm into group g now needs a pause for older
    // workstations: this desk's test alarm lies there or went moments ago.
    // probe_dateien: its test alarms' signal files of the last minutes.
    bool luecke_noetig(std::size_t g, std::vector<Dateiinfo>& probe_dateien) const;
    void luecken_pflegen();
    void luecke_schliessen(Luecke& l);
    void besetzt_zeigen(const std::shared_ptr<Sendung>& s);
    void liegengebliebenes_entfernen(std::size_t g, const Dateiinfo& gesehen);
    void entfernen(std::size_t g, std::size_t nummer);
    void entfernt(std::size_t g, const Dateiinfo& info, Entfernung ergebnis, const Fehler& f);

    Einstellungsverwaltung& m_einstellungen;
    Logbuch& m_log;
    Freigabedienst& m_freigaben;
    Meldungsdienst& m_boxen;
    Alarmgesendet& m_bestaetigung;
    Zeitgeber* m_abfragetakt = nullptr;
    const Zusatzeinstellungen* m_zusatz = nullptr;
    const Uhr* m_uhr = nullptr;
    Rueckmeldungen* m_rueckmeldungen = nullptr;
    std::string m_alarmkennung;
    // The send in progress is a test alarm: a real one after it is sent anew, not merged into it.
    bool m_probe_laeuft = false;
    Zielauswahl* m_ziele = nullptr;
    bool m_nachricht_gesendet = false;
    bool m_import_wartet = false;
    bool m_import_frei = false;
    int m_import_zaehler = 0;
    // The failures of the send in progress, shown to the sender at its end.
    std::vector<std::string> m_fehler;
    Scheduler& m_scheduler;
    const Verzeichnisschau* m_freigabeuhr = nullptr;
    // The signal files this desk wrote in the last minutes, per group.
    std::array<std::vector<Eigene>, k_gruppen> m_eigene{};
    bool m_in_uebergabe = false;
    // The send whose answers are awaited.
    std::shared_ptr<Sendung> m_sendung;
    std::unique_ptr<Zeitgeber> m_frist;
    std::vector<Luecke> m_luecken;
    std::unique_ptr<Zeitgeber> m_luecketakt;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
