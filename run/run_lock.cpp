#include "run/run_lock.h"

#include "common/texts.h"

RunLock::~RunLock() {
    while (m_count > 0) Release();
    if (m_mutex) ::CloseHandle(m_mutex);
}

bool RunLock::TryAcquire() {
    if (!m_mutex) m_mutex = ::CreateMutexW(nullptr, FALSE, texts::kRunLockName);
    if (!m_mutex) return false;
    const DWORD r = ::WaitForSingleObject(m_mutex, 0);
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) return false;
    ++m_count;
    return true;
}

void RunLock::Release() {
    if (m_count <= 0) return;
    ::ReleaseMutex(m_mutex);
    --m_count;
}
