#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/scheduler.h"
#include "core/tonausgabe.h"
#include "core/uhr.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/zusatzeinstellungen.h"

namespace hestrel {

// What the supervision looks at every second.
class Ueberwachungsquellen {
  public:
    virtual ~Ueberwachungsquellen() = default;
    // The group directory (index 0..49) has stopped answering.
    virtual bool gruppe_unerreichbar(int index) = 0;
    // The alarm box is asked for its state and has not answered for a while.
    virtual bool geraet_stumm() = 0;
    // Journal entries that could not be written yet.
    virtual std::size_t journal_wartend() = 0;
};

// Where the faults show.
class Warnanzeige {
  public:
    virtual ~Warnanzeige() = default;
    // What is broken and since when, one fault a line; empty when all is well.
    virtual void warnung_zeigen(const std::string& text) = 0;
    // The group (index) has a fault of its own, or no more.
    virtual void gruppe_warnen(int index, bool an) = 0;
};

// One fault the supervision found.
struct Stoerung {
    std::string schluessel; // what it is about, e.g. "gruppe-3"
    int gruppe = -1;        // the group's index, -1 for none
    std::string text;       // "Gruppe 3 nicht erreichbar"
    std::string seit;       // "08:01:05", with the date when not today
    bool bestaetigt = false;
};

// The workstation watching itself: a group directory that does not answer
// for more than a minute, an alarm box that went silent, records and journal
// entries that cannot be written, and the probe of every group directory at
// the start. Each fault gets one event-log entry when it begins and one when
// it ends, shows in the tray icon and on its group's button, and sounds a
// short warning tone every few minutes until it is mended or acknowledged.
// Owns its tick, the tone's repeat and the repeat of failed probes.
class Ueberwachung {
  public:
    static constexpr int k_takt_ms = 1000;
    // A group directory unreachable this long is a fault.
    static constexpr std::int64_t k_unerreichbar_ms = 60000;
    static constexpr int k_probewiederholung_ms = 60000;

    Ueberwachung(const Einstellungen& einstellungen, const Zusatzeinstellungen& zusatz, Logbuch& log,
                 Freigabedienst& freigaben, Scheduler& scheduler, const Uhr& uhr, Tonausgabe* ton,
                 Ueberwachungsquellen& quellen);
    ~Ueberwachung();
    Ueberwachung(const Ueberwachung&) = delete;
    Ueberwachung& operator=(const Ueberwachung&) = delete;

    // Starts the tick and probes every configured group directory.
    void starten();
    void anzeige_setzen(Warnanzeige* anzeige) { m_anzeige = anzeige; }

    // A fault begins (again the same: nothing new) or ends.
    void stoerung(const std::string& schluessel, int gruppe, const std::string& text);
    void behoben(const std::string& schluessel);
    // "Warnung bestätigen": the tone stops for the faults there are now.
    void bestaetigen();

    // One look at the sources.
    void pruefen();
    // Writes, reads back and removes a probe record in the group directories
    // (all configured ones, or those whose last probe failed).
    void probe(bool nur_gescheiterte);

    const std::vector<Stoerung>& stoerungen() const { return m_stoerungen; }
    // What the tray's tooltip says: each fault and since when.
    std::string warntext() const;
    Zeitgeber& takt() { return *m_takt; }
    Zeitgeber& warnton() { return *m_warnton; }
    Zeitgeber& probewiederholung() { return *m_probewiederholung; }

  private:
    void ton_ausgeben();
    void ton_wiederholen();
    void anzeigen();
    std::string zeitangabe(const Zeitstempel& z) const;

    const Einstellungen& m_e;
    const Zusatzeinstellungen& m_zusatz;
    Logbuch& m_log;
    Freigabedienst& m_freigaben;
    Scheduler& m_scheduler;
    const Uhr& m_uhr;
    Tonausgabe* m_ton;
    Ueberwachungsquellen& m_quellen;
    Warnanzeige* m_anzeige = nullptr;
    std::vector<Stoerung> m_stoerungen;
    std::array<std::int64_t, k_gruppen> m_unerreichbar_seit;
    std::array<Zeitstempel, k_gruppen> m_unerreichbar_zeit{};
    std::array<bool, k_gruppen> m_gewarnt{};
    std::array<bool, k_gruppen> m_probe_offen{};
    std::array<bool, k_gruppen> m_probe_gescheitert{};
    std::unique_ptr<Zeitgeber> m_takt;
    std::unique_ptr<Zeitgeber> m_warnton;
    std::unique_ptr<Zeitgeber> m_probewiederholung;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
