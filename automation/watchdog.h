// Gives up on an office server that holds a call and does nothing. Real servers wait for a
// person behind prompts we cannot always prevent; a batch printer left alone must not wait with
// them. A server that works (uses CPU time, has spool data growing, or moves on the progress it
// shows) is never cut, however long its call takes: a long print keeps a server busy for minutes.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
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
    // scaled down from it (for tests).
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

// One per print worker. The worker tells it which server the current document has; every call
// the worker makes to a server is seen through the dispatch layer's call listener.
class Watchdog : public CallListener {
public:
    Watchdog(WatchdogLimits limits, const std::atomic<bool>* stop);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // The server of the current document and the printer its jobs go to; the calling thread
    // is the one whose calls are cancelled when the watchdog gives up.
    void Watch(StartedServer* server, const std::wstring& printer);
    // The document is over: nothing is watched until the next Watch.
    void Unwatch();

    // Whether the watchdog gave up on the current document's server (and ended it, if it was
    // the run's own). Calls made afterwards are cancelled at once.
    bool GaveUp() const { return m_cancel; }
    // The flag the worker's message filter reads to cancel the call in progress.
    const std::atomic<bool>* CancelFlag() const { return &m_cancel; }

    void CallStarted() override;
    void CallEnded() override;

private:
    void Run();
    void Sample(ULONGLONG now);
    ULONGLONG SpoolProgress() const;

    const WatchdogLimits m_limits;
    const std::atomic<bool>* m_stop;
    std::atomic<bool> m_cancel{false};

    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_quit = false;
    StartedServer* m_server = nullptr;
    HANDLE m_printer = nullptr;
    DWORD m_thread = 0;
    int m_calls = 0;
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
