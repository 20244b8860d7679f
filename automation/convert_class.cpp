#include "automation/convert_class.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <set>
#include <vector>

#include "app/texts.h"
#include "automation/default_printer.h"
#include "automation/dispatch.h"
#include "automation/message_filter.h"
#include "automation/server_process.h"
#include "automation/watchdog.h"
#include "framework/framework.h"
#include "framework/scoped.h"

namespace {

// Members by DISPID; the servers answer these without a type library.
namespace word {
constexpr DISPID kVersion = 24;
constexpr DISPID kDocuments = 6;
constexpr DISPID kAutomationSecurity = 449;
constexpr DISPID kDisplayAlerts = 94;
constexpr DISPID kQuit = 1105;
constexpr DISPID kOpen = 19;
constexpr DISPID kPrintOut = 446;
constexpr DISPID kClose = 1105;
constexpr std::int32_t kAlertsNone = 0;          // WdAlertLevel wdAlertsNone
constexpr std::int32_t kDoNotSaveChanges = 0;    // WdSaveOptions wdDoNotSaveChanges
constexpr HRESULT kPasswordIncorrect = static_cast<HRESULT>(0x800A1520);  // Word error 5408
}  // namespace word

namespace excel {
constexpr DISPID kVersion = 392;
constexpr DISPID kVisible = 558;
constexpr DISPID kUserControl = 1210;
constexpr DISPID kWorkbooks = 572;
constexpr DISPID kAutomationSecurity = 1941;
constexpr DISPID kCalculation = 316;
constexpr DISPID kCalculateBeforeSave = 315;
constexpr DISPID kDisplayAlerts = 343;
constexpr DISPID kQuit = 302;
constexpr DISPID kOpen = 1923;
constexpr DISPID kClose = 277;
constexpr DISPID kPrintOut = 2361;
constexpr std::int32_t kCalculationManual = -4135;  // XlCalculation xlCalculationManual
constexpr std::int32_t kDoNotUpdateLinks = 0;
}  // namespace excel

namespace powerpoint {
constexpr DISPID kPresentations = 2001;
constexpr DISPID kAutomationSecurity = 2047;
constexpr DISPID kDisplayAlerts = 2049;
constexpr DISPID kQuit = 2021;
constexpr DISPID kOpen = 2005;
constexpr DISPID kPrintOptions = 2033;
constexpr DISPID kPrintInBackground = 2010;
constexpr DISPID kActivePrinter = 2015;
constexpr DISPID kPrintOut = 2034;
constexpr DISPID kClose = 2039;
constexpr std::int32_t kTrue = -1;  // the servers' tri-state true
constexpr std::int32_t kFalse = 0;
constexpr std::int32_t kAlertsNone = 1;  // PpAlertLevel ppAlertsNone
}  // namespace powerpoint

// MsoAutomationSecurity msoAutomationSecurityForceDisable: no macro of an opened file runs.
constexpr std::int32_t kForceDisableMacros = 3;

// How long a finished document's server may take to end on its own before it is ended.
constexpr DWORD kServerExitWaitMs = 5000;
// A class whose server was ended from outside can refuse the next activation for a moment.
constexpr int kStartAttempts = 3;
constexpr DWORD kStartRetryDelayMs = 1000;

// The argument values of Word and Excel: true and false as 16-bit integers, not VT_BOOL.
struct StandardValues {
    Variant yes = Variant::I2(1);
    Variant no = Variant::I2(0);
    Variant missing = Variant::Missing();
};

// A call the program can do without: a failure here is absorbed so that the rest still runs
// (clean-up, and settings that a server may not know, as WPS may not).
template <typename F>
void Attempt(F&& call) {
    try {
        call();
    } catch (const AutomationError&) {
    }
}

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

bool FileReadable(const std::wstring& path) {
    // Past MAX_PATH the system takes a full path only in its long form.
    std::wstring name = path;
    if (name.size() >= MAX_PATH && name.size() > 2 && name[1] == L':') name = L"\\\\?\\" + name;
    else if (name.size() >= MAX_PATH && name.starts_with(L"\\\\") && !name.starts_with(L"\\\\?\\"))
        name = L"\\\\?\\UNC\\" + name.substr(2);
    UniqueHandle file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool MentionsPassword(const std::wstring& text) {
    std::wstring lower = text;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    return lower.find(L"password") != std::wstring::npos || text.find(L"密码") != std::wstring::npos;
}

// Between the calls of a document: once a stop is asked for, the rest goes the failure way.
void ThrowIfStopped(const std::atomic<bool>* stop) {
    if (stop && stop->load()) throw AutomationError{E_ABORT, L"the run was stopped"};
}

}  // namespace

// What a run keeps from one document to the next.
struct ConvertClass::Run {
    explicit Run(const std::atomic<bool>* stop)
        : watchdog(WatchdogLimits::FromEnvironment(), stop), filter(watchdog.CancelFlag()), listener(&watchdog) {}

    ~Run() {
        // No server process of the run outlives it.
        const ULONGLONG end = ::GetTickCount64() + kServerExitWaitMs;
        for (StartedServer& server : finished) {
            const ULONGLONG now = ::GetTickCount64();
            if (!server.WaitEnded(now >= end ? 0 : static_cast<DWORD>(end - now))) server.End();
        }
    }

    // A finished document's server: kept until it is seen to end.
    void Retire(StartedServer&& server) {
        std::erase_if(finished, [](const StartedServer& s) { return s.WaitEnded(0); });
        if (server.StartedAny()) finished.push_back(std::move(server));
    }

    // The processes the run started that may still serve its next documents.
    std::vector<DWORD> OwnProcesses() const {
        std::vector<DWORD> ids;
        for (const StartedServer& s : finished)
            if (!s.WaitEnded(0))
                for (DWORD id : s.OwnIds()) ids.push_back(id);
        return ids;
    }

    Watchdog watchdog;
    ScopedBusyRetryFilter filter;  // cancels a call the watchdog gave up on
    ScopedCallListener listener;   // shows the watchdog every call of this thread
    std::set<std::wstring> unstartable;  // asked about once; not tried again in this run
    std::set<std::wstring> ended;        // a server of these was ended from outside
    std::vector<StartedServer> finished;
};

namespace {

// What every printer does before its document: the chosen printer made the default, the server
// of the suite started by ProgID and put under the watchdog, the person told (once a run) when
// it cannot start, and the Microsoft servers' version gate. On the way out of the document the
// server is let go and kept track of until it has ended.
class ServerForDocument {
public:
    ServerForDocument(ConvertClass::Run& run, DocumentKind kind, DISPID versionMember, const PrintOptions& options,
                      const StartFailureNotice& notice, const std::atomic<bool>* stop)
        : m_run(run), m_stop(stop) {
        const wchar_t* progId = ProgIdFor(kind, options.suite);
        if (!progId) return;
        m_progId = progId;
        if (run.unstartable.contains(m_progId)) {
            m_outcome = PrintOutcome::ServerCannotStart;
            return;
        }
        if (!PrinterAvailable(options.printer)) {
            m_outcome = PrintOutcome::PrinterUnavailable;
            return;
        }
        m_swap.emplace(options.printer);

        HRESULT hr = E_FAIL;
        const int attempts = run.ended.contains(m_progId) ? kStartAttempts : 1;
        for (int i = 0; i < attempts; ++i) {
            if (i > 0) ::Sleep(kStartRetryDelayMs);
            m_server.Before(m_progId, run.OwnProcesses());
            hr = CreateServer(m_progId, m_app);
            m_server.After();
            if (SUCCEEDED(hr)) break;
        }
        if (FAILED(hr)) {
            RestorePrinter();
            run.unstartable.insert(m_progId);
            if (notice) notice(ServerStartFailureText(kind, options.suite));
            m_outcome = PrintOutcome::ServerCannotStart;
            return;
        }
        run.watchdog.Watch(&m_server, options.printer);
        m_watched = true;
        m_outcome = options.suite == kSuiteMsOffice && versionMember ? VersionGate(m_app, versionMember)
                                                                      : PrintOutcome::Printed;
        if (m_outcome != PrintOutcome::Printed && GaveUp()) m_outcome = PrintOutcome::ServerNotAnswering;
    }

    ~ServerForDocument() {
        m_app.Release();
        if (m_watched) m_run.watchdog.Unwatch();
        if (GaveUp()) m_run.ended.insert(m_progId);
        m_run.Retire(std::move(m_server));
        // The swap restores the user's default last, if nothing did before.
    }

    ServerForDocument(const ServerForDocument&) = delete;
    ServerForDocument& operator=(const ServerForDocument&) = delete;

    // Printed while the document can go ahead; otherwise why it cannot.
    PrintOutcome outcome() const { return m_outcome; }
    DispatchRef& app() { return m_app; }
    void RestorePrinter() {
        if (m_swap) m_swap->Restore();
    }
    // The watchdog ended (or let go of) this server: nothing more is asked of it.
    bool GaveUp() const { return m_watched && m_run.watchdog.GaveUp(); }

    // Why a call of the document failed.
    PrintOutcome Classify(const AutomationError& error) const {
        if (GaveUp()) return PrintOutcome::ServerNotAnswering;
        if (error.hr == E_ABORT && m_stop && *m_stop) return PrintOutcome::Stopped;
        if (error.hr == word::kPasswordIncorrect || MentionsPassword(error.description)) return PrintOutcome::NeedsPassword;
        return PrintOutcome::Failed;
    }

    // A clean-up call, skipped once the server was given up on.
    template <typename F>
    void CleanUp(F&& call) {
        if (!GaveUp()) Attempt(std::forward<F>(call));
    }

private:
    ConvertClass::Run& m_run;
    const std::atomic<bool>* m_stop;
    std::wstring m_progId;
    PrintOutcome m_outcome = PrintOutcome::Failed;
    std::optional<DefaultPrinterSwap> m_swap;  // restored last, on every way out
    StartedServer m_server;
    DispatchRef m_app;
    bool m_watched = false;
};

PrintOutcome PrintWordDocument(ConvertClass::Run& run, const std::wstring& path, const PrintOptions& options,
                               const StartFailureNotice& notice, const std::atomic<bool>* stop) {
    ServerForDocument server(run, DocumentKind::Word, word::kVersion, options, notice, stop);
    if (server.outcome() != PrintOutcome::Printed) return server.outcome();
    DispatchRef& app = server.app();
    DispatchRef documents, document;

    StandardValues v;
    Variant file = Variant::String(path);
    Variant noPassword = Variant::String(kUnusedPassword);
    Variant copiesValue = Variant::I4(options.copies);
    Variant allPages = Variant::I4(0);
    Variant dontSave = Variant::I4(word::kDoNotSaveChanges);
    auto& m = v.missing;

    PrintOutcome outcome = PrintOutcome::Printed;
    try {
        ThrowIfStopped(stop);
        // No macro of the document runs, and no alert waits for a person.
        Attempt([&] { PutProperty(app, word::kAutomationSecurity, I4(kForceDisableMacros)); });
        Attempt([&] { PutProperty(app, word::kDisplayAlerts, I4(word::kAlertsNone)); });
        documents = GetObject(app, word::kDocuments);
        // FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, PasswordDocument,
        // PasswordTemplate, Revert, WritePasswordDocument, then 8 left to Word.
        document = CallForObject(documents, word::kOpen,
                                 {ByRef(file), ByRef(v.no), ByRef(v.yes), ByRef(v.no), ByRef(noPassword), ByRef(m),
                                  ByRef(m), ByRef(noPassword), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                                  ByRef(m), ByRef(m), ByRef(m)});
        ThrowIfStopped(stop);
        // Background, Append, Range, OutputFileName, From, To, Item, Copies, Pages, PageType,
        // PrintToFile, then 7 left to Word.
        CallMethod(document, word::kPrintOut,
                   {ByRef(v.no), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(copiesValue),
                    ByRef(m), ByRef(allPages), ByRef(v.no), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                    ByRef(m), ByRef(m)});
    } catch (const AutomationError& error) {
        outcome = server.Classify(error);
    }
    server.RestorePrinter();

    // Closed and told to quit on failure too, without saving: printing may have updated fields,
    // and a save question would wait for a person. With no document Close is skipped.
    server.CleanUp([&] { CallMethod(document, word::kClose, {ByRef(dontSave), ByRef(m), ByRef(m)}); });
    document.Release();
    documents.Release();
    server.CleanUp([&] { CallMethod(app, word::kQuit, {ByRef(dontSave), ByRef(m), ByRef(m)}); });
    return outcome;
}

PrintOutcome PrintExcelWorkbook(ConvertClass::Run& run, const std::wstring& path, const PrintOptions& options,
                                const StartFailureNotice& notice, const std::atomic<bool>* stop) {
    ServerForDocument server(run, DocumentKind::Excel, excel::kVersion, options, notice, stop);
    if (server.outcome() != PrintOutcome::Printed) return server.outcome();
    DispatchRef& app = server.app();
    DispatchRef workbooks, workbook;

    StandardValues v;
    Variant file = Variant::String(path);
    Variant noPassword = Variant::String(kUnusedPassword);
    Variant dontUpdateLinks = Variant::I2(excel::kDoNotUpdateLinks);
    Variant copiesValue = Variant::I4(options.copies);
    auto m = [&] { return ByValue(v.missing); };

    try {
        ThrowIfStopped(stop);
        // Out of sight and out of the user's hands before any workbook opens.
        PutProperty(app, excel::kVisible, Bool(false));
        PutProperty(app, excel::kUserControl, Bool(false));
        // No question (links, saving) waits for a person, and no macro of the workbook runs.
        Attempt([&] { PutProperty(app, excel::kDisplayAlerts, Bool(false)); });
        Attempt([&] { PutProperty(app, excel::kAutomationSecurity, I4(kForceDisableMacros)); });
        workbooks = GetObject(app, excel::kWorkbooks);
        // Filename, UpdateLinks, ReadOnly, Format, Password, WriteResPassword, then 9 left to Excel.
        workbook = CallForObject(workbooks, excel::kOpen,
                                 {String(file), ByValue(dontUpdateLinks), ByValue(v.yes), m(), ByValue(noPassword),
                                  ByValue(noPassword), m(), m(), m(), m(), m(), m(), m(), m(), m()});
        ThrowIfStopped(stop);
        // From, To, Copies, Preview, then 5 left to Excel.
        CallMethod(workbook, excel::kPrintOut,
                   {m(), m(), ByValue(copiesValue), ByValue(v.no), m(), m(), m(), m(), m()});
    } catch (const AutomationError& error) {
        // Excel is only let go, neither closed nor told to quit; the run ends its process if it
        // does not end by itself.
        server.RestorePrinter();
        workbooks.Release();
        workbook.Release();
        return server.Classify(error);
    }
    server.RestorePrinter();

    // No recalculation and no save prompt while the workbooks close.
    server.CleanUp([&] { PutProperty(app, excel::kCalculation, I4(excel::kCalculationManual)); });
    server.CleanUp([&] { PutProperty(app, excel::kCalculateBeforeSave, Bool(false)); });
    server.CleanUp([&] { CallMethod(workbooks, excel::kClose); });
    workbook.Release();
    workbooks.Release();
    server.CleanUp([&] { CallMethod(app, excel::kQuit); });
    return PrintOutcome::Printed;
}

PrintOutcome PrintPresentation(ConvertClass::Run& run, const std::wstring& path, const PrintOptions& options,
                               const StartFailureNotice& notice, const std::atomic<bool>* stop) {
    ServerForDocument server(run, DocumentKind::PowerPoint, 0, options, notice, stop);
    if (server.outcome() != PrintOutcome::Printed) return server.outcome();
    DispatchRef& app = server.app();
    DispatchRef presentations, presentation, printOptions;
    const std::int32_t suite = options.suite;

    Variant file = Variant::String(path);
    Variant noFile = Variant::String(L"");
    Variant printer = Variant::String(options.printer);
    // WPS opens read-only, untitled, with a window; PowerPoint writable, named, without one.
    const std::int32_t openFlag = suite == kSuiteWps ? powerpoint::kTrue : powerpoint::kFalse;

    PrintOutcome outcome = PrintOutcome::Printed;
    try {
        ThrowIfStopped(stop);
        Attempt([&] { PutProperty(app, powerpoint::kAutomationSecurity, I4(kForceDisableMacros)); });
        Attempt([&] { PutProperty(app, powerpoint::kDisplayAlerts, I4(powerpoint::kAlertsNone)); });
        presentations = GetObject(app, powerpoint::kPresentations);
        // FileName, ReadOnly, Untitled, WithWindow.
        presentation = CallForObject(presentations, powerpoint::kOpen,
                                     {String(file), I4(openFlag), I4(openFlag), I4(openFlag)});
        ThrowIfStopped(stop);
        // A PowerPoint that was already running keeps the printer it found at its start, and
        // by default PrintOut returns while the job still spools, which Close would cancel: the
        // presentation is told its printer and to print in the foreground.
        Attempt([&] {
            printOptions = GetObject(presentation, powerpoint::kPrintOptions);
            Attempt([&] { PutProperty(printOptions, powerpoint::kPrintInBackground, I4(powerpoint::kFalse)); });
            Attempt([&] { PutProperty(printOptions, powerpoint::kActivePrinter, String(printer)); });
        });
        // From, To (the whole presentation), PrintToFile (not to a file), Copies, Collate.
        CallMethod(presentation, powerpoint::kPrintOut,
                   {I4(-1), I4(-1), String(noFile), I4(options.copies), I4(powerpoint::kTrue)});
    } catch (const AutomationError& error) {
        outcome = server.Classify(error);
    }
    server.RestorePrinter();
    printOptions.Release();
    if (outcome != PrintOutcome::Printed) {
        presentations.Release();
        presentation.Release();
        return outcome;
    }

    server.CleanUp([&] { CallMethod(presentation, powerpoint::kClose); });
    presentation.Release();
    presentations.Release();
    // PowerPoint itself is only let go (it may be serving the user too); WPS is told to quit.
    if (suite == kSuiteWps) server.CleanUp([&] { CallMethod(app, powerpoint::kQuit); });
    return PrintOutcome::Printed;
}

// No exception leaves a printer: the worker calls them without a guard of its own.
template <typename F>
PrintOutcome Guarded(F&& print) noexcept {
    try {
        return print();
    } catch (...) {
        return PrintOutcome::Failed;
    }
}

}  // namespace

const wchar_t* OutcomeReason(PrintOutcome outcome) {
    switch (outcome) {
    case PrintOutcome::Printed: return L"";
    case PrintOutcome::NotADocument: return texts::kReasonNotADocument;
    case PrintOutcome::FileUnreadable: return texts::kReasonFileUnreadable;
    case PrintOutcome::PrinterUnavailable: return texts::kReasonPrinterUnavailable;
    case PrintOutcome::ServerCannotStart: return texts::kReasonServerCannotStart;
    case PrintOutcome::VersionTooOld: return texts::kReasonVersionTooOld;
    case PrintOutcome::NeedsPassword: return texts::kReasonNeedsPassword;
    case PrintOutcome::ServerNotAnswering: return texts::kReasonServerNotAnswering;
    case PrintOutcome::Stopped: return texts::kReasonStopped;
    case PrintOutcome::Failed: return texts::kReasonFailed;
    }
    return texts::kReasonFailed;
}

const wchar_t* ProgIdFor(DocumentKind kind, std::int32_t suite) {
    if (suite != kSuiteMsOffice && suite != kSuiteWps) return nullptr;
    const bool ms = suite == kSuiteMsOffice;
    switch (kind) {
    case DocumentKind::Word: return ms ? L"Word.Application" : L"kWps.Application";
    case DocumentKind::Excel: return ms ? L"Excel.Application" : L"ket.Application";
    case DocumentKind::PowerPoint: return ms ? L"PowerPoint.Application" : L"kwpp.Application";
    }
    return nullptr;
}

const wchar_t* ServerStartFailureText(DocumentKind kind, std::int32_t suite) {
    const bool ms = suite == kSuiteMsOffice;
    switch (kind) {
    case DocumentKind::Word: return ms ? texts::kCannotStartMsWord : texts::kCannotStartWpsWord;
    case DocumentKind::Excel: return ms ? texts::kCannotStartMsExcel : texts::kCannotStartWpsExcel;
    case DocumentKind::PowerPoint: return ms ? texts::kCannotStartMsPpt : texts::kCannotStartWpsPpt;
    }
    return L"";
}

long MajorVersion(const std::wstring& version) { return std::wcstol(version.c_str(), nullptr, 10); }

bool PassesVersionGate(const std::wstring& version) { return MajorVersion(version) >= 12; }

void ShowStartFailureBox(const wchar_t* text) {
    ::MessageBoxW(AfxGetMainWnd(), text, AfxGetAppName(), MB_OK | MB_ICONWARNING);
}

ConvertClass::ConvertClass(PrintOptions options, StartFailureNotice notice, const std::atomic<bool>* stop)
    : m_options(std::move(options)), m_notice(std::move(notice)), m_stop(stop), m_run(std::make_unique<Run>(stop)) {}

ConvertClass::~ConvertClass() = default;

PrintOutcome ConvertClass::Print(DocumentKind kind, const std::wstring& path) {
    // A document that cannot be read is refused before any server is started for it.
    if (!FileReadable(path)) return PrintOutcome::FileUnreadable;
    return Guarded([&] {
        switch (kind) {
        case DocumentKind::Word: return PrintWordDocument(*m_run, path, m_options, m_notice, m_stop);
        case DocumentKind::Excel: return PrintExcelWorkbook(*m_run, path, m_options, m_notice, m_stop);
        case DocumentKind::PowerPoint: return PrintPresentation(*m_run, path, m_options, m_notice, m_stop);
        }
        return PrintOutcome::Failed;
    });
}

bool ConvertClass::PrintWord(const std::wstring& path) { return Print(DocumentKind::Word, path) == PrintOutcome::Printed; }

bool ConvertClass::PrintExcel(const std::wstring& path) {
    return Print(DocumentKind::Excel, path) == PrintOutcome::Printed;
}

bool ConvertClass::PrintPowerPoint(const std::wstring& path) {
    return Print(DocumentKind::PowerPoint, path) == PrintOutcome::Printed;
}
