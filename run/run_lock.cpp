#include "run/run_lock.h"

#include <mutex>

#include "common/texts.h"
#include "run/run_journal.h"

namespace {

// What the process holds, shared by its RunLock objects: a "/print" holds the lock for the whole
// process and its run's controller takes it again.
struct ProcessHold {
    std::mutex guard;
    int count = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mutex = nullptr;
};

ProcessHold& Hold() {
    static ProcessHold hold;
    return hold;
}

// The file opened with no sharing at all; another run's open of it fails with a sharing
// violation. A folder or file that cannot be made for any other reason leaves the file part out.
enum class FileLock { Taken, HeldElsewhere, Unavailable };

FileLock OpenLockFile(HANDLE& file) {
    const std::wstring path = RunLock::FilePath();
    if (path.empty()) return FileLock::Unavailable;
    ::CreateDirectoryW(run_journal::Folder().c_str(), nullptr);
    file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return FileLock::Taken;
    const DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? FileLock::HeldElsewhere
                                                                             : FileLock::Unavailable;
}

}  // namespace

std::wstring RunLock::FilePath() {
    const std::wstring folder = run_journal::Folder();
    return folder.empty() ? folder : folder + L"\\run.lock";
}

RunLock::~RunLock() {
    while (m_count > 0) Release();
}

bool RunLock::TryAcquire() {
    ProcessHold& hold = Hold();
    std::lock_guard<std::mutex> lock(hold.guard);
    if (hold.count > 0) {
        ++hold.count;
        ++m_count;
        return true;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    if (OpenLockFile(file) == FileLock::HeldElsewhere) return false;
    if (!hold.mutex) hold.mutex = ::CreateMutexW(nullptr, FALSE, texts::kRunLockName);
    const DWORD r = hold.mutex ? ::WaitForSingleObject(hold.mutex, 0) : WAIT_FAILED;
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) {
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        return false;
    }
    hold.file = file;
    hold.count = 1;
    ++m_count;
    return true;
}

void RunLock::Release() {
    if (m_count <= 0) return;
    --m_count;
    ProcessHold& hold = Hold();
    std::lock_guard<std::mutex> lock(hold.guard);
    if (--hold.count > 0) return;
    ::ReleaseMutex(hold.mutex);
    if (hold.file != INVALID_HANDLE_VALUE) ::CloseHandle(hold.file);
    hold.file = INVALID_HANDLE_VALUE;
}
