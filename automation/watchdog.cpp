#include "automation/watchdog.h"

#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <vector>

WatchdogLimits WatchdogLimits::FromEnvironment() {
    WatchdogLimits limits;
    wchar_t text[32] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_SECONDS", text, 32);
    if (n == 0 || n >= 32) return limits;
    const long seconds = std::wcstol(text, nullptr, 10);
    if (seconds <= 0 || seconds > 3600) return limits;
    limits.silentMs = static_cast<DWORD>(seconds) * 1000;
    limits.promptMs = std::clamp<DWORD>(limits.silentMs / 6, 1000, 10000);
    limits.stopGraceMs = std::min<DWORD>(limits.stopGraceMs, limits.silentMs);
    return limits;
}

bool ShouldGiveUp(const ServerActivity& a, const WatchdogLimits& limits) {
    // On the way out the current call gets a short grace, working or not.
    if (a.stopAsked && std::min(a.callMs, a.sinceStopMs) >= limits.stopGraceMs) return true;
    // A window alone is no proof of a prompt (a progress box shows while a print works), but
    // a window and no work is a person being waited for.
    return a.idleMs >= (a.showsWindow ? limits.promptMs : limits.silentMs);
}

Watchdog::Watchdog(WatchdogLimits limits, const std::atomic<bool>* stop)
    : m_limits(limits), m_stop(stop), m_sampler([this] { Run(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(m_lock);
        m_quit = true;
    }
    m_wake.notify_all();
    m_sampler.join();
    if (m_printer) ::ClosePrinter(m_printer);
}

void Watchdog::Watch(StartedServer* server, const std::wstring& printer) {
    std::lock_guard lock(m_lock);
    m_server = server;
    m_thread = ::GetCurrentThreadId();
    m_cancel = false;
    if (m_printer) ::ClosePrinter(m_printer);
    m_printer = nullptr;
    if (!printer.empty()) ::OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &m_printer, nullptr);
    m_lastSpool = SpoolProgress();
}

void Watchdog::Unwatch() {
    std::lock_guard lock(m_lock);
    m_server = nullptr;
    m_calls = 0;
}

void Watchdog::CallStarted() {
    std::lock_guard lock(m_lock);
    if (m_calls++ == 0) {
        m_callStart = m_lastWork = m_lastSample = ::GetTickCount64();
        m_lastCpu = m_server ? m_server->CpuTime() : 0;
        m_lastTexts = m_server ? m_server->WindowTexts() : std::wstring();
        m_windowsBefore = m_server ? m_server->VisibleWindows() : std::vector<HWND>();
    }
}

void Watchdog::CallEnded() {
    std::lock_guard lock(m_lock);
    if (m_calls > 0) --m_calls;
}

ULONGLONG Watchdog::SpoolProgress() const {
    // The jobs in the printer's queue and their spooled bytes: a print that is being written
    // moves these even when the server's own CPU time does not.
    if (!m_printer) return 0;
    DWORD needed = 0, count = 0;
    ::EnumJobsW(m_printer, 0, 64, 2, nullptr, 0, &needed, &count);
    if (!needed) return 0;
    std::vector<BYTE> buffer(needed);
    if (!::EnumJobsW(m_printer, 0, 64, 2, buffer.data(), needed, &needed, &count)) return 0;
    ULONGLONG progress = count;
    const auto* jobs = reinterpret_cast<const JOB_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) progress += (static_cast<ULONGLONG>(jobs[i].Size) << 8) + jobs[i].PagesPrinted;
    return progress;
}

void Watchdog::Run() {
    std::unique_lock lock(m_lock);
    while (!m_quit) {
        m_wake.wait_for(lock, std::chrono::milliseconds(m_limits.sampleMs));
        if (m_quit) break;
        Sample(::GetTickCount64());
    }
}

void Watchdog::Sample(ULONGLONG now) {
    if (m_stop && *m_stop && !m_stopSeen) m_stopSeen = now;
    if (m_cancel) {
        // Keep the worker's modal loop turning so that its message filter cancels whatever
        // call it is still in.
        if (m_thread) ::PostThreadMessageW(m_thread, WM_NULL, 0, 0);
        return;
    }
    if (m_calls == 0 || !m_server) return;

    if (now - m_lastSample >= 1000) {
        const ULONGLONG cpu = m_server->CpuTime();
        const ULONGLONG spool = SpoolProgress();
        std::wstring texts = m_server->WindowTexts();
        const ULONGLONG perSecond = (cpu - m_lastCpu) * 1000 / (now - m_lastSample);
        if (perSecond >= kWorkingCpuPerSecond || spool != m_lastSpool || texts != m_lastTexts) m_lastWork = now;
        m_lastCpu = cpu;
        m_lastSpool = spool;
        m_lastTexts = std::move(texts);
        m_lastSample = now;
    }
    // Only a window that came up during the call can be waiting for a person about it; one
    // that was there before (the user's own copy of the application) is not.
    bool newWindow = false;
    for (HWND w : m_server->VisibleWindows())
        newWindow |= std::find(m_windowsBefore.begin(), m_windowsBefore.end(), w) == m_windowsBefore.end();
    const ServerActivity activity{static_cast<DWORD>(now - m_lastWork), newWindow,
                                  m_stopSeen != 0, static_cast<DWORD>(now - m_callStart),
                                  m_stopSeen ? static_cast<DWORD>(now - m_stopSeen) : 0};
    if (!ShouldGiveUp(activity, m_limits)) return;

    m_cancel = true;
    if (m_thread) ::PostThreadMessageW(m_thread, WM_NULL, 0, 0);
    // A server of the run's own goes with its prompt; one the user had open is only let go.
    m_server->End();
}
