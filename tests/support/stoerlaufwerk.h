#pragma once

#include <map>
#include <string>
#include <sys/types.h>

namespace hestrel::test {

// A share that can be made to fail: the test file system stoerfs mounted in a
// fresh temp directory over a backing directory of its own. Files planted in
// unterlage() appear under einhaengepunkt(); a test then tells the file system
// to hang, slow down or fail operations there. The destructor lets every
// waiting operation go on and unmounts, even when something still hangs.
class Stoerlaufwerk {
  public:
    Stoerlaufwerk();
    ~Stoerlaufwerk();
    Stoerlaufwerk(const Stoerlaufwerk&) = delete;
    Stoerlaufwerk& operator=(const Stoerlaufwerk&) = delete;

    // False where this machine cannot mount it at all (no /dev/fuse, or built
    // without libfuse 3); grund() then says why, beginning "übersprungen:".
    bool verfuegbar() const { return m_verfuegbar; }
    // Mounted and answering; else grund() says what went wrong.
    bool eingehaengt() const { return m_pid > 0 && m_steuerung >= 0; }
    const std::string& grund() const { return m_grund; }

    // Both without trailing separator.
    const std::string& einhaengepunkt() const { return m_einhaengepunkt; }
    const std::string& unterlage() const { return m_unterlage; }

    // Paths are as seen inside the mount, beginning with "/" ("/g1" covers
    // /g1 and everything below it). Operations: getattr (lookups too),
    // readdir, open, create, read, write, rename, unlink, mkdir, rmdir, alle.
    bool haengen(const std::string& operation, const std::string& praefix);
    bool verzoegern(int millisekunden, const std::string& praefix = "/",
                    const std::string& operation = "alle");
    bool scheitern(const std::string& operation, int anzahl, const std::string& fehler,
                   const std::string& praefix = "/");
    bool freigeben();
    // Operations waiting in a hang right now; -1 when the file system does not answer.
    int wartend();
    // Failures told to scheitern() that have not happened yet; -1 as above.
    int offen();
    // The operations that reached the file system since the last call, by kind.
    std::map<std::string, long> zaehlen();

  private:
    std::string befehl(const std::string& zeile);
    void aushaengen();

    bool m_verfuegbar = false;
    std::string m_grund;
    std::string m_basis;
    std::string m_unterlage;
    std::string m_einhaengepunkt;
    pid_t m_pid = -1;
    int m_steuerung = -1;
    dev_t m_geraet = 0;
};

} // namespace hestrel::test

// At the start of a test: skips plainly where FUSE is missing, fails where
// it is there but the mount does not work.
#define STOERLAUFWERK_BEREIT(laufwerk)                                                                       \
    if (!(laufwerk).verfuegbar()) {                                                                          \
        GTEST_SKIP() << (laufwerk).grund();                                                                  \
    }                                                                                                        \
    ASSERT_TRUE((laufwerk).eingehaengt()) << (laufwerk).grund()
