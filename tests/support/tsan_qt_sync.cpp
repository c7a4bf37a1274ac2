// Linked into the tests only under ThreadSanitizer, which cannot see the futex and atomics a
// future hands its result over with inside Debian's uninstrumented libQt6Core. Telling it that
// starting, finishing, waiting and the first isCanceled() of a pool task lock the future's
// mutex restores the order Qt guarantees and nothing more, so races of our own stay visible.
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
