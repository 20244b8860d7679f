#include "automation/server_process.h"

#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring RegistryText(HKEY root, const std::wstring& key) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

// The executable of a LocalServer32 command line: quoted, or up to the first ".exe".
std::wstring ExecutableOf(const std::wstring& command) {
    std::wstring path;
    if (!command.empty() && command[0] == L'"') {
        const size_t end = command.find(L'"', 1);
        path = command.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
    } else {
        const size_t exe = Lower(command).find(L".exe");
        path = exe == std::wstring::npos ? command.substr(0, command.find(L' ')) : command.substr(0, exe + 4);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return Lower(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

struct WindowSearch {
    const std::vector<DWORD>* ids;
    bool found = false;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!::IsWindowVisible(hwnd)) return TRUE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (std::find(search->ids->begin(), search->ids->end(), pid) == search->ids->end()) return TRUE;
    search->found = true;
    return FALSE;
}

}  // namespace

std::wstring ServerExecutable(const std::wstring& progId) {
    CLSID clsid{};
    HRESULT hr = progId.starts_with(L"{") ? ::CLSIDFromString(progId.c_str(), &clsid)
                                           : ::CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) return {};
    wchar_t text[64] = {};
    if (!::StringFromGUID2(clsid, text, 64)) return {};
    const std::wstring command = RegistryText(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + text + L"\\LocalServer32");
    return command.empty() ? std::wstring() : ExecutableOf(command);
}

std::vector<DWORD> ProcessesNamed(const std::wstring& exeName) {
    std::vector<DWORD> ids;
    if (exeName.empty()) return ids;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    const std::wstring wanted = Lower(exeName);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        std::wstring name = entry.szExeFile;
        const size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name.erase(0, slash + 1);
        if (Lower(name) == wanted) ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

void StartedServer::Before(const std::wstring& progId) {
    m_exe = ServerExecutable(progId);
    m_before = ProcessesNamed(m_exe);
    m_processes.clear();
}

void StartedServer::After() {
    for (DWORD id : ProcessesNamed(m_exe)) {
        const bool own = std::find(m_before.begin(), m_before.end(), id) == m_before.end();
        const DWORD access = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | (own ? PROCESS_TERMINATE : 0);
        if (HANDLE handle = ::OpenProcess(access, FALSE, id)) m_processes.push_back({id, own, UniqueHandle(handle)});
    }
}

bool StartedServer::StartedAny() const {
    return std::any_of(m_processes.begin(), m_processes.end(), [](const Process& p) { return p.own; });
}

std::vector<DWORD> StartedServer::OwnIds() const {
    std::vector<DWORD> ids;
    for (const Process& p : m_processes)
        if (p.own) ids.push_back(p.id);
    return ids;
}

namespace {
ULONGLONG Ticks(const FILETIME& t) { return static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

// The CPU time of a process's threads that still run; Wine reports no process times for
// another process, but does for its threads.
ULONGLONG ThreadCpuTime(DWORD pid) {
    ULONGLONG total = 0;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        UniqueHandle thread(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created, exited, kernel, user;
        if (thread && ::GetThreadTimes(thread.get(), &created, &exited, &kernel, &user))
            total += Ticks(kernel) + Ticks(user);
    }
    return total;
}
}  // namespace

ULONGLONG StartedServer::CpuTime() const {
    ULONGLONG total = 0;
    for (const Process& p : m_processes) {
        FILETIME created, exited, kernel, user;
        ULONGLONG process = 0;
        if (::GetProcessTimes(p.handle.get(), &created, &exited, &kernel, &user)) process = Ticks(kernel) + Ticks(user);
        total += process ? process : ThreadCpuTime(p.id);
    }
    return total;
}

bool StartedServer::ShowsWindow() const {
    if (m_processes.empty()) return false;
    std::vector<DWORD> ids;
    for (const Process& p : m_processes) ids.push_back(p.id);
    WindowSearch search{&ids};
    ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool StartedServer::WaitEnded(DWORD ms) const {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (const Process& p : m_processes) {
        if (!p.own) continue;
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        if (::WaitForSingleObject(p.handle.get(), left) != WAIT_OBJECT_0) return false;
    }
    return true;
}

void StartedServer::End() {
    for (Process& p : m_processes)
        if (p.own && ::WaitForSingleObject(p.handle.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(p.handle.get(), 1);
    // Wait briefly so the next start of the same class finds the old one gone.
    WaitEnded(5000);
}
