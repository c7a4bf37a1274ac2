// Linked into the tests only under ThreadSanitizer. Debian's Qt is not built for it: a
// future's hand-over between threads goes through QMutex's futex and atomics inside
// libQt6Core, which ThreadSanitizer cannot see, so every result read after waitForFinished()
// or written before a task starts would be reported as a race. The calls below stand for
// those hand-overs: starting, finishing and waiting lock the future's mutex inside Qt, and a
// task asks isCanceled() first thing on its pool thread, after the pool's own locked queue
// handed it over. Telling ThreadSanitizer that as a lock on the future restores the order Qt
// guarantees and nothing more, so races of our own stay visible.
#include <QFutureInterfaceBase>
#include <QMutex>

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>
#include <type_traits>

namespace {

template <typename Function> Function qtCore(const char* symbol)
{
    void* found = ::dlsym(RTLD_NEXT, symbol);
    if (!found)
        qFatal("ThreadSanitizer shim: %s is not in libQt6Core", symbol);
    return reinterpret_cast<Function>(found);
}

// What QMutex's lock and unlock would tell ThreadSanitizer, were Qt built for it.
void lockedAndUnlocked(const QFutureInterfaceBase* future)
{
    void* key = &future->mutex();
    __tsan_acquire(key);
    __tsan_release(key);
}

template <typename Result, typename Self> Result forward(const char* symbol, Self* self)
{
    lockedAndUnlocked(self);
    const auto real = qtCore<Result (*)(Self*)>(symbol);
    if constexpr (std::is_void_v<Result>) {
        real(self);
        lockedAndUnlocked(self);
    } else {
        const Result result = real(self);
        lockedAndUnlocked(self);
        return result;
    }
}

} // namespace

void QFutureInterfaceBase::reportStarted()
{
    forward<void>("_ZN20QFutureInterfaceBase13reportStartedEv", this);
}

void QFutureInterfaceBase::reportFinished()
{
    forward<void>("_ZN20QFutureInterfaceBase14reportFinishedEv", this);
}

void QFutureInterfaceBase::waitForFinished()
{
    forward<void>("_ZN20QFutureInterfaceBase15waitForFinishedEv", this);
}

bool QFutureInterfaceBase::isCanceled() const
{
    return forward<bool>("_ZNK20QFutureInterfaceBase10isCanceledEv", this);
}
