#include "platform/einzelstart.h"

#include "core/fehler.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>

namespace hestrel {
namespace {

constexpr const char* k_anfrage = "vorholen\n";
constexpr const char* k_erledigt = "ok\n";

// A directory only this user may enter: made when missing, refused when it
// is a link, someone else's, or open to others.
bool eigenes_verzeichnis(const std::string& pfad, std::string& grund)
{
    if (::mkdir(pfad.c_str(), 0700) != 0 && errno != EEXIST) {
        grund = pfad + ": " + hestrel::systemfehlertext(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(pfad.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0) {
        grund = pfad + ": kein eigenes Verzeichnis dieses Benutzers";
        return false;
    }
    return true;
}

} // namespace

Einzelstart::Einzelstart(const std::string& datenverzeichnis, const std::string& laufzeit, QObject* parent)
    : QObject(parent)
{
    std::error_code fehler;
    const std::filesystem::path daten = std::filesystem::weakly_canonical(datenverzeichnis, fehler);
    const QByteArray name =
        QCryptographicHash::hash(QByteArray::fromStdString(fehler ? datenverzeichnis : daten.string()),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    std::string ort = laufzeit;
    if (ort.empty()) {
        ort = "/tmp/hestrel-" + std::to_string(::getuid());
        if (!eigenes_verzeichnis(ort, m_grund)) {
            return;
        }
    }
    m_sperrdatei = ort + "/hestrel-" + name.toStdString() + ".sperre";
    m_anschluss = ort + "/hestrel-" + name.toStdString() + ".anschluss";
}

Einzelstart::~Einzelstart()
{
    if (m_server != nullptr) {
        m_server->close();
    }
    if (m_sperre >= 0) {
        ::close(m_sperre);
    }
}

Einzelstart::Ergebnis Einzelstart::anmelden()
{
    if (m_sperrdatei.empty()) {
        return Ergebnis::ohne_sperre;
    }
    m_sperre = ::open(m_sperrdatei.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_sperre < 0) {
        m_grund = m_sperrdatei + ": " + hestrel::systemfehlertext(errno);
        return Ergebnis::ohne_sperre;
    }
    // The lock goes with the process: a program that crashed leaves none behind.
    if (::flock(m_sperre, LOCK_EX | LOCK_NB) == 0) {
        QLocalServer::removeServer(QString::fromStdString(m_anschluss));
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &Einzelstart::anfrage);
        if (!m_server->listen(QString::fromStdString(m_anschluss))) {
            m_grund = m_anschluss + ": " + m_server->errorString().toStdString();
        }
        return Ergebnis::erster;
    }
    const int fehler = errno;
    ::close(m_sperre);
    m_sperre = -1;
    if (fehler != EWOULDBLOCK) {
        m_grund = m_sperrdatei + ": " + hestrel::systemfehlertext(fehler);
        return Ergebnis::ohne_sperre;
    }
    QLocalSocket anschluss;
    anschluss.connectToServer(QString::fromStdString(m_anschluss));
    if (!anschluss.waitForConnected(2000)) {
        return Ergebnis::keine_antwort;
    }
    anschluss.write(k_anfrage);
    anschluss.flush();
    QByteArray antwort;
    QElapsedTimer frist;
    frist.start();
    while (!antwort.endsWith('\n') && frist.elapsed() < 2000) {
        if (anschluss.bytesAvailable() == 0 && !anschluss.waitForReadyRead(100)) {
            if (anschluss.state() != QLocalSocket::ConnectedState) {
                break;
            }
            continue;
        }
        antwort += anschluss.readAll();
    }
    return antwort == k_erledigt ? Ergebnis::weitergereicht : Ergebnis::keine_antwort;
}

void Einzelstart::anfrage()
{
    while (QLocalSocket* anschluss = m_server->nextPendingConnection()) {
        connect(anschluss, &QLocalSocket::disconnected, anschluss, &QObject::deleteLater);
        connect(anschluss, &QLocalSocket::readyRead, this, [this, anschluss] {
            if (!anschluss->canReadLine()) {
                return;
            }
            const bool vor = anschluss->readLine(64) == k_anfrage;
            if (vor && vorholen) {
                vorholen();
            }
            anschluss->write(vor ? k_erledigt : "?\n");
            anschluss->disconnectFromServer();
        });
    }
}

} // namespace hestrel
