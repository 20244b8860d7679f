// The processes of the office servers a run starts, and which of them are the run's own.
//
// A process is the run's own only when the run can prove it: it was started for this
// activation (by the system's COM launcher, by this program, or by such a process, a launcher
// that has already ended included), or it serves the object the run created and did not run
// before the start. A process whose parent ran before the start (the user's shell) is never
// the run's own, whatever its executable. The user's work can sit in a process of the run's
// own (a document opened from Explorer lands in a running Word; PowerPoint serves every
// client from one process): a server marked as holding it is never ended.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct ProcessEntry {
    DWORD id;
    DWORD parent;
    std::wstring exe;  // file name only, lower case
};
// Every running process, as the system's process list has it.
std::vector<ProcessEntry> RunningProcesses();

// The file names (lower case) of the executables registered as the local server of `progId`,
// from the 64-bit and the 32-bit registry view, machine-wide and per user. A hint only: a
// launcher may be registered that starts the real server under another name, or nothing.
std::vector<std::wstring> RegisteredExecutables(const std::wstring& progId);

// The processes that start a local server on the system's behalf (the DCOM launcher and the
// RPC service), and this program.
std::vector<DWORD> ComLauncherProcesses();

// What one process is to a run, decided from the process list before and during a start.
struct ProcessOrigin {
    std::vector<ProcessEntry> before;   // running before the start
    std::vector<ProcessEntry> seen;     // came up during the start (some may have ended)
    std::vector<DWORD> launchers;       // the system's COM launchers and this program
    std::vector<DWORD> carried;         // the run's own from an earlier start (running before)
    std::vector<std::wstring> hints;    // registered executables
};
// The ids among `seen` that are the run's own. One of `carried` is the run's again only when it
// serves the new start (StartedServer::ServedBy); what it starts during the start is.
std::vector<DWORD> OwnProcesses(const ProcessOrigin& origin);

// The processes of one server start, watched until they end.
class StartedServer {
public:
    StartedServer();
    ~StartedServer();
    StartedServer(StartedServer&&) noexcept;
    StartedServer& operator=(StartedServer&&) noexcept;

    // Call right before the server is created: remembers what ran before and watches the
    // process list closely until After, so that a launcher that lives a moment is seen.
    // `ours` are processes an earlier start of the same run brought into being (one process
    // can serve every client); `userHeld` those of them known to hold the user's work.
    void Before(const std::wstring& progId, const std::vector<DWORD>& ours = {},
                const std::vector<DWORD>& userHeld = {});
    // Call after it was created (or failed to be).
    void After();
    // The process that serves the created object, from the window handle the server gave.
    // One that ran before the start, or came up meanwhile from a parent that did (the user's
    // shell), is the user's: watched, never ended.
    void ServedBy(DWORD pid);
    // Takes in the helpers the run's own processes started since (they are the run's too).
    void Refresh();

    // The server holds a document the run did not open: from now on it is never ended.
    void MarkHoldsUserWork();
    bool HoldsUserWork() const;

    // Whether the start brought a process of its own into being, and their ids.
    bool StartedAny() const;
    std::vector<DWORD> OwnIds() const;

    // CPU time used by every process serving the start so far, in 100-ns units.
    ULONGLONG CpuTime() const;
    // The visible top-level windows of those processes (a prompt, a progress box, or the
    // window of a document the user works in) and, when `texts` is given, the texts they
    // show, children included: a progress box that counts pages changes them, a prompt
    // waiting for a person does not.
    std::vector<HWND> VisibleWindows(std::wstring* texts = nullptr) const;
    // The visible top-level windows of the run's own processes only.
    std::vector<HWND> OwnVisibleWindows() const;
    // True once every process of the start's own has ended, waiting at most `ms`.
    bool WaitEnded(DWORD ms) const;
    // Ends the processes of the start's own that still run, unless the server holds the user's
    // work: the server first, then, after a moment to end by themselves, the helper processes
    // it started. False when it ended nothing because of the user's work.
    bool End();

private:
    struct State;
    std::unique_ptr<State> m;
};
