#include "framework/process_identity.h"

#include <cwchar>

#include "framework/scoped.h"

namespace {
ULONGLONG CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}
}  // namespace

std::wstring ProcessIdentity::Text() const { return std::to_wstring(id) + L"-" + std::to_wstring(started); }

bool ProcessIdentity::FromText(const std::wstring& text, ProcessIdentity& identity) {
    const size_t dash = text.find(L'-');
    if (dash == 0 || dash == std::wstring::npos || dash + 1 == text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != dash && (text[i] < L'0' || text[i] > L'9')) return false;
    ProcessIdentity read;
    read.id = static_cast<DWORD>(std::wcstoul(text.c_str(), nullptr, 10));
    read.started = std::wcstoull(text.c_str() + dash + 1, nullptr, 10);
    // Only Text's own form: a leading zero or a number past its type would read as another
    // identity, and what is kept under the name could then not be found by it again.
    if (read.Text() != text) return false;
    identity = read;
    return true;
}

const ProcessIdentity& ThisProcess() {
    static const ProcessIdentity self{::GetCurrentProcessId(), CreationTime(::GetCurrentProcess())};
    return self;
}

bool ProcessGone(const ProcessIdentity& identity) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, identity.id));
    if (!process) return ::GetLastError() != ERROR_ACCESS_DENIED;
    // A process that has ended stays open while someone holds a handle to it.
    DWORD code = 0;
    if (::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) return true;
    return CreationTime(process.get()) != identity.started;
}
