#include "automation/watchdog.h"

#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "framework/text.h"

namespace {

DWORD SecondsFromEnvironment(const wchar_t* name) {
    wchar_t text[32] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, text, 32);
    if (n == 0 || n >= 32) return 0;
    const long seconds = std::wcstol(text, nullptr, 10);
    return seconds > 0 && seconds <= 3600 ? static_cast<DWORD>(seconds) : 0;
}

}  // namespace

WatchdogLimits WatchdogLimits::FromEnvironment() {
    WatchdogLimits limits;
    if (const DWORD silent = SecondsFromEnvironment(L"TAVROLIN_WATCHDOG_SECONDS")) {
        limits.silentMs = silent * 1000;
        limits.promptMs = std::clamp<DWORD>(limits.silentMs / 6, 1000, 10000);
        limits.stopGraceMs = std::min<DWORD>(limits.stopGraceMs, limits.silentMs);
    }
    if (const DWORD prompt = SecondsFromEnvironment(L"TAVROLIN_WATCHDOG_PROMPT_SECONDS")) limits.promptMs = prompt * 1000;
    return limits;
}

bool ShouldGiveUp(const ServerActivity& a, const WatchdogLimits& limits) {
    // On the way out the current call gets a short grace, working or not.
    if (a.stopAsked && std::min(a.callMs, a.sinceStopMs) >= limits.stopGraceMs) return true;
    // A window alone is no proof of a prompt (a progress box shows while a print works), but
    // a window and no work is a person being waited for.
    return a.idleMs >= (a.showsWindow ? limits.promptMs : limits.silentMs);
}

OwnJobs::~OwnJobs() {
    if (m_printer) ::ClosePrinter(m_printer);
}

namespace {

// The printer's jobs at level 2; empty when they cannot be read.
std::vector<BYTE> Jobs(HANDLE printer, DWORD& count) {
    count = 0;
    DWORD needed = 0;
    ::EnumJobsW(printer, 0, 256, 2, nullptr, 0, &needed, &count);
    if (!needed) return {};
    std::vector<BYTE> buffer(needed);
    if (!::EnumJobsW(printer, 0, 256, 2, buffer.data(), needed, &needed, &count)) count = 0;
    return buffer;
}

}  // namespace

void OwnJobs::Open(const std::wstring& printer) {
    wchar_t user[256] = {};
    DWORD size = 256;
    if (::GetUserNameW(user, &size)) m_user = user;
    if (printer.empty() || !::OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &m_printer, nullptr)) return;
    DWORD count = 0;
    const std::vector<BYTE> buffer = Jobs(m_printer, count);
    const auto* jobs = reinterpret_cast<const JOB_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) m_before.push_back(jobs[i].JobId);
}

ULONGLONG OwnJobsProgress(const std::vector<QueuedJob>& jobs, const std::vector<DWORD>& before, const std::wstring& user) {
    ULONGLONG progress = 0;
    for (const QueuedJob& job : jobs) {
        if (std::find(before.begin(), before.end(), job.id) != before.end()) continue;
        if (!job.user.empty() && !user.empty() && !text::EqualsNoCase(job.user, user)) continue;
        progress += 1 + (static_cast<ULONGLONG>(job.size) << 8) + job.pagesPrinted;
    }
    return progress;
}

ULONGLONG OwnJobs::Progress() const {
    if (!m_printer) return 0;
    DWORD count = 0;
    const std::vector<BYTE> buffer = Jobs(m_printer, count);
    const auto* listed = reinterpret_cast<const JOB_INFO_2W*>(buffer.data());
    std::vector<QueuedJob> jobs;
    for (DWORD i = 0; i < count; ++i)
        jobs.push_back({listed[i].JobId, listed[i].pUserName ? listed[i].pUserName : L"", listed[i].Size,
                        listed[i].PagesPrinted});
    return OwnJobsProgress(jobs, m_before, m_user);
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
}

void Watchdog::Watch(StartedServer* server, const std::wstring& printer) {
    // The spooler may take its time over a network queue: not under the lock.
    auto jobs = std::make_unique<OwnJobs>();
    jobs->Open(printer);
    const ULONGLONG spool = jobs->Progress();
    std::unique_lock lock(m_lock);
    m_sampled.wait(lock, [&] { return !m_sampling; });
    m_server = server;
    m_thread = ::GetCurrentThreadId();
    m_cancel = false;
    m_calls = 0;
    std::swap(m_jobs, jobs);
    m_lastSpool = spool;
    lock.unlock();
    // The previous document's printer closes here, outside the lock.
}

void Watchdog::Unwatch() {
    std::unique_lock lock(m_lock);
    m_sampled.wait(lock, [&] { return !m_sampling; });
    m_server = nullptr;
    m_calls = 0;
}

void Watchdog::CallStarted() {
    // The server is this thread's to change; what it shows is read with the lock released, and
    // the sampler waits for it before it judges the call. Its CPU is read by the sampler: that
    // reads every thread of the system, longer than most calls last.
    StartedServer* server = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_calls++ > 0) return;
        server = m_server;
        ++m_callId;
        m_baselineReady = false;
        m_cpuBaseline = false;
        // The last work and the last sample are set by the sampler's first read of the call.
        m_callStart = ::GetTickCount64();
    }
    std::wstring texts;
    std::vector<HWND> windows = server ? server->VisibleWindows(&texts) : std::vector<HWND>();
    std::lock_guard lock(m_lock);
    m_lastTexts = std::move(texts);
    m_windowsBefore = std::move(windows);
    // The first measure falls due a second after the sampler's first look at the call.
    m_baselineReady = true;
}

void Watchdog::CallEnded() {
    std::lock_guard lock(m_lock);
    if (m_calls > 0) --m_calls;
}

void Watchdog::Run() {
    std::unique_lock lock(m_lock);
    while (!m_quit) {
        m_wake.wait_for(lock, std::chrono::milliseconds(m_limits.sampleMs));
        if (m_quit) break;
        Sample(lock);
    }
}

void Watchdog::Sample(std::unique_lock<std::mutex>& lock) {
    const ULONGLONG now = ::GetTickCount64();
    if (m_stop && *m_stop && !m_stopSeen) m_stopSeen = now;
    if (m_cancel) {
        // Keep the worker's modal loop turning so that its message filter cancels whatever
        // call it is still in.
        if (m_thread) ::PostThreadMessageW(m_thread, WM_NULL, 0, 0);
        return;
    }
    if (m_calls == 0 || !m_server || !m_baselineReady) return;

    StartedServer* server = m_server;
    const unsigned callId = m_callId;
    if (!m_cpuBaseline) {
        // A call still running at its first sample: its CPU from here on is what it is judged by.
        m_sampling = true;
        lock.unlock();
        const ULONGLONG cpu = server->CpuTime();
        const ULONGLONG read = ::GetTickCount64();
        lock.lock();
        m_sampling = false;
        m_sampled.notify_all();
        if (m_quit || m_server != server || m_calls == 0 || m_cancel || m_callId != callId) return;
        // Work before this read cannot be seen, so idleness counts from here too: the first
        // measure always falls before the call could be judged idle.
        m_lastCpu = cpu;
        m_lastSample = m_lastWork = read;
        m_cpuBaseline = true;
        return;
    }
    const OwnJobs* jobs = m_jobs.get();
    const bool measure = now - m_lastSample >= 1000;
    ULONGLONG cpu = 0, spool = 0;
    std::wstring texts;
    std::vector<HWND> windows;
    m_sampling = true;
    lock.unlock();
    if (measure) {
        server->Refresh();  // helpers the server started meanwhile are watched with it
        cpu = server->CpuTime();
        spool = jobs ? jobs->Progress() : 0;
    }
    windows = server->VisibleWindows(measure ? &texts : nullptr);
    lock.lock();
    m_sampling = false;
    m_sampled.notify_all();
    // A call that began meanwhile is judged by the next sample, against its own start.
    if (m_quit || m_server != server || m_calls == 0 || m_cancel || !m_baselineReady || m_callId != callId) return;

    if (measure) {
        const ULONGLONG perSecond = (cpu - std::min(cpu, m_lastCpu)) * 1000 / (now - m_lastSample);
        if (perSecond >= kWorkingCpuPerSecond || spool != m_lastSpool || texts != m_lastTexts) m_lastWork = now;
        m_lastCpu = cpu;
        m_lastSpool = spool;
        m_lastTexts = std::move(texts);
        m_lastSample = now;
    }
    // Only a window that came up during the call can be waiting for a person about it; one
    // that was there before (the user's own document) is not.
    bool newWindow = false;
    for (HWND w : windows) newWindow |= std::find(m_windowsBefore.begin(), m_windowsBefore.end(), w) == m_windowsBefore.end();
    const ServerActivity activity{static_cast<DWORD>(now - m_lastWork), newWindow, m_stopSeen != 0,
                                  static_cast<DWORD>(now - m_callStart),
                                  m_stopSeen ? static_cast<DWORD>(now - m_stopSeen) : 0};
    if (!ShouldGiveUp(activity, m_limits)) return;

    m_cancel = true;
    if (m_thread) ::PostThreadMessageW(m_thread, WM_NULL, 0, 0);
    // A server of the run's own goes with its prompt; one that holds the user's work is only
    // let go of: the cancelled call frees the worker.
    m_sampling = true;
    lock.unlock();
    server->End();
    lock.lock();
    m_sampling = false;
    m_sampled.notify_all();
}
