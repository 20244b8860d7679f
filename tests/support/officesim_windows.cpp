#include "officesim_windows.h"

#include <tlhelp32.h>

#include <tuple>
#include <utility>

#include "officesim_control.h"

namespace officesim {

namespace {

struct Search {
    std::vector<DWORD> pids;
    std::vector<ServerWindow> found;
};

std::wstring WindowText(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

BOOL CALLBACK AddChildText(HWND child, LPARAM param) {
    auto* text = reinterpret_cast<std::wstring*>(param);
    std::wstring t = WindowText(child);
    if (!t.empty()) *text += (text->empty() ? L"" : L"\n") + t;
    return TRUE;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!IsWindowVisible(window)) return TRUE;
    for (DWORD wanted : search->pids) {
        if (wanted != pid) continue;
        ServerWindow found;
        found.hwnd = window;
        found.pid = pid;
        found.title = WindowText(window);
        EnumChildWindows(window, AddChildText, reinterpret_cast<LPARAM>(&found.text));
        search->found.push_back(found);
    }
    return TRUE;
}

BOOL CALLBACK FindButton(HWND child, LPARAM param) {
    auto* wanted = reinterpret_cast<std::pair<std::wstring, HWND>*>(param);
    if (WindowText(child) == wanted->first) {
        wanted->second = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::vector<ServerWindow> ServerWindows(DWORD pid) {
    Search search;
    search.pids = pid ? std::vector<DWORD>{pid} : RunningServers();
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitForServerWindow(DWORD pid, DWORD timeoutMs, ServerWindow* found) {
    DWORD start = GetTickCount();
    for (;;) {
        auto windows = ServerWindows(pid);
        if (!windows.empty()) {
            if (found) *found = windows.front();
            return true;
        }
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(100);
    }
}

ULONGLONG CpuMilliseconds(DWORD pid) {
    auto value = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    ULONGLONG total = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) total += value(kernel) + value(user);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return total / 10000;
}

bool PressButton(HWND window, const std::wstring& text) {
    std::pair<std::wstring, HWND> wanted{text, nullptr};
    EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&wanted));
    if (!wanted.second) return false;
    // As a click: the dialog gets BN_CLICKED from the button.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wanted.second), BN_CLICKED),
                 reinterpret_cast<LPARAM>(wanted.second));
    return true;
}

namespace {

// Starts officesim.exe with `arguments`; its process handle and id, or none.
std::pair<HANDLE, DWORD> StartOfficesim(const std::wstring& arguments) {
    std::wstring command = L"\"" + ExePath() + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    CloseHandle(pi.hThread);
    return {pi.hProcess, pi.dwProcessId};
}

}  // namespace

UserServer::UserServer(const std::wstring& progId) {
    std::tie(process_, pid_) = StartOfficesim(L"/role " + progId + L" /user");
    if (!process_) return;
    // The window shows once its class object is registered.
    WaitForServerWindow(pid_, 15000);
}

UserServer::~UserServer() {
    if (Running()) Close();
    if (process_) CloseHandle(process_);
}

bool UserServer::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool UserServer::Close(DWORD timeoutMs) {
    if (!process_) return true;
    for (const ServerWindow& window : ServerWindows(pid_)) PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) return true;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
    return false;
}

}  // namespace officesim

namespace officesim {

std::vector<ServerWindow> UserDocumentWindows(DWORD pid) {
    std::vector<ServerWindow> found;
    for (const ServerWindow& w : ServerWindows(pid))
        if (w.title.starts_with(kUserDocumentTitle)) found.push_back(w);
    return found;
}

bool CloseUserDocument(HWND window, DWORD timeoutMs) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (IsWindow(window)) {
        if (GetTickCount64() > end) return false;
        Sleep(50);
    }
    return true;
}

StandInShell::StandInShell() {
    std::tie(process_, pid_) = StartOfficesim(L"/shell");
    if (!process_) return;
    // Ready once its event exists.
    for (int i = 0; i < 200; ++i) {
        HANDLE ask = OpenEventW(SYNCHRONIZE, FALSE, kShellEvent);
        if (ask) {
            CloseHandle(ask);
            break;
        }
        Sleep(25);
    }
}

StandInShell::~StandInShell() {
    if (!process_) return;
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
}

std::vector<DWORD> StandInShell::Children() const {
    const DWORD parent = pid_;
    return ProcessIds([parent](const PROCESSENTRY32W& p) { return p.th32ParentProcessID == parent; });
}

}  // namespace officesim
