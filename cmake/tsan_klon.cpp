// Linked into every program of the thread-sanitizer build only.
//
// Qt starts a process with clone(CLONE_VM | CLONE_VFORK): the child runs on
// the parent's memory until it replaces itself. The sanitizer handles every
// clone as a fork and resets its own state in the child; with the memory
// shared, that resets the parent's, which then forgets the locks it has seen
// and reports races that are none. A clone that shares the memory goes
// straight to the C library, as a vfork inside the C library always does.
#include <cstdarg>
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

namespace {

using Klon = int (*)(int (*)(void*), void*, int, void*, ...);

Klon suchen(void* bibliothek)
{
    return reinterpret_cast<Klon>(dlsym(bibliothek, "clone"));
}

} // namespace

extern "C" int clone(int (*fn)(void*), void* stapel, int flags, void* arg, ...)
{
    va_list weitere;
    va_start(weitere, arg);
    auto* eltern_tid = va_arg(weitere, pid_t*);
    auto* tls = va_arg(weitere, void*);
    auto* kind_tid = va_arg(weitere, pid_t*);
    va_end(weitere);
    static const Klon c_bibliothek = suchen(dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD));
    static const Klon saniert = suchen(RTLD_NEXT);
    const Klon ziel = (flags & CLONE_VM) != 0 ? c_bibliothek : saniert;
    return ziel(fn, stapel, flags, arg, eltern_tid, tls, kind_tid);
}
