#pragma once

#include <string>
#include <vector>

namespace hestrel::bench {

// How one workstation of the site is set up.
struct Platzart {
    bool geraet = false;     // the alarm device on port 3 (Kestu_10), else none
    std::vector<int> ziele;  // groups (1..50) ticked in the message list
    std::string signaldatei; // WAV file; empty: the beeps
    int journalzeilen = 0;   // rows already in the alarm journal
};

// A site on the local disk under basis: the 50 group directories every
// workstation polls, and per workstation its import directory and its data
// directory with the settings file and the group data.
class Standort {
  public:
    static constexpr int k_port = 3;

    explicit Standort(std::string basis);

    // Directory of group nummer (1..50), ending with the separator.
    std::string gruppe(int nummer) const;
    // Lays out workstation name and returns its data directory (the APPDATA it runs with).
    std::string arbeitsplatz(const std::string& name, const Platzart& art) const;

    const std::string& basis() const { return m_basis; }

  private:
    std::string m_basis;
};

// The 68 lines of a settings file with all 50 groups, as the settings window saves them.
std::string einstellungsdatei(const std::vector<std::string>& gruppen, const std::string& import, bool geraet,
                              const std::string& signaldatei);
// The 104 lines of the group data with the given groups ticked.
std::string alarmdatendatei(const std::vector<int>& ziele);
// Journal entries as the reception writes them, until there are at least `zeilen` rows.
std::string journal(int zeilen, int erste_nummer = 0);
// Rows a journal of these bytes shows in the message list.
int journalzeilen(const std::string& bytes);

} // namespace hestrel::bench
