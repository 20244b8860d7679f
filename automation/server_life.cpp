#include "automation/server_life.h"

#include <winspool.h>

#include "automation/office_members.h"
#include "framework/deadline.h"
#include "framework/text.h"

namespace {

// How long a finished document's server may take to end on its own before it is ended.
constexpr DWORD kServerExitWaitMs = 5000;
// A class whose server was ended from outside can refuse the next activation for a moment.
constexpr int kStartAttempts = 3;
constexpr DWORD kStartRetryDelayMs = 1000;

// The version gate of the Microsoft servers: Printed when the version passes, VersionTooOld when
// it does not, Failed when it cannot be read (a server that does not answer passes no gate).
PrintOutcome VersionGate(const DispatchRef& app, DISPID versionMember) {
    try {
        return PassesVersionGate(GetText(app, versionMember)) ? PrintOutcome::Printed : PrintOutcome::VersionTooOld;
    } catch (const AutomationError&) {
        return PrintOutcome::Failed;
    }
}

bool PrinterAvailable(const std::wstring& name) {
    if (name.empty()) return false;
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr)) return false;
    ::ClosePrinter(printer);
    return true;
}

bool MentionsPassword(const std::wstring& description) {
    return text::ContainsNoCase(description, L"password") || description.find(L"密码") != std::wstring::npos;
}

}  // namespace

int DocumentCount(const DispatchRef& collection, DISPID countMember) {
    try {
        Variant v = GetProperty(collection, countMember);
        if (FAILED(::VariantChangeType(&v.get(), &v.get(), 0, VT_I4))) return -1;
        return v.get().lVal;
    } catch (const AutomationError&) {
        return -1;
    }
}

RunServers::RunServers(PrintOptions options, StartFailureNotice notice, const std::atomic<bool>* stop)
    : m_options(std::move(options)),
      m_notice(std::move(notice)),
      m_stop(stop),
      m_watchdog(WatchdogLimits::FromEnvironment(), stop),
      m_filter(m_watchdog.CancelFlag()),
      m_listener(&m_watchdog) {}

RunServers::~RunServers() {
    // A server still there after the wait is ended unless it may hold the user's work: it was
    // seen to hold a document the run did not open, or it shows a window after the run let go
    // of it (a document the user opened there since).
    const Deadline deadline(kServerExitWaitMs);
    for (StartedServer& server : m_finished) {
        if (server.WaitEnded(deadline.Left())) continue;
        if (server.HoldsUserWork() || !server.OwnVisibleWindows().empty()) continue;
        server.End();
    }
}

void RunServers::Retire(StartedServer&& server) {
    std::erase_if(m_finished, [](const StartedServer& s) { return s.WaitEnded(0); });
    if (server.StartedAny()) m_finished.push_back(std::move(server));
}

std::vector<DWORD> RunServers::StartedIds(bool userHeldOnly) const {
    std::vector<DWORD> ids;
    for (const StartedServer& s : m_finished)
        if (!s.WaitEnded(0) && (!userHeldOnly || s.HoldsUserWork()))
            for (DWORD id : s.OwnIds()) ids.push_back(id);
    return ids;
}

DocumentServer::DocumentServer(RunServers& run, DocumentKind kind, DISPID versionMember) : m_run(run) {
    const PrintOptions& options = run.m_options;
    const wchar_t* progId = ProgIdFor(kind, options.suite);
    if (!progId) return;
    m_progId = progId;
    if (const auto known = run.m_unstartable.find(m_progId); known != run.m_unstartable.end()) {
        m_outcome = known->second;
        return;
    }
    if (!PrinterAvailable(options.printer)) {
        m_outcome = PrintOutcome::PrinterUnavailable;
        return;
    }
    m_swap.emplace(options.printer);
    // Set before the server starts, which is when an office application reads them.
    if (!options.KeepsPrinterSettings()) {
        m_settings.emplace(options.printer, options);
        if (!m_settings->applied()) {
            RestorePrinter();
            m_outcome = PrintOutcome::PrinterSettingsUnavailable;
            return;
        }
    }

    // The start is watched like a call: a licence or activation window that waits for a person
    // would hold the activation for minutes.
    run.m_watchdog.Watch(&m_server, options.printer);
    m_watched = true;
    HRESULT hr = E_FAIL;
    const int attempts = run.m_ended.contains(m_progId) ? kStartAttempts : 1;
    for (int i = 0; i < attempts && !GaveUp(); ++i) {
        if (i > 0) ::Sleep(kStartRetryDelayMs);
        m_server.Before(m_progId, run.StartedIds(false), run.StartedIds(true));
        run.m_watchdog.CallStarted();
        hr = CreateServer(m_progId, m_app);
        run.m_watchdog.CallEnded();
        m_server.After();
        if (SUCCEEDED(hr) && GaveUp()) hr = E_ABORT;
        if (SUCCEEDED(hr)) break;
    }
    if (FAILED(hr)) {
        const bool stuck = GaveUp();
        m_app.reset();
        RestorePrinter();
        m_outcome = stuck ? PrintOutcome::ServerStuckAtStart : PrintOutcome::ServerCannotStart;
        run.m_unstartable.emplace(m_progId, m_outcome);
        if (run.m_notice) run.m_notice(kind, options.suite, m_outcome);
        return;
    }
    m_outcome = options.suite == kSuiteMsOffice && versionMember ? VersionGate(m_app, versionMember)
                                                                  : PrintOutcome::Printed;
    if (m_outcome != PrintOutcome::Printed && GaveUp()) m_outcome = GaveUpOutcome();
}

DocumentServer::~DocumentServer() {
    m_app.reset();
    if (m_watched) m_run.m_watchdog.Unwatch();
    if (GaveUp() && !m_server.HoldsUserWork()) m_run.m_ended.insert(m_progId);
    m_run.Retire(std::move(m_server));
    // The swap restores the user's default last, if nothing did before.
}

void DocumentServer::RestorePrinter() {
    if (m_settings) m_settings->Restore();
    if (m_swap) m_swap->Restore();
}

bool DocumentServer::GaveUp() const { return m_watched && m_run.m_watchdog.GaveUp(); }

PrintOutcome DocumentServer::GaveUpOutcome() const {
    return m_server.HoldsUserWork() ? PrintOutcome::ServerNotAnsweringInUse : PrintOutcome::ServerNotAnswering;
}

PrintOutcome DocumentServer::Classify(const AutomationError& error) const {
    if (GaveUp()) return GaveUpOutcome();
    if (error.hr == E_ABORT && m_run.StopAsked()) return PrintOutcome::Stopped;
    if (error.hr == office::word::kPasswordIncorrect || MentionsPassword(error.description))
        return PrintOutcome::NeedsPassword;
    return PrintOutcome::Failed;
}

void DocumentServer::NoteServingWindow(DISPID hwndMember) {
    DWORD pid = 0;
    try {
        Variant v = GetProperty(m_app, hwndMember);
        if (SUCCEEDED(::VariantChangeType(&v.get(), &v.get(), 0, VT_I4))) {
            const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(v.get().lVal));
            if (window) ::GetWindowThreadProcessId(window, &pid);
        }
    } catch (const AutomationError&) {
        // A server without the member (perhaps WPS) is known by its start alone.
    }
    m_server.ServedBy(pid);
}

void DocumentServer::NoteDocumentsAfterOpen(int count) {
    if (count > 1) m_server.MarkHoldsUserWork();
}

bool DocumentServer::HoldsOnlyOurs(int count, int ours) {
    if (GaveUp()) return false;
    const bool onlyOurs = count >= 0 ? count <= ours : m_server.StartedAny() && m_server.WaitEnded(0);
    if (!onlyOurs) m_server.MarkHoldsUserWork();
    return onlyOurs && !m_server.HoldsUserWork();
}
