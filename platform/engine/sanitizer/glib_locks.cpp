// Built only with ThreadSanitizer. GLib's mutexes wait on futexes inside
// GLib, which is not built with the sanitizer, so the sanitizer sees none of
// the locking by which GStreamer hands our objects from one thread to the
// next, and reports every such hand-over as a race. These definitions take
// the place of GLib's lock calls for every library that calls them (a
// program's own definitions win over a shared library's), tell the
// sanitizer what each lock orders, and call GLib's own.
#include <dlfcn.h>
#include <glib.h>
#include <sanitizer/tsan_interface.h>

namespace {

template <typename Function>
Function Real(const char* name) {
    static_assert(sizeof(Function) == sizeof(void*));
    void* found = dlsym(RTLD_NEXT, name);
    Function f;
    __builtin_memcpy(&f, &found, sizeof f);
    return f;
}

}  // namespace

extern "C" {

void g_mutex_lock(GMutex* mutex) {
    static const auto real = Real<void (*)(GMutex*)>("g_mutex_lock");
    real(mutex);
    __tsan_acquire(mutex);
}

gboolean g_mutex_trylock(GMutex* mutex) {
    static const auto real = Real<gboolean (*)(GMutex*)>("g_mutex_trylock");
    const gboolean taken = real(mutex);
    if (taken) __tsan_acquire(mutex);
    return taken;
}

void g_mutex_unlock(GMutex* mutex) {
    static const auto real = Real<void (*)(GMutex*)>("g_mutex_unlock");
    __tsan_release(mutex);
    real(mutex);
}

void g_rec_mutex_lock(GRecMutex* mutex) {
    static const auto real = Real<void (*)(GRecMutex*)>("g_rec_mutex_lock");
    real(mutex);
    __tsan_acquire(mutex);
}

gboolean g_rec_mutex_trylock(GRecMutex* mutex) {
    static const auto real = Real<gboolean (*)(GRecMutex*)>("g_rec_mutex_trylock");
    const gboolean taken = real(mutex);
    if (taken) __tsan_acquire(mutex);
    return taken;
}

void g_rec_mutex_unlock(GRecMutex* mutex) {
    static const auto real = Real<void (*)(GRecMutex*)>("g_rec_mutex_unlock");
    __tsan_release(mutex);
    real(mutex);
}

// A wait lets the mutex go and takes it again.
void g_cond_wait(GCond* cond, GMutex* mutex) {
    static const auto real = Real<void (*)(GCond*, GMutex*)>("g_cond_wait");
    __tsan_release(mutex);
    real(cond, mutex);
    __tsan_acquire(mutex);
}

gboolean g_cond_wait_until(GCond* cond, GMutex* mutex, gint64 endTime) {
    static const auto real = Real<gboolean (*)(GCond*, GMutex*, gint64)>("g_cond_wait_until");
    __tsan_release(mutex);
    const gboolean signalled = real(cond, mutex, endTime);
    __tsan_acquire(mutex);
    return signalled;
}

}  // extern "C"
