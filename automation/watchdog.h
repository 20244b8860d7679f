// Gives up on an office server that holds a call and does nothing. Real servers wait for a
// person behind prompts we cannot always prevent; a batch printer left alone must not wait with
// them. A server that works (uses CPU time, has spool data growing, or moves on the progress it
// shows) is never cut, however long its call takes: a long print keeps a server busy for minutes.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "automation/dispatch.h"
#include "automation/server_process.h"

struct WatchdogLimits {
    DWORD silentMs = 60000;    // a call with no work and no window
    DWORD promptMs = 10000;    // a call with no work while the server shows a window
    DWORD stopGraceMs = 3000;  // a call still going once the run was asked to stop
    DWORD sampleMs = 250;

    // The defaults, or a silent limit of TAVROLIN_WATCHDOG_SECONDS seconds with the others
    // scaled down from it, and a prompt limit of TAVROLIN_WATCHDOG_PROMPT_SECONDS (for tests).
    static WatchdogLimits FromEnvironment();
};

// How much a server must do within one second to count as working: 5 % of a processor. A
// server waiting in a dialog still ticks over a little (1 to 2 % under Wine); a print keeps a
// processor far busier than this.
inline constexpr ULONGLONG kWorkingCpuPerSecond = 500000;  // 100-ns units

// The decision alone, so it can be read (and tested) apart from the sampling.
struct ServerActivity {
    DWORD idleMs;       // since the server last did work (or the call began)
    bool showsWindow;
    bool stopAsked;
    DWORD callMs;       // how long the call has been going
    DWORD sinceStopMs;  // how long since the stop was seen
};
bool ShouldGiveUp(const ServerActivity& a, const WatchdogLimits& limits);

// One job on a printer's queue, as the spooler lists it.
struct QueuedJob {
    DWORD id;
    std::wstring user;  // empty when the spooler does not say
    DWORD size;         // bytes spooled so far
    DWORD pagesPrinted;
};
// The run's own jobs among `jobs` (not among `before`, the jobs queued when the server started,
// and sent by `user`, or by nobody the spooler names) folded into one figure that moves while
// one of them is being written.
ULONGLONG OwnJobsProgress(const std::vector<QueuedJob>& jobs, const std::vector<DWORD>& before, const std::wstring& user);

// The run's own print jobs on the chosen printer: those that arrived since the document's
// server started, sent by this user. A colleague's job on a shared queue is not our server's
// work.
class OwnJobs {
public:
    OwnJobs() = default;
    ~OwnJobs();
    OwnJobs(const OwnJobs&) = delete;
    OwnJobs& operator=(const OwnJobs&) = delete;

    // Opens the printer and remembers the jobs already in its queue.
    void Open(const std::wstring& printer);
    // The jobs' count, spooled bytes and printed pages folded into one figure that moves while
    // a job of ours is being written.
    ULONGLONG Progress() const;

private:
    HANDLE m_printer = nullptr;
    std::vector<DWORD> m_before;
    std::wstring m_user;
};

// One per print worker. The worker tells it which server the current document has; every call
// the worker makes to a server is seen through the dispatch layer's call listener, and the
// server's start is watched like a call.
class Watchdog : public CallListener {
public:
    Watchdog(WatchdogLimits limits, const std::atomic<bool>* stop);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // The server of the current document (from before its start on) and the printer its jobs
    // go to; the calling thread is the one whose calls are cancelled when the watchdog gives up.
    void Watch(StartedServer* server, const std::wstring& printer);
    // The document is over: nothing is watched until the next Watch. Returns once no sample
    // of the server is in progress, so the server may go.
    void Unwatch();

    // Whether the watchdog gave up on the current document's server: the call in progress is
    // cancelled and the server ended, unless it holds the user's work. Calls made afterwards
    // are cancelled at once.
    bool GaveUp() const { return m_cancel; }
    // The flag the worker's message filter reads to cancel the call in progress.
    const std::atomic<bool>* CancelFlag() const { return &m_cancel; }

    void CallStarted() override;
    void CallEnded() override;

private:
    void Run();
    // One look at the server. The system calls it makes (the process list, windows, the
    // spooler, ending a process) run with the lock released.
    void Sample(std::unique_lock<std::mutex>& lock);

    const WatchdogLimits m_limits;
    const std::atomic<bool>* m_stop;
    std::atomic<bool> m_cancel{false};

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_sampled;
    bool m_quit = false;
    bool m_sampling = false;  // a sample is looking at m_server with the lock released
    StartedServer* m_server = nullptr;
    std::unique_ptr<OwnJobs> m_jobs;
    DWORD m_thread = 0;
    int m_calls = 0;
    unsigned m_callId = 0;         // counts the calls begun, so a sample knows its call
    bool m_baselineReady = false;  // what the server showed when the call began has been read
    bool m_cpuBaseline = false;    // the call's first CPU figure has been read by the sampler
    ULONGLONG m_callStart = 0;
    ULONGLONG m_lastWork = 0;
    ULONGLONG m_lastSample = 0;
    ULONGLONG m_lastCpu = 0;
    ULONGLONG m_lastSpool = 0;
    std::wstring m_lastTexts;
    std::vector<HWND> m_windowsBefore;  // shown when the call began: not the call's prompt
    ULONGLONG m_stopSeen = 0;

    std::thread m_sampler;  // last: started once everything above is in place
};
