// Built only with ThreadSanitizer, and loaded ahead of every library
// (LD_PRELOAD, by scripts/sanitize); itself not built with the sanitizer.
//
// Qt starts a child process with clone(CLONE_VM | CLONE_VFORK): until it
// executes its program the child runs in the parent's memory, on the
// parent's thread-local data, and the sanitizer's calls it makes there (the
// descriptor juggling and the exec, which never returns) leave the state of
// the parent's starting thread unbalanced. From then on the sanitizer sees
// none of that thread's locking, and every hand-over under a std::mutex
// between it and another thread is reported as a race. Without CLONE_VM the
// child works on a copy, as after fork(), which the sanitizer follows; the
// parent still waits for the exec (CLONE_VFORK), and Qt's child reports a
// failed exec through a pipe, not through shared memory.
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...) {
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static Clone real = [] {
        void* found = dlsym(RTLD_NEXT, "clone");
        Clone f;
        __builtin_memcpy(&f, &found, sizeof f);
        return f;
    }();
    va_list rest;
    va_start(rest, arg);
    pid_t* parentTid = va_arg(rest, pid_t*);
    void* tls = va_arg(rest, void*);
    pid_t* childTid = va_arg(rest, pid_t*);
    va_end(rest);
    if ((flags & CLONE_VM) && (flags & CLONE_VFORK) && !(flags & CLONE_THREAD)) flags &= ~CLONE_VM;
    return real(fn, stack, flags, arg, parentTid, tls, childTid);
}
