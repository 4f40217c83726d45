#include "core/systemlogsocket.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

#include "core/umgebung.h"

namespace hestrel {
namespace {

constexpr int k_facility_user = 1;
constexpr const char* k_kennung = "hestrel";

// "Mmm dd hh:mm:ss" in local time, English month names whatever the locale.
std::string zeitstempel()
{
    static constexpr const char* monate[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t jetzt = std::time(nullptr);
    std::tm t{};
    ::localtime_r(&jetzt, &t);
    char puffer[32];
    std::snprintf(puffer, sizeof puffer, "%s %2d %02d:%02d:%02d", monate[t.tm_mon % 12], t.tm_mday, t.tm_hour,
                  t.tm_min, t.tm_sec);
    return puffer;
}

bool folgebyte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

} // namespace

std::shared_ptr<Systemlog> systemlog_des_rechners()
{
    return std::make_shared<Systemlogsocket>(Systemlogsocket::standardpfad());
}

Systemlogsocket::Systemlogsocket(std::string pfad) : m_pfad(std::move(pfad)) {}

Systemlogsocket::~Systemlogsocket()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string Systemlogsocket::standardpfad()
{
    return umgebungswert("HESTREL_SYSLOG").value_or("/dev/log");
}

std::string Systemlogsocket::bereinigt(const std::string& text)
{
    std::string aus = text;
    for (char& c : aus) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            c = ' ';
        }
    }
    if (aus.size() > k_max_text) {
        const std::string ende = "…";
        std::size_t schnitt = k_max_text - ende.size();
        while (schnitt > 0 && folgebyte(static_cast<unsigned char>(aus[schnitt]))) {
            --schnitt;
        }
        aus.resize(schnitt);
        aus += ende;
    }
    while (!aus.empty() && aus.back() == ' ') {
        aus.pop_back();
    }
    return aus;
}

void Systemlogsocket::schreiben(Prioritaet prioritaet, const std::string& text)
{
    if (m_pfad.empty()) {
        return;
    }
    std::lock_guard<std::mutex> sperre(m_mutex);
    if (m_verloren > 0) {
        const std::string bericht =
            std::to_string(m_verloren) + " Einträge nicht ins Systemlog gelangt (Systemlog überlastet)";
        if (!senden(Prioritaet::warnung, bericht)) {
            ++m_verloren;
            return;
        }
        m_verloren = 0;
    }
    if (!senden(prioritaet, text)) {
        ++m_verloren;
    }
}

std::size_t Systemlogsocket::verloren() const
{
    std::lock_guard<std::mutex> sperre(m_mutex);
    return m_verloren;
}

bool Systemlogsocket::senden(Prioritaet prioritaet, const std::string& text)
{
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    if (m_pfad.size() >= sizeof adresse.sun_path) {
        return true; // no such socket can exist: nothing to send, nothing lost
    }
    std::memcpy(adresse.sun_path, m_pfad.data(), m_pfad.size());
    if (m_fd < 0) {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fd < 0) {
            return true; // tried again with the next entry
        }
    }
    const int pri = k_facility_user * 8 + static_cast<int>(prioritaet);
    const std::string datagramm = "<" + std::to_string(pri) + ">" + zeitstempel() + " " + k_kennung + "[" +
                                  std::to_string(::getpid()) + "]: " + bereinigt(text);
    // Addressed anew each time, so a restarted log daemon is found again.
    const ssize_t n = ::sendto(m_fd, datagramm.data(), datagramm.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse);
    if (n >= 0) {
        return true;
    }
    // A full queue loses the entry; a missing or refusing socket means no system log to tell.
    return errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOBUFS && errno != EINTR;
}

} // namespace hestrel
