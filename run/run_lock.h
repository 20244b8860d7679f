// The lock a print run holds for its whole length, one per user: two runs at once would swap the
// user's default printer under each other, and that default belongs to the user in every session
// of theirs (a remote desktop, a scheduled task that runs whether they are logged on or not).
// Two parts, both let go by the system with a process that ends without letting go:
//  - a file in the user's local application data, opened for exclusive access: every session of
//    the user sees it;
//  - a mutex of the session's namespace, which earlier versions hold; also the lock that stands
//    alone where the file cannot be made (a profile that cannot be written).
#pragma once

#include <windows.h>

#include <string>

class RunLock {
public:
    RunLock() = default;
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // True when this process now holds the lock (it may already have: the lock counts, across
    // the process's RunLock objects); false when another run holds it.
    bool TryAcquire();
    // Lets go of one TryAcquire of this object; nothing when not held.
    void Release();
    bool Held() const { return m_count > 0; }

    // The lock file: "%LOCALAPPDATA%\Tavrolin\run.lock"; empty when that folder is unknown.
    static std::wstring FilePath();

private:
    int m_count = 0;
};
