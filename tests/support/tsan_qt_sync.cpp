// Only under ThreadSanitizer, which cannot see how a future hands over its result inside
// Debian's uninstrumented libQt6Core: these calls are made to look as if they took the future's
// mutex, which restores the order Qt guarantees and nothing more, so our own races still show.
#include <QFutureInterfaceBase>
#include <QMutex>
#include <QScopeGuard>

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

namespace {

void lockedAndUnlocked(const QFutureInterfaceBase* future)
{
    void* key = &future->mutex();
    __tsan_acquire(key);
    __tsan_release(key);
}

template <typename Result, typename Self> Result forward(const char* symbol, Self* self)
{
    void* real = ::dlsym(RTLD_NEXT, symbol);
    if (!real)
        qFatal("ThreadSanitizer shim: %s is not in libQt6Core", symbol);
    lockedAndUnlocked(self);
    const auto after = qScopeGuard([self] { lockedAndUnlocked(self); });
    return reinterpret_cast<Result (*)(Self*)>(real)(self);
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
