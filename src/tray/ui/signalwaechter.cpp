#include "tray/ui/signalwaechter.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace hestrel {
namespace {

int g_paar[2] = {-1, -1};

extern "C" void signal_schreiben(int)
{
    const int gesichert = errno;
    const char c = 1;
    // Nothing else is safe in a signal handler.
    [[maybe_unused]] const ssize_t n = ::write(g_paar[1], &c, 1);
    errno = gesichert;
}

} // namespace

Signalwaechter::Signalwaechter(std::function<void()> beenden, QObject* parent)
    : QObject(parent), m_beenden(std::move(beenden))
{
    if (g_paar[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_paar) != 0) {
        g_paar[0] = g_paar[1] = -1;
        return;
    }
    ::fcntl(g_paar[1], F_SETFL, ::fcntl(g_paar[1], F_GETFL) | O_NONBLOCK);
    ::fcntl(g_paar[0], F_SETFL, ::fcntl(g_paar[0], F_GETFL) | O_NONBLOCK);
    m_melder = new QSocketNotifier(g_paar[0], QSocketNotifier::Read, this);
    connect(m_melder, &QSocketNotifier::activated, this, [this] { signal_angekommen(); });

    struct sigaction sa {};
    sa.sa_handler = signal_schreiben;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

Signalwaechter::~Signalwaechter()
{
    if (m_melder != nullptr) {
        struct sigaction sa {};
        sa.sa_handler = SIG_DFL;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGINT, &sa, nullptr);
    }
}

void Signalwaechter::signal_angekommen()
{
    char puffer[64];
    while (::read(g_paar[0], puffer, sizeof puffer) > 0) {
    }
    if (m_beenden) {
        m_beenden();
    }
}

} // namespace hestrel
