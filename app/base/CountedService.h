#pragma once

#include <QMutexLocker>

// The mechanics of a process-wide service counted under a lock: acquire() hands out the one instance and
// counts a reference, releaseReference() gives one back, and the service deletes itself when that was the
// last one. Service derives from CountedService<Service>; the lock is handed in because most services guard
// their own state with the same lock, and one lock for both keeps a getInstance from ever seeing a
// half-released service.
// A service made without acquire() (a test's own) is counted alike but never becomes the instance.
template<class Service>
class CountedService
{
public:
    CountedService(const CountedService &) = delete;
    CountedService &operator=(const CountedService &) = delete;

protected:
    CountedService() = default;
    ~CountedService() = default;

    // The instance with one more reference, or make()'s new one when there is none.
    template<class Mutex, class Make>
    static Service *acquire(Mutex &mutex, Make make)
    {
        QMutexLocker lock(&mutex);
        if (s_instance)
            ++s_instance->m_refCount;
        else
            s_instance = make();
        return s_instance;
    }

    template<class Mutex>
    void addReference(Mutex &mutex)
    {
        QMutexLocker lock(&mutex);
        ++m_refCount;
    }

    // True when that was the last reference: the caller then deletes the service, outside the lock, as its
    // destructor may wait for threads that take the lock. The instance pointer is cleared under the lock, or
    // a getInstance in between would hand out the service being deleted.
    template<class Mutex>
    [[nodiscard]] bool releaseReference(Mutex &mutex)
    {
        QMutexLocker lock(&mutex);
        if (--m_refCount > 0)
            return false;
        if (s_instance == static_cast<Service *>(this))
            s_instance = nullptr;
        return true;
    }

private:
    static inline Service *s_instance = nullptr;
    int m_refCount = 1;
};
