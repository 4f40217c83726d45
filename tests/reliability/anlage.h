#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "core/virtualscheduler.h"
#include "reliability/anlagenbuch.h"

namespace hestrel::test {

struct Anlagenparameter {
    std::uint64_t seed = 20261208;
    double stunden = 24;
    int plaetze = 30;
    int gruppen = 50;
    // Mean pauses between events, in seconds.
    double alarmabstand_s = 45;
    double neustartabstand_s = 20 * 60;
    double ausfallabstand_s = 90 * 60;
    // A share whose server stops answering for minutes, every few hours.
    double haengerabstand_s = 3 * 3600;
    // The group whose share fails reads at random (a quarter of them, never more than two in a row).
    int flackergruppe = 7;
    // The share of older workstations (0..1), chosen at random among the places.
    double alt_anteil = 0;
    // One sender in so many is stopped within 15 s of its send, before its clean-up.
    int stopp_nach_senden_jeder = 40;
    // Every third alarm a Hestrel receiver shows is answered "Ich komme" two seconds on.
    bool antworten = true;
    // Every tenth alarm, raised at a Hestrel desk, is a test alarm ("Probealarm").
    bool probealarme = true;
};

// A simulated site: workstations as whole engines in one process, on one
// virtual clock, over one real directory tree of group directories and an
// import directory. Random alarms from random workstations to random groups,
// workstations that stop and start again, group shares that go away for
// minutes. Everything lands in the ledger, which gives the figures.
class Anlage {
  public:
    Anlage(Anlagenparameter p, std::string wurzel);
    ~Anlage();
    Anlage(const Anlage&) = delete;
    Anlage& operator=(const Anlage&) = delete;

    // Runs the whole time; true when every goal holds. bericht gets the figures.
    bool laufen(std::string& bericht);

    const Anlagenbuch& buch() const { return m_buch; }

  private:
    struct Platz;
    struct Ereignis {
        std::int64_t zeit;
        std::uint64_t folge;
        std::function<void()> tun;
        bool operator>(const Ereignis& e) const { return zeit != e.zeit ? zeit > e.zeit : folge > e.folge; }
    };

    // What the site does at a moment. Planned while the clock runs (from a
    // workstation's own step, such as its journal entry), it goes on a timer
    // of the clock, which fires at that very moment; the site's own events
    // wait in the queue between the clock's runs.
    void planen(std::int64_t zeit, std::function<void()> tun);
    std::int64_t pause(double mittel_s);
    void starten(Platz& p);
    void anhalten(Platz& p);
    void alarm();
    void neustart();
    void ausfall();
    void haenger();
    void stoppen_nach_senden(Platz& p);
    // A send of a Hestrel desk (its button, key 2 or the test alarm), with the ledger's bookkeeping around
    // it.
    void senden_gebucht(Platz& p, const std::function<void()>& senden);
    // The clean exit of a Hestrel workstation: its records leave the shares first.
    void beenden(Platz& p);
    // Every 10 minutes: each Hestrel workstation's presence count per group against the site.
    void anwesenheit_pruefen();
    // The records in every group directory, each hour and at the end.
    void begleitdateien_zaehlen(bool am_ende);
    // An older workstation touched a record.
    void alt_beruehrt(const Platz& p, const std::string& pfad);
    bool lesestoerung(Platz& p, const std::string& pfad);
    int gruppe_von(const std::string& pfad) const;
    std::string gruppenpfad(int g) const;

    Anlagenparameter m_p;
    std::string m_wurzel;
    std::string m_import;
    std::mt19937_64 m_zufall;
    VirtualScheduler m_uhr;
    Anlagenbuch m_buch;
    std::vector<std::unique_ptr<Platz>> m_plaetze;
    long m_antwortzaehler = 0;
    std::vector<bool> m_gruppe_weg;
    std::vector<bool> m_gruppe_haengt;
    // When each group's share came back last; -1: never out.
    std::vector<std::int64_t> m_gruppe_wieder;
    std::priority_queue<Ereignis, std::vector<Ereignis>, std::greater<>> m_ereignisse;
    std::uint64_t m_folge = 0;
    bool m_uhr_laeuft = false;
    std::vector<std::unique_ptr<Zeitgeber>> m_zeitgeber;
    long m_alarmnummer = 0;
};

} // namespace hestrel::test
