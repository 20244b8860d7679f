// The windows of officesim's server processes, as a watchdog outside them sees them:
// top-level windows found with EnumWindows and GetWindowThreadProcessId.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace officesim {

struct ServerWindow {
    HWND hwnd = nullptr;
    DWORD pid = 0;
    std::wstring title;
    std::wstring text;  // the texts of its child windows (labels, buttons), one per line
};

// Visible top-level windows of the officesim process pid, or of every officesim process when pid is 0.
std::vector<ServerWindow> ServerWindows(DWORD pid = 0);

// Waits until pid shows a visible top-level window; false after timeoutMs.
bool WaitForServerWindow(DWORD pid, DWORD timeoutMs, ServerWindow* found = nullptr);

// CPU time the process has used so far, in milliseconds, summed over its threads (Wine
// answers per thread, not per process, for another process).
ULONGLONG CpuMilliseconds(DWORD pid);

// Presses the button with this text in the window (a person answering the prompt).
bool PressButton(HWND window, const std::wstring& text);

// The windows of documents the user opened that landed in an officesim process ("用户文档 - ...").
std::vector<ServerWindow> UserDocumentWindows(DWORD pid = 0);
// The user closes one: WM_CLOSE, then waits for the window to go; false after timeoutMs.
bool CloseUserDocument(HWND window, DWORD timeoutMs);

// A stand-in for the user's shell ("officesim.exe /shell"): running before a run, it starts the
// user's own copies a server asks for (the UserCopyAtStart behaviour), as their parent.
class StandInShell {
public:
    StandInShell();
    ~StandInShell();
    StandInShell(const StandInShell&) = delete;
    StandInShell& operator=(const StandInShell&) = delete;
    DWORD Pid() const { return pid_; }
    // The processes it started that still run.
    std::vector<DWORD> Children() const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// The user's own copy of an application ("officesim.exe /role <ProgID> /user"): started,
// and ready once its window shows. Ended by closing that window, as a person would.
class UserServer {
public:
    explicit UserServer(const std::wstring& progId);
    ~UserServer();
    UserServer(const UserServer&) = delete;
    UserServer& operator=(const UserServer&) = delete;
    DWORD Pid() const { return pid_; }
    bool Running() const;
    // Closes its window and waits for the process to end (ending it after timeoutMs).
    bool Close(DWORD timeoutMs = 10000);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

}  // namespace officesim
