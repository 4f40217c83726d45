#pragma once

// Child processes for tests that run real programs (the program itself, an X
// server, a window manager): their start, a wait with a deadline, their end.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace hestrel::test {

// Waits up to `grenze` for the condition, looking every `takt`; its last answer.
inline bool warten_bis(const std::function<bool()>& b, std::chrono::milliseconds grenze,
                       std::chrono::milliseconds takt = std::chrono::milliseconds(20))
{
    const auto ende = std::chrono::steady_clock::now() + grenze;
    while (std::chrono::steady_clock::now() < ende) {
        if (b()) {
            return true;
        }
        std::this_thread::sleep_for(takt);
    }
    return b();
}

// Starts argv[0] (looked up in PATH) with the test's environment, the entries
// "NAME=value" of `dazu` set over it and the names in `weg` left out; standard
// input is /dev/null, standard output and error go to `ausgabe`, appended or
// from its start. True when it started.
inline bool kind_starten(pid_t& pid, std::vector<std::string> argv, const std::vector<std::string>& dazu,
                         const std::vector<std::string>& weg, const std::string& ausgabe, bool anhaengen)
{
    std::vector<std::string> env = dazu;
    for (char** e = environ; *e; ++e) {
        const std::string eintrag = *e;
        const std::string name = eintrag.substr(0, eintrag.find('='));
        const bool ersetzt = std::any_of(dazu.begin(), dazu.end(),
                                         [&](const std::string& d) { return d.rfind(name + "=", 0) == 0; });
        if (!ersetzt && std::find(weg.begin(), weg.end(), name) == weg.end()) {
            env.push_back(eintrag);
        }
    }
    std::vector<char*> envp;
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t aktionen;
    posix_spawn_file_actions_init(&aktionen);
    posix_spawn_file_actions_addopen(&aktionen, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&aktionen, 1, ausgabe.c_str(),
                                     O_WRONLY | O_CREAT | (anhaengen ? O_APPEND : O_TRUNC), 0644);
    posix_spawn_file_actions_adddup2(&aktionen, 1, 2);
    const bool ok = posix_spawnp(&pid, args[0], &aktionen, nullptr, args.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&aktionen);
    return ok;
}

// A started child (see kind_starten); ended with SIGTERM, then SIGKILL, when
// it goes out of scope.
class Kindprozess {
  public:
    Kindprozess(std::vector<std::string> argv, const std::vector<std::string>& dazu,
                const std::vector<std::string>& weg, const std::string& ausgabe, bool anhaengen = false)
    {
        m_ok = kind_starten(m_pid, std::move(argv), dazu, weg, ausgabe, anhaengen);
    }
    ~Kindprozess() { beenden(std::chrono::seconds(5)); }
    Kindprozess(const Kindprozess&) = delete;
    Kindprozess& operator=(const Kindprozess&) = delete;

    bool gestartet() const { return m_ok; }
    pid_t pid() const { return m_ok ? m_pid : -1; }
    bool laeuft() { return m_ok && !eingesammelt(); }

    void signal(int nummer)
    {
        if (m_ok && !m_status) {
            ::kill(m_pid, nummer);
        }
    }

    // Its wait status once it has ended, waiting up to `grenze`; nothing while it still runs.
    std::optional<int> ende_abwarten(std::chrono::milliseconds grenze)
    {
        if (!m_ok) {
            return std::nullopt;
        }
        warten_bis([&] { return eingesammelt(); }, grenze);
        return m_status;
    }

    // SIGTERM, up to `grenze` for it to end, then SIGKILL; true when it ended by itself.
    bool beenden(std::chrono::milliseconds grenze)
    {
        if (!m_ok || eingesammelt()) {
            return true;
        }
        signal(SIGTERM);
        if (ende_abwarten(grenze)) {
            return true;
        }
        toeten();
        return false;
    }

    // SIGKILL and up to 10 s for it to go: a process stuck in a file system
    // that never answers is left to it.
    void toeten()
    {
        signal(SIGKILL);
        ende_abwarten(std::chrono::seconds(10));
    }

    // Nothing more is sent to it or waited for; it counts as no longer running.
    void loslassen() { m_ok = false; }

  private:
    bool eingesammelt()
    {
        int status = 0;
        if (!m_status && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = status;
        }
        return m_status.has_value();
    }

    pid_t m_pid = -1;
    bool m_ok = false;
    std::optional<int> m_status;
};

} // namespace hestrel::test
