#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/scheduler.h"

namespace hestrel {

// The confirmation window "Der Alarm wurde ausgelöst ." shown to the sender:
// its state and handlers, without the toolkit. "OK !" stays disabled until
// the sender's clean-up removed a signal file or its wait ran out.
class Alarmgesendet {
  public:
    Alarmgesendet(Scheduler& scheduler);
    Alarmgesendet(const Alarmgesendet&) = delete;
    Alarmgesendet& operator=(const Alarmgesendet&) = delete;

    // Shows the window with "OK !" disabled and starts the wait unless it runs;
    // probe: the send was a test alarm.
    void einschalten(bool probe = false);
    // Enables "OK !" (the sender removed a delivered signal file).
    void ok_freigeben();
    // "OK !": hides the window; it stays for the next alarm.
    void ok_geklickt();
    // Closing through the title bar destroys the window, its timer included.
    void schliessen();
    void wartezeit_um();

    // The answers to the alarm just sent. A new send begins an empty list;
    // each answer comes forward in the window, hidden or closed before, without
    // taking the keyboard; after their time the list goes.
    void rueckmeldungen_beginnen(bool probe);
    void rueckmeldung(const std::string& platz, const std::string& uhrzeit);
    void rueckmeldungen_beenden();
    struct Rueckmeldung {
        std::string platz;
        std::string uhrzeit;
    };
    const std::vector<Rueckmeldung>& rueckmeldungen() const { return m_rueckmeldungen; }
    // "Der Alarm wurde ausgelöst ." or, for a test alarm, "Der Probealarm wurde ausgelöst ."
    std::string meldung() const;
    // "Es kommen (2): Empfang-2 10:32:07, Lager 10:32:15"; for a test alarm
    // "Empfangen (2): …"; "" while there is none.
    std::string rueckmeldetext() const;

    bool existiert() const { return m_existiert; }
    bool sichtbar() const { return m_sichtbar; }
    bool ok_aktiv() const { return m_ok_aktiv; }
    const std::string& caption() const { return m_caption; }
    Zeitgeber& wartezeit() { return *m_wartezeit; }

    // How many workstations the send reached, and a line for each target group
    // with none ready to receive; set before the send, shown with the window.
    void reichweite_setzen(std::vector<std::string> zeilen);
    const std::vector<std::string>& reichweite() const { return m_reichweite; }

    // The view refreshes on every change.
    std::function<void()> geaendert;
    // The view brings the window to the front.
    std::function<void()> vorholen;

  private:
    void erzeugen();
    void melden();

    std::unique_ptr<Zeitgeber> m_wartezeit;
    bool m_existiert = false;
    bool m_sichtbar = false;
    bool m_ok_aktiv = true;
    std::string m_caption;
    std::vector<std::string> m_reichweite;
    bool m_probe = false;
    bool m_rueckmeldung_probe = false;
    std::vector<Rueckmeldung> m_rueckmeldungen;
};

} // namespace hestrel
