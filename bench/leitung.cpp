#include "leitung.h"

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace hestrel::bench {

Leitung::Leitung()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname(fd) == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    m_port = ::ptsname(fd);
    m_programmseite = ::open(m_port.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_programmseite < 0) {
        ::close(fd);
        return;
    }
    termios t{};
    ::tcgetattr(m_programmseite, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B2400);
    ::cfsetospeed(&t, B2400);
    ::tcsetattr(m_programmseite, TCSANOW, &t);
    m_geraet = fd;
}

Leitung::~Leitung()
{
    if (m_programmseite >= 0) {
        ::close(m_programmseite);
    }
    if (m_geraet >= 0) {
        ::close(m_geraet);
    }
}

bool Leitung::schreiben(const std::string& bytes)
{
    std::size_t weg = 0;
    while (weg < bytes.size()) {
        const ssize_t n = ::write(m_geraet, bytes.data() + weg, bytes.size() - weg);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        weg += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Leitung::lesen()
{
    std::string bytes;
    char puffer[256];
    for (;;) {
        const ssize_t n = ::read(m_geraet, puffer, sizeof puffer);
        if (n <= 0) {
            break;
        }
        bytes.append(puffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::string statusrahmen(bool taste1, bool taste2)
{
    std::string r{static_cast<char>(242), 1, static_cast<char>(taste1 ? 1 : 0),
                  static_cast<char>(taste2 ? 1 : 0)};
    r.append(10, '\0');
    return r;
}

} // namespace hestrel::bench
