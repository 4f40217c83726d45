#pragma once

#include <cctype>
#include <cstdlib>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace hestrel::test {

// The number of a site's alarm from its text: "Alarm n" at its start, or after
// "PROBEALARM – " for a test alarm (in either code page); -1: none.
inline long alarmnummer(const std::string& text)
{
    const std::size_t i = text.find("Alarm ");
    if (i == std::string::npos || i > 16 || i + 6 >= text.size() ||
        std::isdigit(static_cast<unsigned char>(text[i + 6])) == 0) {
        return -1;
    }
    return std::strtol(text.c_str() + i + 6, nullptr, 10);
}

// The ledger of the simulated site: what really lay in the group directories
// and when, which workstation ran when, and what each presented. From it come
// the figures: a signal file that stayed visible for at least one poll period
// while a workstation of its group was running and listening must have been
// presented by that run exactly once, with the data file's text.
class Anlagenbuch {
  public:
    static constexpr std::int64_t k_pollperiode = 5000;
    // A sender removes its signal files this long after sending.
    static constexpr std::int64_t k_aufraeumzeit = 15000;

    // Why a signal file ended.
    enum class Ende { offen, vom_sender_geloescht, von_anderem_geloescht, ersetzt };

    struct Strecke {
        std::int64_t von;
        std::int64_t bis; // -1 while open
    };

    // One signal file, from its writing until it was deleted or overwritten.
    struct Signal {
        int gruppe = 0;
        int schreiberlauf = -1;
        std::int64_t an = 0;
        std::int64_t aus = -1;
        Ende ende = Ende::offen;
        int loescherlauf = -1;
        std::vector<Strecke> sichtbar; // the group directory could be reached
        std::string datentext;         // the data file when the signal was written
    };

    // One run of a workstation, from its start to its end.
    struct Lauf {
        int station = 0;
        bool alt = false; // an older workstation
        std::vector<int> gruppen;
        std::int64_t start = 0;
        std::int64_t ende = -1;
        // From writing its signal files to its next polling tick it does not listen.
        std::vector<Strecke> taub;
    };

    struct Praesentation {
        int lauf;
        int signal; // -1: no signal file in the ledger lay there
        int gruppe;
        std::int64_t zeit;
        bool text_wie_datei;
        bool text_wie_gesendet;
        long alarm; // the number in the alarm's text; -1: none
    };

    // Due pairs (signal file, run) and how many were shown, for one kind of receiver.
    struct Empfaenger {
        long faellig = 0;
        long gezeigt = 0;
        long mehrfach = 0;
        // Why an older receiver missed one: its flag was held by the file before,
        // a leftover older than the clean-up period, or one still fresh; a read the
        // share failed; anything else.
        long verpasst_rest = 0;
        long verpasst_frisch = 0;
        long verpasst_lesefehler = 0;
        long verpasst_sonst = 0;
        double anteil() const
        {
            return faellig ? static_cast<double>(gezeigt) / static_cast<double>(faellig) : 1.0;
        }
    };

    // A group's share out of reach (gone, or not answering) from von to bis (-1 while open).
    struct Stoerfall {
        int gruppe;
        std::int64_t von;
        std::int64_t bis;
    };
    // An event-log entry of a workstation's self-supervision about a group: a fault begins or ends.
    struct Warnung {
        int lauf;
        int gruppe;
        std::int64_t t;
        bool beginn;
    };
    // A fault of a share longer than this must be warned of, and the warning
    // lifted within k_klaerzeit after the share is back.
    static constexpr std::int64_t k_warnschwelle = 60000;
    static constexpr std::int64_t k_klaerzeit = 120000;
    // After a share is back, a presence count may stay unknown or stale this long.
    static constexpr std::int64_t k_anwesenheit_nachlauf = 180000;

    // One presence count a Hestrel workstation showed for one of its groups,
    // against the other running Hestrel workstations of that group: those
    // surely on the share for one round (sicher) and those that may still be
    // counted (moeglich: just started, or stopped and their record not yet
    // gone or stale). anzahl -1: not known.
    struct Anwesenheitsprobe {
        int lauf;
        int gruppe;
        std::int64_t t;
        int anzahl;
        int sicher;
        int moeglich;
        bool stoerung; // the share is out, or back for less than k_anwesenheit_nachlauf
    };
    struct Anwesenheitszahlen {
        long proben = 0;
        long genau = 0;
        long im_wechsel = 0;         // between sicher and moeglich
        long stoerung_unbekannt = 0; // share out or just back: not known
        long stoerung_veraltet = 0;  // share out or just back: a count outside what is true now
        long falsch = 0;             // a count outside sicher..moeglich, the share reachable
        long unbekannt = 0;          // not known, the share reachable
    };
    // The records ("hestrel-*") in the group directories at one look.
    struct Begleitzaehlung {
        long groesste = 0; // the most in one directory
        int gruppe = -1;
        std::int64_t t = 0;
        std::map<std::string, long> je_art; // the most of each kind in one directory
    };

    explicit Anlagenbuch(int gruppen)
        : m_aktuell(static_cast<std::size_t>(gruppen), -1), m_stoerfall(static_cast<std::size_t>(gruppen), -1)
    {
    }

    void signal_geschrieben(int gruppe, int lauf, std::int64_t t, const std::string& datentext);
    void signal_geloescht(int gruppe, int lauf, std::int64_t t);
    void verzeichnis_weg(int gruppe, std::int64_t t);
    void verzeichnis_wieder(int gruppe, std::int64_t t);

    int lauf_beginnt(int station, std::vector<int> gruppen, std::int64_t t, bool alt = false);
    void lauf_endet(int lauf, std::int64_t t);
    void taub_ab(int lauf, std::int64_t t);
    void hoert_ab(int lauf, std::int64_t t);

    void praesentiert(int lauf, int gruppe, std::int64_t t, bool text_wie_datei, long alarm = -1);
    // A read of a data file in the group failed for that run.
    void lesefehler(int lauf, int gruppe, std::int64_t t);

    void warnung(int lauf, int gruppe, std::int64_t t, bool beginn);
    // A response ("Ich komme") to an alarm, written by a receiver's run, and
    // when the sender's run showed it. A response is due at its sender when
    // the sender's run lasted k_antwortfrist after it was written and the
    // sender still looked for answers then (ten minutes after its alarm);
    // goals: every due response shown, none later than k_antwortfrist — or,
    // written when the sender's first minute of looks every 500 ms is (nearly)
    // over, none later than k_antwortfrist_spaet (its look with the poll).
    static constexpr std::int64_t k_antwortfrist = 2000;
    static constexpr std::int64_t k_antwortfrist_spaet = 6000;
    // An alarm raised by the site at a Hestrel desk, numbered as its text says
    // ("Alarm n"), with the identity its answers carry.
    void alarm_ausgeloest(long alarm, int senderlauf, std::int64_t t, const std::string& kennung);
    // The answer to the alarm whose text the receiver's window shows when it
    // is given. A workstation answering an alarm identity a second time (it
    // came through two of its groups) is counted once, as its sender counts it.
    void antwort_geschrieben(long alarm, int antwortlauf, std::int64_t t);
    // The sender's run shows an answer of antwortlauf: the latest one open.
    void antwort_gezeigt_bei(int senderlauf, int antwortlauf, std::int64_t t);
    // The run that wrote the signal file lying in the group now; -1: none.
    int schreiber(int gruppe) const
    {
        const int s = m_aktuell[static_cast<std::size_t>(gruppe)];
        return s < 0 ? -1 : m_signale[static_cast<std::size_t>(s)].schreiberlauf;
    }
    void anwesenheit_geprueft(const Anwesenheitsprobe& a);
    // One look at the records of every group directory: per group, kind ("da",
    // "probe", "herkunft", "antwort", "sonst") and count.
    void begleitdateien_gezaehlt(std::int64_t t, const std::vector<std::map<std::string, long>>& je_gruppe,
                                 bool am_ende);
    // The bound for records in one directory (0: no goal).
    long begleitgrenze = 0;

    // Counters the site keeps while it runs.
    std::map<std::string, long> zaehler;

    // Closes what is open at the end and prints the figures; true when every goal holds.
    bool auswerten(std::int64_t ende, std::string& bericht);

    const std::vector<Signal>& signale() const { return m_signale; }
    const std::vector<Lauf>& laeufe() const { return m_laeufe; }
    const std::vector<Praesentation>& praesentationen() const { return m_praesentationen; }
    // A due pair an older receiver did not show: the alarm's number, the place, why.
    struct Verpasst {
        long alarm;
        int station;
        std::string grund;
    };
    const std::vector<Verpasst>& verpasste() const { return m_verpasste; }
    // After auswerten: the due pairs as (alarm number, place).
    const std::set<std::pair<long, int>>& faellige() const { return m_faellige; }
    // After auswerten: older and Hestrel receivers.
    const Empfaenger& alte() const { return m_alte; }
    const Empfaenger& neue() const { return m_neue; }
    const Anwesenheitszahlen& anwesenheit() const { return m_anwesenheit; }

  private:
    void beenden(int signal, std::int64_t t, Ende grund, int lauf);
    void verpasst_warum(std::size_t signal, std::size_t lauf, Empfaenger& e);
    // The longest stretch in which the signal was visible and the run listened.
    std::int64_t gemeinsam(const Signal& s, const Lauf& l, std::int64_t ende) const;

    std::vector<Signal> m_signale;
    std::vector<Lauf> m_laeufe;
    std::vector<Praesentation> m_praesentationen;
    std::vector<int> m_aktuell; // per group: the signal file lying there, or -1
    struct Lesefehler {
        int lauf;
        int gruppe;
        std::int64_t t;
    };
    std::vector<Lesefehler> m_lesefehler;
    std::vector<Verpasst> m_verpasste;
    std::set<std::pair<long, int>> m_faellige;
    Empfaenger m_alte;
    Empfaenger m_neue;
    std::vector<int> m_stoerfall; // per group: the open fault, or -1
    std::vector<Stoerfall> m_stoerfaelle;
    std::vector<Warnung> m_warnungen;
    struct Antwortweg {
        long alarm;
        int antwortlauf;
        int senderlauf;
        std::int64_t geschrieben;
        std::int64_t gezeigt; // -1: not shown
        std::int64_t ausgeloest;
    };
    std::vector<Antwortweg> m_antworten;
    struct Ausloesung {
        int senderlauf;
        std::int64_t zeit;
        std::string kennung;
    };
    std::map<long, Ausloesung> m_ausgeloest;
    std::set<std::pair<std::string, int>> m_beantwortet; // (identity, receiver's station)
    Anwesenheitszahlen m_anwesenheit;
    std::vector<Anwesenheitsprobe> m_falsche_zaehlungen;
    Begleitzaehlung m_begleit_stuendlich;
    Begleitzaehlung m_begleit_ende;
};

} // namespace hestrel::test
