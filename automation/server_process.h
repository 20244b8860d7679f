// The processes of the office servers a run starts, found from outside the way a person would
// see them in the task list: by the executable the server's class is registered with. Nothing
// here knows which office suite it is.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/scoped.h"

// The file name (lower case) of the executable registered as the local server of `progId`
// (LocalServer32 of its class); empty when it is not registered that way.
std::wstring ServerExecutable(const std::wstring& progId);

// The running processes whose executable file name is `exeName` (any letter case).
struct ProcessEntry {
    DWORD id;
    DWORD parent;
};
std::vector<ProcessEntry> ProcessesNamed(const std::wstring& exeName);

// The processes of one server start. Those running the server's executable afterwards that did
// not run before are the run's own; a server the user already had open (one process serving
// every client) is watched for work like them but is never ended.
class StartedServer {
public:
    StartedServer() = default;
    StartedServer(StartedServer&&) = default;
    StartedServer& operator=(StartedServer&&) = default;

    // Call before the server is created. `ours` are processes an earlier start of the same run
    // brought into being (one process can serve every document): they stay the run's own.
    void Before(const std::wstring& progId, const std::vector<DWORD>& ours = {});
    // Call after it was created (or failed to be).
    void After();

    // Whether the start brought a process of its own into being.
    bool StartedAny() const;
    // The ids of the processes this start brought into being.
    std::vector<DWORD> OwnIds() const;

    // CPU time used by every process serving the start so far, in 100-ns units.
    ULONGLONG CpuTime() const;
    // The visible top-level windows of those processes (a prompt, a progress box, or the
    // window of a copy the user works in).
    std::vector<HWND> VisibleWindows() const;
    // The texts of the windows those processes show, children included: a progress box that
    // counts pages changes them, a prompt waiting for a person does not.
    std::wstring WindowTexts() const;
    // True once every process of the start's own has ended, waiting at most `ms`.
    bool WaitEnded(DWORD ms) const;
    // Ends the processes of the start's own that still run: the server first, then, after a
    // moment to end by themselves, the helper processes it started.
    void End();

private:
    struct Process {
        DWORD id;
        DWORD parent;
        bool own;
        UniqueHandle handle;
    };
    std::wstring m_exe;
    std::vector<ProcessEntry> m_before;
    std::vector<Process> m_processes;
};
