#pragma once

#include <functional>
#include <string>

#include <QObject>

class QLocalServer;

namespace hestrel {

// One program per user session and data directory: the first start holds a
// lock and listens; a second start asks it to bring its message list to the
// front and ends. Two workstations on one machine (two data directories) do
// not meet here.
class Einzelstart : public QObject {
    Q_OBJECT
  public:
    enum class Ergebnis {
        // This start is the one program; vorholen comes with every later start.
        erster,
        // Another program runs and was asked to come forward.
        weitergereicht,
        // Another program holds the lock but did not answer within two seconds.
        keine_antwort,
        // The lock cannot be taken (no private directory for it): runs unchecked.
        ohne_sperre,
    };

    // laufzeit: the user's runtime directory ($XDG_RUNTIME_DIR), or "" for a
    // private directory of this user under /tmp.
    Einzelstart(const std::string& datenverzeichnis, const std::string& laufzeit, QObject* parent = nullptr);
    ~Einzelstart() override;

    Ergebnis anmelden();
    // Why the lock could not be taken (ohne_sperre).
    const std::string& grund() const { return m_grund; }

    std::function<void()> vorholen;

  private:
    void anfrage();

    std::string m_sperrdatei;
    std::string m_anschluss;
    std::string m_grund;
    int m_sperre = -1;
    QLocalServer* m_server = nullptr;
};

} // namespace hestrel
