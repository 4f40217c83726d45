#pragma once

#include <map>
#include <memory>
#include <string>

#include "support/kindprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test {

// A real SMB file server for tests: smbd on the loopback with a private
// configuration and one share "Alarm" set up as a Windows server offers it
// (SMB2/3 only, case-insensitive, no Unix extensions), and one FUSE mount per
// desk through smbnetfs, each a client of its own as separate machines are.
// Needs root, smbd, smbpasswd, smbnetfs and /dev/fuse; where one is missing
// verfuegbar() is false and grund() says why ("übersprungen: ...").
class Sambafreigabe {
  public:
    Sambafreigabe();
    // Unmounts every desk and stops the server.
    ~Sambafreigabe();
    Sambafreigabe(const Sambafreigabe&) = delete;
    Sambafreigabe& operator=(const Sambafreigabe&) = delete;

    bool verfuegbar() const { return m_verfuegbar; }
    // The server answers on its port.
    bool laeuft() const { return m_server != nullptr; }
    const std::string& grund() const { return m_grund; }

    // The share's directory on the server's side, with a trailing "/": what
    // is planted here is on the share.
    const std::string& unterlage() const { return m_unterlage; }

    // Mounts the share for desk `platz` (again after aushaengen); the share's
    // root as that desk sees it, with a trailing "/", or "" (grund() says why).
    std::string einhaengen(const std::string& platz);
    void aushaengen(const std::string& platz);
    // Stops the server and starts it again on the same port and share;
    // the desks' mounts stay and reconnect by themselves.
    bool neu_starten();
    // The server's count of each kind of SMB2 request since its start
    // ("create", "close", "read", "write", "find", "getinfo", "setinfo", ...).
    // The server publishes them a few seconds late.
    std::map<std::string, long> anfragen() const;

  private:
    bool server_starten();
    void server_beenden();

    struct Platz;
    bool m_verfuegbar = false;
    std::string m_grund;
    std::unique_ptr<TempVerzeichnis> m_basis;
    std::string m_konfiguration;
    std::string m_unterlage;
    std::string m_kennwort;
    int m_port = 0;
    std::unique_ptr<Kindprozess> m_server;
    std::map<std::string, std::unique_ptr<Platz>> m_plaetze;
};

} // namespace hestrel::test

// At the start of a test: where this machine has no Samba, the test skips
// outside CI and fails in CI (CI set), which must run it.
#define SAMBA_BEREIT(samba)                                                                                  \
    if (!(samba).verfuegbar() && std::getenv("CI") == nullptr) {                                             \
        GTEST_SKIP() << (samba).grund();                                                                     \
    }                                                                                                        \
    ASSERT_TRUE((samba).verfuegbar() && (samba).laeuft()) << (samba).grund()
