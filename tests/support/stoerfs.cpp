// stoerfs UNTERLAGE EINHAENGEPUNKT
//
// A test file system: it mounts the directory UNTERLAGE at EINHAENGEPUNKT and
// passes every operation through, except where it is told to misbehave like
// a failing network share. Commands come as lines on file descriptor 3 (a
// socket the test holds); each is answered with one line:
//
//   haengen OP PRAEFIX               OP on paths under PRAEFIX waits until "freigeben"
//   verzoegern MS [PRAEFIX [OP]]     every operation (OP only, under PRAEFIX) waits MS milliseconds
//   scheitern OP ANZAHL FEHLER [P]   the next ANZAHL OPs (under P) fail with FEHLER (EIO, EACCES, ...)
//   freigeben                        no more hangs, delays or failures; waiting operations go on
//   wartend                          answers the number of operations waiting in a hang
//   zaehlen                          answers "OP=N ..." for every operation since the last zaehlen
//
// OP is getattr (lookups too), readdir, open, create, read, write, rename,
// unlink, mkdir, rmdir, or alle. When the test's end of the socket closes
// (the test ended, even by a crash), everything waiting is let go and the file
// system unmounts itself, so a hung mount never outlives the test.
//
// The kernel is told to cache nothing (names, attributes, file contents), so
// every access of a program reaches these rules. A lookup of a name the kernel
// knows already is asked again once when it fails: a stat that is to fail
// then needs "scheitern getattr 2".

#define FUSE_USE_VERSION 31

#include <fuse.h>
#include <fuse_lowlevel.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int k_steuerung = 3;

std::string g_unterlage;
std::string g_einhaengepunkt;
struct fuse* g_fuse = nullptr;

struct Haenger {
    std::string op;
    std::string praefix;
};
struct Fehlschlag {
    std::string op;
    std::string praefix;
    int anzahl;
    int fehlernummer;
};

std::mutex g_m;
std::condition_variable g_cv;
std::vector<Haenger> g_haenger;
std::vector<Fehlschlag> g_fehlschlaege;
int g_verzoegerung_ms = 0;
std::string g_verzoegerung_praefix = "/";
std::string g_verzoegerung_op = "alle";
std::map<std::string, long> g_zaehler;
int g_wartend = 0;
bool g_ende = false;
// Reads the commands; ends with the file system, before its globals go.
std::thread g_steuerfaden;

bool unter(const std::string& praefix, const char* pfad)
{
    const std::string p = pfad ? pfad : "";
    if (praefix == "/" || p == praefix) {
        return true;
    }
    return p.size() > praefix.size() && p.compare(0, praefix.size(), praefix) == 0 &&
           p[praefix.size()] == '/';
}

bool trifft(const std::string& regel_op, const char* op)
{
    return regel_op == "alle" || regel_op == op;
}

bool haengt(const char* op, const char* pfad, const char* pfad2)
{
    for (const auto& h : g_haenger) {
        if (trifft(h.op, op) && (unter(h.praefix, pfad) || (pfad2 && unter(h.praefix, pfad2)))) {
            return true;
        }
    }
    return false;
}

// Applies the rules to one operation: 0 to go on, else a negative errno.
int stoerung(const char* op, const char* pfad, const char* pfad2 = nullptr)
{
    std::unique_lock<std::mutex> l(g_m);
    ++g_zaehler[op];
    if (!g_ende && g_verzoegerung_ms > 0 && trifft(g_verzoegerung_op, op) &&
        (unter(g_verzoegerung_praefix, pfad) || (pfad2 && unter(g_verzoegerung_praefix, pfad2)))) {
        const int ms = g_verzoegerung_ms;
        g_cv.wait_for(l, std::chrono::milliseconds(ms), [] { return g_ende || g_verzoegerung_ms == 0; });
    }
    for (auto& f : g_fehlschlaege) {
        if (!g_ende && f.anzahl > 0 && trifft(f.op, op) &&
            (unter(f.praefix, pfad) || (pfad2 && unter(f.praefix, pfad2)))) {
            --f.anzahl;
            return -f.fehlernummer;
        }
    }
    if (!g_ende && haengt(op, pfad, pfad2)) {
        ++g_wartend;
        // Looks now and then whether the file system was told to end (SIGTERM).
        while (!g_cv.wait_for(l, std::chrono::milliseconds(100),
                              [&] { return g_ende || !haengt(op, pfad, pfad2); })) {
            if (fuse_session_exited(fuse_get_session(g_fuse))) {
                g_ende = true;
            }
        }
        --g_wartend;
    }
    return 0;
}

std::string voll(const char* pfad)
{
    return g_unterlage + pfad;
}

int ergebnis(int r)
{
    return r < 0 ? -errno : 0;
}

int fehlernummer(const std::string& name)
{
    static const std::pair<const char*, int> k_namen[] = {
        {"EIO", EIO},       {"EACCES", EACCES}, {"EPERM", EPERM},         {"ENOENT", ENOENT},
        {"ENOSPC", ENOSPC}, {"ESTALE", ESTALE}, {"ETIMEDOUT", ETIMEDOUT}, {"EAGAIN", EAGAIN},
        {"EROFS", EROFS},
    };
    for (const auto& [n, e] : k_namen) {
        if (name == n) {
            return e;
        }
    }
    return std::atoi(name.c_str());
}

std::string ausfuehren(const std::string& zeile)
{
    std::istringstream ein(zeile);
    std::string befehl;
    ein >> befehl;
    std::lock_guard<std::mutex> l(g_m);
    if (befehl == "haengen") {
        Haenger h;
        if (!(ein >> h.op >> h.praefix)) {
            return "fehler";
        }
        g_haenger.push_back(h);
    } else if (befehl == "verzoegern") {
        int ms = 0;
        if (!(ein >> ms)) {
            return "fehler";
        }
        std::string praefix = "/";
        std::string op = "alle";
        ein >> praefix >> op;
        g_verzoegerung_ms = ms;
        g_verzoegerung_praefix = praefix;
        g_verzoegerung_op = op;
    } else if (befehl == "scheitern") {
        Fehlschlag f;
        std::string name;
        if (!(ein >> f.op >> f.anzahl >> name)) {
            return "fehler";
        }
        f.fehlernummer = fehlernummer(name);
        f.praefix = "/";
        ein >> f.praefix;
        if (f.fehlernummer <= 0) {
            return "fehler";
        }
        g_fehlschlaege.push_back(f);
    } else if (befehl == "freigeben") {
        g_haenger.clear();
        g_fehlschlaege.clear();
        g_verzoegerung_ms = 0;
    } else if (befehl == "wartend") {
        return std::to_string(g_wartend);
    } else if (befehl == "offen") {
        long offen = 0;
        for (const auto& f : g_fehlschlaege) {
            offen += f.anzahl;
        }
        return std::to_string(offen);
    } else if (befehl == "zaehlen") {
        std::string z;
        for (const auto& [op, n] : g_zaehler) {
            z += (z.empty() ? "" : " ") + op + "=" + std::to_string(n);
        }
        g_zaehler.clear();
        return z.empty() ? "-" : z;
    } else {
        return "fehler";
    }
    g_cv.notify_all();
    return "ok";
}

void aushaengen()
{
    if (::geteuid() == 0) {
        ::umount2(g_einhaengepunkt.c_str(), MNT_DETACH);
        return;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execlp("fusermount3", "fusermount3", "-u", "-z", "-q", g_einhaengepunkt.c_str(), nullptr);
        ::_exit(127);
    }
    if (pid > 0) {
        ::waitpid(pid, nullptr, 0);
    }
}

void steuern()
{
    std::string puffer;
    char block[256];
    for (;;) {
        const ssize_t n = ::read(k_steuerung, block, sizeof block);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        puffer.append(block, static_cast<std::size_t>(n));
        std::size_t ende;
        while ((ende = puffer.find('\n')) != std::string::npos) {
            const std::string antwort = ausfuehren(puffer.substr(0, ende)) + "\n";
            puffer.erase(0, ende + 1);
            if (::send(k_steuerung, antwort.data(), antwort.size(), MSG_NOSIGNAL) < 0) {
                break;
            }
        }
    }
    {
        std::lock_guard<std::mutex> l(g_m);
        g_ende = true;
        // Gone already where the file system ended by a signal.
        if (g_fuse) {
            fuse_exit(g_fuse);
        }
    }
    g_cv.notify_all();
    aushaengen();
}

void* init(struct fuse_conn_info* conn, struct fuse_config* cfg)
{
    // Without this the kernel serialises lookups in a directory, so one hung
    // lookup holds up its siblings. Not every kernel offers it: where it does
    // not, a hang on "/g1" also holds up lookups of other names beside g1.
    if (conn->capable & FUSE_CAP_PARALLEL_DIROPS) {
        conn->want |= FUSE_CAP_PARALLEL_DIROPS;
    }
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->direct_io = 1;
    cfg->use_ino = 1;
    {
        std::lock_guard<std::mutex> l(g_m);
        g_fuse = fuse_get_context()->fuse;
    }
    g_steuerfaden = std::thread(steuern);
    const char bereit[] = "bereit\n";
    ::send(k_steuerung, bereit, sizeof bereit - 1, MSG_NOSIGNAL);
    return nullptr;
}

int op_getattr(const char* pfad, struct stat* st, struct fuse_file_info* fi)
{
    if (int r = stoerung("getattr", pfad)) {
        return r;
    }
    if (fi) {
        return ergebnis(::fstat(static_cast<int>(fi->fh), st));
    }
    return ergebnis(::lstat(voll(pfad).c_str(), st));
}

int op_readlink(const char* pfad, char* puffer, size_t groesse)
{
    if (int r = stoerung("readlink", pfad)) {
        return r;
    }
    const ssize_t n = ::readlink(voll(pfad).c_str(), puffer, groesse - 1);
    if (n < 0) {
        return -errno;
    }
    puffer[n] = '\0';
    return 0;
}

int op_readdir(const char* pfad, void* puffer, fuse_fill_dir_t fuellen, off_t, struct fuse_file_info*,
               enum fuse_readdir_flags)
{
    if (int r = stoerung("readdir", pfad)) {
        return r;
    }
    DIR* d = ::opendir(voll(pfad).c_str());
    if (!d) {
        return -errno;
    }
    while (const dirent* e = ::readdir(d)) {
        struct stat st {};
        st.st_ino = e->d_ino;
        st.st_mode = static_cast<mode_t>(e->d_type) << 12;
        if (fuellen(puffer, e->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0))) {
            break;
        }
    }
    ::closedir(d);
    return 0;
}

int op_mknod(const char* pfad, mode_t modus, dev_t geraet)
{
    if (int r = stoerung("create", pfad)) {
        return r;
    }
    return ergebnis(::mknod(voll(pfad).c_str(), modus, geraet));
}

int op_mkdir(const char* pfad, mode_t modus)
{
    if (int r = stoerung("mkdir", pfad)) {
        return r;
    }
    return ergebnis(::mkdir(voll(pfad).c_str(), modus));
}

int op_unlink(const char* pfad)
{
    if (int r = stoerung("unlink", pfad)) {
        return r;
    }
    return ergebnis(::unlink(voll(pfad).c_str()));
}

int op_rmdir(const char* pfad)
{
    if (int r = stoerung("rmdir", pfad)) {
        return r;
    }
    return ergebnis(::rmdir(voll(pfad).c_str()));
}

int op_symlink(const char* ziel, const char* pfad)
{
    if (int r = stoerung("create", pfad)) {
        return r;
    }
    return ergebnis(::symlink(ziel, voll(pfad).c_str()));
}

int op_rename(const char* von, const char* nach, unsigned int flags)
{
    if (int r = stoerung("rename", von, nach)) {
        return r;
    }
    return ergebnis(::renameat2(AT_FDCWD, voll(von).c_str(), AT_FDCWD, voll(nach).c_str(), flags));
}

int op_link(const char* von, const char* nach)
{
    if (int r = stoerung("create", von, nach)) {
        return r;
    }
    return ergebnis(::link(voll(von).c_str(), voll(nach).c_str()));
}

int op_chmod(const char* pfad, mode_t modus, struct fuse_file_info* fi)
{
    if (int r = stoerung("chmod", pfad)) {
        return r;
    }
    if (fi) {
        return ergebnis(::fchmod(static_cast<int>(fi->fh), modus));
    }
    return ergebnis(::chmod(voll(pfad).c_str(), modus));
}

int op_chown(const char* pfad, uid_t uid, gid_t gid, struct fuse_file_info* fi)
{
    if (int r = stoerung("chown", pfad)) {
        return r;
    }
    if (fi) {
        return ergebnis(::fchown(static_cast<int>(fi->fh), uid, gid));
    }
    return ergebnis(::lchown(voll(pfad).c_str(), uid, gid));
}

int op_truncate(const char* pfad, off_t laenge, struct fuse_file_info* fi)
{
    if (int r = stoerung("write", pfad)) {
        return r;
    }
    if (fi) {
        return ergebnis(::ftruncate(static_cast<int>(fi->fh), laenge));
    }
    return ergebnis(::truncate(voll(pfad).c_str(), laenge));
}

int op_utimens(const char* pfad, const struct timespec zeiten[2], struct fuse_file_info* fi)
{
    if (int r = stoerung("utimens", pfad)) {
        return r;
    }
    if (fi) {
        return ergebnis(::futimens(static_cast<int>(fi->fh), zeiten));
    }
    return ergebnis(::utimensat(AT_FDCWD, voll(pfad).c_str(), zeiten, AT_SYMLINK_NOFOLLOW));
}

int op_open(const char* pfad, struct fuse_file_info* fi)
{
    if (int r = stoerung("open", pfad)) {
        return r;
    }
    const int fd = ::open(voll(pfad).c_str(), fi->flags | O_CLOEXEC);
    if (fd < 0) {
        return -errno;
    }
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int op_create(const char* pfad, mode_t modus, struct fuse_file_info* fi)
{
    if (int r = stoerung("create", pfad)) {
        return r;
    }
    const int fd = ::open(voll(pfad).c_str(), fi->flags | O_CREAT | O_CLOEXEC, modus);
    if (fd < 0) {
        return -errno;
    }
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int op_read(const char* pfad, char* puffer, size_t groesse, off_t ab, struct fuse_file_info* fi)
{
    if (int r = stoerung("read", pfad)) {
        return r;
    }
    const ssize_t n = ::pread(static_cast<int>(fi->fh), puffer, groesse, ab);
    return n < 0 ? -errno : static_cast<int>(n);
}

int op_write(const char* pfad, const char* puffer, size_t groesse, off_t ab, struct fuse_file_info* fi)
{
    if (int r = stoerung("write", pfad)) {
        return r;
    }
    const ssize_t n = ::pwrite(static_cast<int>(fi->fh), puffer, groesse, ab);
    return n < 0 ? -errno : static_cast<int>(n);
}

int op_statfs(const char* pfad, struct statvfs* st)
{
    if (int r = stoerung("statfs", pfad)) {
        return r;
    }
    return ergebnis(::statvfs(g_unterlage.c_str(), st));
}

int op_release(const char*, struct fuse_file_info* fi)
{
    {
        // Counted: a network client's close is a request to the server.
        std::lock_guard<std::mutex> l(g_m);
        ++g_zaehler["release"];
    }
    ::close(static_cast<int>(fi->fh));
    return 0;
}

int op_fsync(const char* pfad, int nur_daten, struct fuse_file_info* fi)
{
    if (int r = stoerung("write", pfad)) {
        return r;
    }
    const int fd = static_cast<int>(fi->fh);
    return ergebnis(nur_daten ? ::fdatasync(fd) : ::fsync(fd));
}

int op_access(const char* pfad, int modus)
{
    if (int r = stoerung("getattr", pfad)) {
        return r;
    }
    return ergebnis(::access(voll(pfad).c_str(), modus));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: stoerfs UNTERLAGE EINHAENGEPUNKT  (commands on fd 3)\n", stderr);
        return 2;
    }
    g_unterlage = argv[1];
    g_einhaengepunkt = argv[2];
    while (g_unterlage.size() > 1 && g_unterlage.back() == '/') {
        g_unterlage.pop_back();
    }
    struct fuse_operations ops {};
    ops.init = init;
    ops.getattr = op_getattr;
    ops.readlink = op_readlink;
    ops.readdir = op_readdir;
    ops.mknod = op_mknod;
    ops.mkdir = op_mkdir;
    ops.unlink = op_unlink;
    ops.rmdir = op_rmdir;
    ops.symlink = op_symlink;
    ops.rename = op_rename;
    ops.link = op_link;
    ops.chmod = op_chmod;
    ops.chown = op_chown;
    ops.truncate = op_truncate;
    ops.utimens = op_utimens;
    ops.open = op_open;
    ops.create = op_create;
    ops.read = op_read;
    ops.write = op_write;
    ops.statfs = op_statfs;
    ops.release = op_release;
    ops.fsync = op_fsync;
    ops.access = op_access;

    std::string programm = argv[0];
    std::string vordergrund = "-f";
    std::string optionen_schalter = "-o";
    std::string optionen = "fsname=stoerfs,subtype=stoerfs";
    std::vector<char*> args = {programm.data(), g_einhaengepunkt.data(), vordergrund.data(),
                               optionen_schalter.data(), optionen.data()};
    const int ergebnis = fuse_main(static_cast<int>(args.size()), args.data(), &ops, nullptr);
    {
        std::lock_guard<std::mutex> l(g_m);
        g_fuse = nullptr;
    }
    // A command thread still waiting for the test wakes up and ends.
    ::shutdown(k_steuerung, SHUT_RDWR);
    if (g_steuerfaden.joinable()) {
        g_steuerfaden.join();
    }
    return ergebnis;
}
