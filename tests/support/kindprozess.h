#pragma once

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <vector>

extern char** environ;

namespace hestrel::test {

// Starts argv[0] (looked up in PATH) with the test's environment, the entries
// "NAME=value" of `dazu` set over it and the names in `weg` left out; standard
// output and error go to `ausgabe`, appended or from its start. True when it started.
inline bool kind_starten(pid_t& pid, std::vector<std::string> argv, const std::vector<std::string>& dazu,
                         const std::vector<std::string>& weg, const std::string& ausgabe, bool anhaengen)
{
    std::vector<std::string> env = dazu;
    for (char** e = environ; *e; ++e) {
        const std::string eintrag = *e;
        const std::string name = eintrag.substr(0, eintrag.find('='));
        const bool ersetzt =
            std::any_of(dazu.begin(), dazu.end(), [&](const std::string& d) { return d.rfind(name + "=", 0) == 0; });
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
    posix_spawn_file_actions_addopen(&aktionen, 1, ausgabe.c_str(),
                                     O_WRONLY | O_CREAT | (anhaengen ? O_APPEND : O_TRUNC), 0644);
    posix_spawn_file_actions_adddup2(&aktionen, 1, 2);
    const bool ok = posix_spawnp(&pid, args[0], &aktionen, nullptr, args.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&aktionen);
    return ok;
}

}  // namespace hestrel::test
