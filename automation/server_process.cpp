#include "automation/server_process.h"

#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "automation/dispatch.h"
#include "framework/deadline.h"
#include "framework/scoped.h"
#include "framework/text.h"

namespace {

// How often the process list is read while a server starts: a launcher that starts the real
// server and ends lives for a few dozen milliseconds at least.
constexpr DWORD kStartPollMs = 10;
// How long helpers get to end by themselves once the server they serve was ended.
constexpr DWORD kHelperGraceMs = 2000;
// How long End waits for what it ended to be gone, so the next start finds it gone.
constexpr DWORD kEndWaitMs = 5000;

bool Contains(const std::vector<DWORD>& ids, DWORD id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

const ProcessEntry* Find(const std::vector<ProcessEntry>& entries, DWORD id) {
    for (const ProcessEntry& e : entries)
        if (e.id == id) return &e;
    return nullptr;
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return text::Lower(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

// The executable of a LocalServer32 command line: quoted, or up to the first ".exe".
std::wstring ExecutableOf(const std::wstring& command) {
    if (!command.empty() && command[0] == L'"') {
        const size_t end = command.find(L'"', 1);
        return FileNameOf(command.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1));
    }
    const size_t exe = text::Lower(command).find(L".exe");
    return FileNameOf(exe == std::wstring::npos ? command.substr(0, command.find(L' ')) : command.substr(0, exe + 4));
}

// A REG_SZ or REG_EXPAND_SZ value (the latter comes back expanded) of one registry view.
std::wstring RegistryText(HKEY root, const std::wstring& key, REGSAM view) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return {};
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    const LSTATUS status = ::RegGetValueW(opened, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    ::RegCloseKey(opened);
    return status == ERROR_SUCCESS ? value : std::wstring();
}

DWORD ServiceProcess(SC_HANDLE manager, const wchar_t* name) {
    SC_HANDLE service = ::OpenServiceW(manager, name, SERVICE_QUERY_STATUS);
    if (!service) return 0;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    const BOOL ok = ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                           sizeof(status), &needed);
    ::CloseServiceHandle(service);
    return ok ? status.dwProcessId : 0;
}

// Windows' own programs (the RPC service, Wine's helpers that come up with the first
// activation) live in the Windows folder; no office server does.
bool IsSystemProgram(HANDLE process) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!::QueryFullProcessImageNameW(process, 0, path, &size)) return false;
    wchar_t windows[MAX_PATH] = {};
    const UINT n = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring folder = text::Lower(windows);
    if (!folder.ends_with(L'\\')) folder += L'\\';
    return text::Lower(path).starts_with(folder);
}

// A handle of the caller's own to a watched process: a start retried meanwhile (Before) closes
// the list's handles, and a closed handle's value can name another object by the time it is used.
UniqueHandle Duplicate(HANDLE h) {
    HANDLE own = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return UniqueHandle();
    return UniqueHandle(own);
}

HANDLE OpenToWatch(DWORD id) {
    // Query and wait only: a process we may not end must still be watchable.
    return ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
}

struct WindowSearch {
    const std::vector<DWORD>* ids;
    std::vector<HWND> found;
    std::wstring* texts;
};

// The text the system keeps for a window. For a window of another process GetWindowText sends
// no message, so a server that hangs cannot hang us here.
void AppendText(HWND hwnd, std::wstring& out) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd, buffer, 256);
    out += buffer;
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
    if (!Contains(*search->ids, pid)) return TRUE;
    search->found.push_back(hwnd);
    if (search->texts) {
        AppendText(hwnd, *search->texts);
        ::EnumChildWindows(hwnd, &CollectChildText, reinterpret_cast<LPARAM>(search->texts));
    }
    return TRUE;
}

std::vector<HWND> WindowsOf(const std::vector<DWORD>& ids, std::wstring* texts) {
    if (ids.empty()) return {};
    WindowSearch search{&ids, {}, texts};
    ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

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

std::vector<ProcessEntry> RunningProcesses() {
    std::vector<ProcessEntry> entries;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return entries;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        entries.push_back({entry.th32ProcessID, entry.th32ParentProcessID, FileNameOf(entry.szExeFile)});
    return entries;
}

std::vector<std::wstring> RegisteredExecutables(const std::wstring& progId) {
    CLSID clsid{};
    if (FAILED(ClassIdOf(progId, clsid))) return {};
    wchar_t id[64] = {};
    if (!::StringFromGUID2(clsid, id, 64)) return {};
    const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + id + L"\\LocalServer32";
    std::vector<std::wstring> names;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            const std::wstring command = RegistryText(root, key, view);
            if (command.empty()) continue;
            std::wstring exe = ExecutableOf(command);
            if (!exe.empty() && std::find(names.begin(), names.end(), exe) == names.end()) names.push_back(exe);
        }
    return names;
}

std::vector<DWORD> ComLauncherProcesses() {
    std::vector<DWORD> ids{::GetCurrentProcessId()};
    if (SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)) {
        for (const wchar_t* name : {L"DcomLaunch", L"RpcSs"})
            if (const DWORD id = ServiceProcess(manager, name)) ids.push_back(id);
        ::CloseServiceHandle(manager);
    }
    return ids;
}

namespace {

// The launchers stay for the session: asking the service manager costs about 10 ms a start,
// so they are asked again only once one of them has ended (or none was found).
std::vector<DWORD> KnownComLaunchers() {
    static std::mutex lock;
    static std::vector<DWORD> ids;
    static std::vector<UniqueHandle> handles;
    std::lock_guard guard(lock);
    const bool oneEnded = std::any_of(handles.begin(), handles.end(),
                                      [](const UniqueHandle& h) { return ::WaitForSingleObject(h.get(), 0) != WAIT_TIMEOUT; });
    if (ids.size() <= 1 || oneEnded || handles.size() + 1 != ids.size()) {
        ids = ComLauncherProcesses();
        handles.clear();
        for (size_t i = 1; i < ids.size(); ++i) {
            UniqueHandle h(::OpenProcess(SYNCHRONIZE, FALSE, ids[i]));
            if (!h) {  // not to be watched: asked again next time
                handles.clear();
                break;
            }
            handles.push_back(std::move(h));
        }
    }
    return ids;
}

}  // namespace

std::vector<DWORD> OwnProcesses(const ProcessOrigin& origin) {
    std::vector<DWORD> own;
    // Started by a launcher or by one of the run's own, as far down as it goes; a launcher
    // that ended before it was seen counts when what it left runs a registered executable.
    for (bool grew = true; grew;) {
        grew = false;
        for (const ProcessEntry& p : origin.seen) {
            if (Contains(own, p.id)) continue;
            bool ours = Contains(origin.launchers, p.parent) || Contains(origin.carried, p.parent) || Contains(own, p.parent);
            if (!ours && !Find(origin.before, p.parent) && !Find(origin.seen, p.parent))
                ours = std::find(origin.hints.begin(), origin.hints.end(), p.exe) != origin.hints.end();
            if (ours) {
                own.push_back(p.id);
                grew = true;
            }
        }
    }
    return own;
}

struct StartedServer::State {
    struct Process {
        DWORD id;
        DWORD parent;
        bool own;
        UniqueHandle handle;
    };

    mutable std::mutex lock;  // guards everything below against the watchdog's sampler
    ProcessOrigin origin;
    std::vector<DWORD> userHeld;
    std::vector<UniqueHandle> seenHandles;  // keeps the ids of what came up from being reused
    std::vector<Process> processes;         // the run's own, and the one serving it if not
    bool holdsUserWork = false;

    std::atomic<bool> polling{false};
    std::thread poller;
    std::mutex pollLock;
    std::condition_variable pollWake;

    void StopPolling() {
        {
            std::lock_guard guard(pollLock);
            polling = false;
        }
        pollWake.notify_all();
        if (poller.joinable()) poller.join();
    }

    // Takes in what came up since the start began (a new id, or an id with another parent).
    void Look() {
        const std::vector<ProcessEntry> now = RunningProcesses();
        std::lock_guard guard(lock);
        for (const ProcessEntry& p : now) {
            const ProcessEntry* old = Find(origin.before, p.id);
            if (old && old->parent == p.parent) continue;
            if (Find(origin.seen, p.id)) continue;
            origin.seen.push_back(p);
            if (HANDLE h = OpenToWatch(p.id)) seenHandles.emplace_back(h);
        }
    }

    bool Has(DWORD id) const {
        return std::any_of(processes.begin(), processes.end(), [&](const Process& p) { return p.id == id; });
    }

    void AddOwn(DWORD id, DWORD parent) {
        if (Has(id)) return;
        UniqueHandle handle(OpenToWatch(id));
        if (!handle || IsSystemProgram(handle.get())) return;
        processes.push_back({id, parent, true, std::move(handle)});
    }

    // Takes in the processes of the start that are the run's own so far.
    void Classify() {
        for (DWORD id : OwnProcesses(origin)) {
            if (Contains(origin.launchers, id)) continue;
            const ProcessEntry* seen = Find(origin.seen, id);
            AddOwn(id, seen ? seen->parent : 0);
        }
    }

    std::vector<DWORD> Ids(bool ownOnly) const {
        std::lock_guard guard(lock);
        std::vector<DWORD> ids;
        for (const Process& p : processes)
            if (p.own || !ownOnly) ids.push_back(p.id);
        return ids;
    }
};

StartedServer::StartedServer() : m(std::make_unique<State>()) {}
StartedServer::~StartedServer() {
    if (m) m->StopPolling();
}
StartedServer::StartedServer(StartedServer&&) noexcept = default;
StartedServer& StartedServer::operator=(StartedServer&& other) noexcept {
    if (m) m->StopPolling();
    m = std::move(other.m);
    return *this;
}

void StartedServer::Before(const std::wstring& progId, const std::vector<DWORD>& ours,
                           const std::vector<DWORD>& userHeld) {
    m->StopPolling();
    {
        std::lock_guard guard(m->lock);
        m->origin = ProcessOrigin{};
        m->origin.before = RunningProcesses();
        m->origin.launchers = KnownComLaunchers();
        m->origin.carried = ours;
        m->origin.hints = RegisteredExecutables(progId);
        m->userHeld = userHeld;
        m->seenHandles.clear();
        m->processes.clear();
        m->holdsUserWork = false;
    }
    m->polling = true;
    State* state = m.get();
    m->poller = std::thread([state] {
        std::unique_lock guard(state->pollLock);
        while (state->polling) {
            guard.unlock();
            state->Look();
            guard.lock();
            state->pollWake.wait_for(guard, std::chrono::milliseconds(kStartPollMs), [state] { return !state->polling; });
        }
    });
}

void StartedServer::After() {
    m->StopPolling();
    m->Look();
    // A launcher the system started during the start (the RPC service coming up) is one too:
    // asked for when something came up whose parent is not known otherwise.
    bool unknownParent = false;
    {
        std::lock_guard guard(m->lock);
        const ProcessOrigin& o = m->origin;
        for (const ProcessEntry& p : o.seen)
            unknownParent |= !Find(o.before, p.parent) && !Find(o.seen, p.parent) && !Contains(o.launchers, p.parent);
    }
    const std::vector<DWORD> launchers = unknownParent ? ComLauncherProcesses() : std::vector<DWORD>();
    std::lock_guard guard(m->lock);
    for (DWORD id : launchers)
        if (!Contains(m->origin.launchers, id)) m->origin.launchers.push_back(id);
    m->Classify();
    m->seenHandles.clear();
}

void StartedServer::ServedBy(DWORD pid) {
    if (!pid) return;
    std::lock_guard guard(m->lock);
    if (m->Has(pid)) return;
    if (Contains(m->origin.carried, pid)) {
        // Brought up by an earlier start of the run and serving this one too (one PowerPoint
        // serves every client), with whatever of the user's it took in meanwhile.
        m->AddOwn(pid, 0);
        if (Contains(m->userHeld, pid)) m->holdsUserWork = true;
        return;
    }
    // Running before the start, or started meanwhile by a process that was (the user's shell:
    // a PowerPoint the user opened during the start serves the run's object too): the user's
    // own application, which the run only borrows.
    const ProcessOrigin& o = m->origin;
    const ProcessEntry* seen = Find(o.seen, pid);
    const bool users = Find(o.before, pid) || (seen && Find(o.before, seen->parent) && !Contains(o.launchers, seen->parent) &&
                                               !Contains(o.carried, seen->parent));
    if (users) {
        if (HANDLE h = OpenToWatch(pid)) m->processes.push_back({pid, 0, false, UniqueHandle(h)});
        m->holdsUserWork = true;
        return;
    }
    m->AddOwn(pid, seen ? seen->parent : 0);
}

void StartedServer::Refresh() {
    const std::vector<ProcessEntry> now = RunningProcesses();
    std::lock_guard guard(m->lock);
    // While the server starts, what came up so far is watched: a window at start is a prompt too.
    if (m->polling) m->Classify();
    for (bool grew = true; grew;) {
        grew = false;
        for (const ProcessEntry& p : now) {
            if (m->Has(p.id)) continue;
            const bool parentOwn = std::any_of(m->processes.begin(), m->processes.end(),
                                               [&](const State::Process& q) { return q.own && q.id == p.parent; });
            if (!parentOwn) continue;
            const size_t before = m->processes.size();
            m->AddOwn(p.id, p.parent);
            grew |= m->processes.size() != before;
        }
    }
}

void StartedServer::MarkHoldsUserWork() {
    std::lock_guard guard(m->lock);
    m->holdsUserWork = true;
}

bool StartedServer::HoldsUserWork() const {
    std::lock_guard guard(m->lock);
    return m->holdsUserWork;
}

bool StartedServer::StartedAny() const { return !OwnIds().empty(); }

std::vector<DWORD> StartedServer::OwnIds() const { return m->Ids(true); }

ULONGLONG StartedServer::CpuTime() const {
    // Read through handles of the sample's own, used with the lock released.
    std::vector<std::pair<DWORD, UniqueHandle>> watched;
    {
        std::lock_guard guard(m->lock);
        for (const State::Process& p : m->processes)
            if (UniqueHandle h = Duplicate(p.handle.get())) watched.emplace_back(p.id, std::move(h));
    }
    ULONGLONG total = 0;
    for (const auto& [id, handle] : watched) {
        // One that has ended does no more work, and its id may already name another process.
        if (::WaitForSingleObject(handle.get(), 0) != WAIT_TIMEOUT) continue;
        FILETIME created, exited, kernel, user;
        ULONGLONG process = 0;
        if (::GetProcessTimes(handle.get(), &created, &exited, &kernel, &user)) process = Ticks(kernel) + Ticks(user);
        // The threads' figure where there is one: Wine gives another process's own figure as
        // nothing at all, or, for a server still starting, as time it did not use.
        const ULONGLONG threads = ThreadCpuTime(id);
        total += threads ? threads : process;
    }
    return total;
}

std::vector<HWND> StartedServer::VisibleWindows(std::wstring* texts) const { return WindowsOf(m->Ids(false), texts); }

std::vector<HWND> StartedServer::OwnVisibleWindows() const { return WindowsOf(m->Ids(true), nullptr); }

bool StartedServer::WaitEnded(DWORD ms) const {
    std::vector<UniqueHandle> own;  // its own, as CpuTime's: End waits here on the sampler's thread
    {
        std::lock_guard guard(m->lock);
        for (const State::Process& p : m->processes) {
            if (!p.own) continue;
            if (UniqueHandle h = Duplicate(p.handle.get())) own.push_back(std::move(h));
        }
    }
    const Deadline deadline(ms);
    for (const UniqueHandle& h : own)
        if (::WaitForSingleObject(h.get(), deadline.Left()) != WAIT_OBJECT_0) return false;
    return true;
}

bool StartedServer::End() {
    struct Target {
        DWORD id;
        UniqueHandle handle;  // its own, as CpuTime's
        bool helper;
    };
    std::vector<Target> targets;
    {
        std::lock_guard guard(m->lock);
        if (m->holdsUserWork) return false;
        for (const State::Process& p : m->processes) {
            if (!p.own) continue;
            const bool helper = std::any_of(m->processes.begin(), m->processes.end(),
                                            [&](const State::Process& q) { return q.own && q.id == p.parent; });
            if (UniqueHandle h = Duplicate(p.handle.get())) targets.push_back({p.id, std::move(h), helper});
        }
    }
    // The right to end is asked for on its own: a process we may watch but not end stays
    // watched. The watch handle keeps the id from being reused meanwhile.
    auto terminate = [](const Target& t) {
        if (::WaitForSingleObject(t.handle.get(), 0) != WAIT_TIMEOUT) return;
        UniqueHandle end(::OpenProcess(PROCESS_TERMINATE, FALSE, t.id));
        if (end) ::TerminateProcess(end.get(), 1);
    };
    // The server itself first: a helper it started may have work to do when it goes.
    for (const Target& t : targets)
        if (!t.helper) terminate(t);
    const Deadline grace(kHelperGraceMs);
    for (const Target& t : targets)
        if (t.helper && ::WaitForSingleObject(t.handle.get(), grace.Left()) == WAIT_TIMEOUT) terminate(t);
    // So that the next start of the same class finds the old one gone.
    WaitEnded(kEndWaitMs);
    return true;
}
