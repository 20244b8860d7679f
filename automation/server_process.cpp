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

// A REG_EXPAND_SZ value comes back expanded.
std::wstring RegistryText(HKEY root, const std::wstring& key) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
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
    std::vector<HWND> found;
    std::wstring* texts = nullptr;  // collects the windows' texts when given
};

// The text the system keeps for a window. For a window of another process GetWindowText sends
// no message, so a server that hangs cannot hang us here.
void AppendText(HWND hwnd, std::wstring& out) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    out += text;
    out += L'\n';
}

BOOL CALLBACK CollectChildText(HWND hwnd, LPARAM param) {
    if (::IsWindowVisible(hwnd)) AppendText(hwnd, *reinterpret_cast<std::wstring*>(param));
    return TRUE;
}

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!::IsWindowVisible(hwnd)) return TRUE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (std::find(search->ids->begin(), search->ids->end(), pid) == search->ids->end()) return TRUE;
    search->found.push_back(hwnd);
    if (!search->texts) return TRUE;
    AppendText(hwnd, *search->texts);
    ::EnumChildWindows(hwnd, &CollectChildText, reinterpret_cast<LPARAM>(search->texts));
    return TRUE;
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

std::vector<ProcessEntry> ProcessesNamed(const std::wstring& exeName) {
    std::vector<ProcessEntry> ids;
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
        if (Lower(name) == wanted) ids.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    }
    return ids;
}

void StartedServer::Before(const std::wstring& progId, const std::vector<DWORD>& ours) {
    m_exe = ServerExecutable(progId);
    m_before = ProcessesNamed(m_exe);
    std::erase_if(m_before, [&](const ProcessEntry& p) { return std::find(ours.begin(), ours.end(), p.id) != ours.end(); });
    m_processes.clear();
}

void StartedServer::After() {
    for (const ProcessEntry& p : ProcessesNamed(m_exe)) {
        const bool own = std::none_of(m_before.begin(), m_before.end(), [&](const ProcessEntry& b) { return b.id == p.id; });
        const DWORD access = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | (own ? PROCESS_TERMINATE : 0);
        if (HANDLE handle = ::OpenProcess(access, FALSE, p.id))
            m_processes.push_back({p.id, p.parent, own, UniqueHandle(handle)});
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

// The CPU time of a process's threads that still run; Wine reports no (or too little) process
// time for another process, but does for its threads.
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
        // Whichever sees more: a process's own figure can lag behind its threads' (Wine).
        total += std::max(process, ThreadCpuTime(p.id));
    }
    return total;
}

std::vector<HWND> StartedServer::VisibleWindows() const {
    if (m_processes.empty()) return {};
    std::vector<DWORD> ids;
    for (const Process& p : m_processes) ids.push_back(p.id);
    WindowSearch search{&ids, {}, nullptr};
    ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring StartedServer::WindowTexts() const {
    std::wstring texts;
    if (m_processes.empty()) return texts;
    std::vector<DWORD> ids;
    for (const Process& p : m_processes) ids.push_back(p.id);
    WindowSearch search{&ids, {}, &texts};
    ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return texts;
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
    auto isHelper = [&](const Process& p) {
        return std::any_of(m_processes.begin(), m_processes.end(), [&](const Process& q) { return q.own && q.id == p.parent; });
    };
    auto terminate = [](const Process& p) {
        if (::WaitForSingleObject(p.handle.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(p.handle.get(), 1);
    };
    // The server itself first: a helper it started may have work to do when it goes.
    for (const Process& p : m_processes)
        if (p.own && !isHelper(p)) terminate(p);
    const ULONGLONG end = ::GetTickCount64() + 2000;
    for (const Process& p : m_processes) {
        if (!p.own || !isHelper(p)) continue;
        const ULONGLONG now = ::GetTickCount64();
        if (::WaitForSingleObject(p.handle.get(), now >= end ? 0 : static_cast<DWORD>(end - now)) == WAIT_TIMEOUT)
            terminate(p);
    }
    // Wait briefly so the next start of the same class finds the old one gone.
    WaitEnded(5000);
}
