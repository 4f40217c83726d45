#include "support/sambafreigabe.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <random>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hestrel::test {
namespace {

using namespace std::chrono_literals;

std::string programm_finden(const std::string& name)
{
    std::string suche = std::getenv("PATH") ? std::getenv("PATH") : "";
    suche += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::istringstream teile(suche);
    std::string verzeichnis;
    while (std::getline(teile, verzeichnis, ':')) {
        const std::string pfad = verzeichnis + "/" + name;
        if (!verzeichnis.empty() && ::access(pfad.c_str(), X_OK) == 0) {
            return pfad;
        }
    }
    return "";
}

int freier_port()
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t laenge = sizeof a;
    int port = 0;
    if (s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &laenge) == 0) {
        port = ntohs(a.sin_port);
    }
    if (s >= 0) {
        ::close(s);
    }
    return port;
}

bool antwortet(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    if (s >= 0) {
        ::close(s);
    }
    return ok;
}

bool ist_verzeichnis(const std::string& pfad)
{
    struct stat st {};
    return ::stat(pfad.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Runs a helper to its end; true when it ended with status 0.
bool ausfuehren(std::vector<std::string> argv, const std::vector<std::string>& dazu,
                const std::string& ausgabe)
{
    Kindprozess k(std::move(argv), dazu, {}, ausgabe, true);
    const auto status = k.ende_abwarten(10s);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

} // namespace

struct Sambafreigabe::Platz {
    std::string konfiguration; // HOME of the client, with .smb/
    std::string einhaengepunkt;
    std::unique_ptr<Kindprozess> client;
};

Sambafreigabe::Sambafreigabe()
{
    if (::geteuid() != 0) {
        m_grund = "übersprungen: der Samba-Test braucht root (smbpasswd, FUSE-Einhängen)";
        return;
    }
    for (const char* p : {"smbd", "smbpasswd", "smbstatus", "smbnetfs", "fusermount3"}) {
        if (programm_finden(p).empty()) {
            m_grund = std::string("übersprungen: ") + p + " fehlt (scripts/install-deps installiert es)";
            return;
        }
    }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        m_grund = "übersprungen: /dev/fuse fehlt";
        return;
    }
    m_verfuegbar = true;
    m_basis = std::make_unique<TempVerzeichnis>();
    const std::string srv = m_basis->unterverzeichnis("srv");
    for (const char* d : {"private", "lock", "state", "cache", "pid", "ncalrpc"}) {
        m_basis->unterverzeichnis(std::string("srv/") + d);
    }
    m_unterlage = m_basis->unterverzeichnis("share/Alarm");
    m_port = freier_port();
    std::mt19937_64 zufall{std::random_device{}()};
    m_kennwort = "K" + std::to_string(zufall() % 1000000000000ULL);
    m_konfiguration = srv + "smb.conf";
    std::ofstream k(m_konfiguration);
    k << "[global]\n"
         "   netbios name = HESTRELTEST\n"
         "   server role = standalone server\n"
         "   interfaces = lo\n"
         "   bind interfaces only = yes\n"
         "   smb ports = "
      << m_port
      << "\n"
         "   disable netbios = yes\n"
         "   private dir = "
      << srv << "private\n   lock directory = " << srv << "lock\n   state directory = " << srv
      << "state\n   cache directory = " << srv << "cache\n   pid directory = " << srv
      << "pid\n   ncalrpc dir = " << srv << "ncalrpc\n   log file = " << srv
      << "log.%m\n   passdb backend = tdbsam:" << srv
      << "private/passdb.tdb\n"
         "   load printers = no\n"
         "   printcap name = /dev/null\n"
         "   server min protocol = SMB2_10\n"
         "   smb1 unix extensions = no\n"
         "   smbd profiling level = on\n"
         "[Alarm]\n"
         "   path = "
      << m_unterlage
      << "\n"
         "   read only = no\n"
         "   case sensitive = no\n"
         "   preserve case = yes\n";
    k.close();
    const std::string eingabe = srv + "kennwort";
    datei_schreiben(eingabe, m_kennwort + "\n" + m_kennwort + "\n");
    // smbpasswd reads the password twice from its standard input.
    const std::string befehl = programm_finden("smbpasswd") + " -c " + m_konfiguration + " -s -a root < " +
                               eingabe + " >> " + srv + "smbpasswd.log 2>&1";
    if (!ausfuehren({"sh", "-c", befehl}, {}, srv + "smbpasswd.log")) {
        m_grund = "smbpasswd hat den Benutzer nicht angelegt: " + datei_lesen(srv + "smbpasswd.log");
        return;
    }
    server_starten();
}

Sambafreigabe::~Sambafreigabe()
{
    while (!m_plaetze.empty()) {
        aushaengen(m_plaetze.begin()->first);
    }
    server_beenden();
}

bool Sambafreigabe::server_starten()
{
    const std::string srv = m_basis->pfad() + "/srv/";
    m_server = std::make_unique<Kindprozess>(
        std::vector<std::string>{programm_finden("smbd"), "--foreground", "-s", m_konfiguration},
        std::vector<std::string>{}, std::vector<std::string>{}, srv + "smbd.log", true);
    if (!m_server->gestartet() ||
        !warten_bis([&] { return antwortet(m_port) || !m_server->laeuft(); }, 10s) || !m_server->laeuft()) {
        m_grund =
            "smbd antwortet nicht auf Port " + std::to_string(m_port) + ": " + datei_lesen(srv + "smbd.log");
        m_server.reset();
        return false;
    }
    return true;
}

void Sambafreigabe::server_beenden()
{
    if (m_server) {
        // smbd leads a process group of its own; its children end with it.
        m_server->beenden(5s);
        m_server.reset();
        warten_bis([&] { return !antwortet(m_port); }, 5s);
    }
}

bool Sambafreigabe::neu_starten()
{
    server_beenden();
    return server_starten();
}

std::string Sambafreigabe::einhaengen(const std::string& platz)
{
    if (!m_server) {
        return "";
    }
    auto p = std::make_unique<Platz>();
    p->konfiguration = m_basis->unterverzeichnis("plaetze/" + platz + "/konfiguration");
    p->einhaengepunkt = m_basis->unterverzeichnis("plaetze/" + platz + "/freigabe");
    p->einhaengepunkt.pop_back();
    const std::string smb = p->konfiguration + ".smb/";
    std::filesystem::create_directories(smb);
    datei_schreiben(smb + "smb.conf", "[global]\n   client min protocol = SMB2_02\n   disable netbios = yes\n"
                                      "   name resolve order = host\n");
    datei_schreiben(smb + "smbnetfs.conf", "smb_query_browsers \"false\"\nuse_libsecret \"false\"\n"
                                           "auth \"127.0.0.1\" \"root\" \"" +
                                               m_kennwort + "\"\n");
    ::chmod((smb + "smbnetfs.conf").c_str(), 0600);
    p->client = std::make_unique<Kindprozess>(
        std::vector<std::string>{programm_finden("smbnetfs"), p->einhaengepunkt, "-f", "-o",
                                 "log_file=" + p->konfiguration + "smbnetfs.log"},
        std::vector<std::string>{"HOME=" + p->konfiguration}, std::vector<std::string>{},
        p->konfiguration + "ausgabe.txt");
    const std::string wurzel = p->einhaengepunkt + "/127.0.0.1:" + std::to_string(m_port) + "/Alarm/";
    if (!p->client->gestartet() || !warten_bis([&] { return ist_verzeichnis(wurzel); }, 10s, 20ms)) {
        m_grund = "smbnetfs hat die Freigabe für " + platz +
                  " nicht eingehängt: " + datei_lesen(p->konfiguration + "ausgabe.txt");
        m_plaetze[platz] = std::move(p);
        aushaengen(platz);
        return "";
    }
    m_plaetze[platz] = std::move(p);
    return wurzel;
}

void Sambafreigabe::aushaengen(const std::string& platz)
{
    auto it = m_plaetze.find(platz);
    if (it == m_plaetze.end()) {
        return;
    }
    ausfuehren({programm_finden("fusermount3"), "-u", "-z", it->second->einhaengepunkt}, {}, "/dev/null");
    it->second->client->beenden(5s);
    m_plaetze.erase(it);
}

std::map<std::string, long> Sambafreigabe::anfragen() const
{
    std::map<std::string, long> z;
    const std::string aus = m_basis->pfad() + "/srv/profil.txt";
    if (!ausfuehren({"sh", "-c", programm_finden("smbstatus") + " -s " + m_konfiguration + " -P > " + aus},
                    {}, "/dev/null")) {
        return z;
    }
    std::istringstream zeilen(datei_lesen(aus));
    std::string zeile;
    while (std::getline(zeilen, zeile)) {
        // "smb2_create_count:        102"
        const auto doppel = zeile.find(':');
        if (zeile.rfind("smb2_", 0) != 0 || doppel == std::string::npos ||
            zeile.compare(doppel - 6, 6, "_count") != 0) {
            continue;
        }
        z[zeile.substr(5, doppel - 11)] = std::atol(zeile.c_str() + doppel + 1);
    }
    return z;
}

} // namespace hestrel::test
