// The lock a print run holds for its whole length, one per user session: two runs at once would
// swap the user's default printer under each other. A mutex of the session's namespace, so the
// system releases it with a process that ends without letting go.
#pragma once

#include <windows.h>

class RunLock {
public:
    RunLock() = default;
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // True when this thread now holds the lock (it may already have: the lock counts); false
    // when another run holds it. A run that ended with its process left it free.
    bool TryAcquire();
    // Lets go of one TryAcquire; nothing when not held.
    void Release();
    bool Held() const { return m_count > 0; }

private:
    HANDLE m_mutex = nullptr;
    int m_count = 0;
};
