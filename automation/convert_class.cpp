#include "automation/convert_class.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "app/texts.h"
#include "automation/default_printer.h"
#include "automation/dispatch.h"
#include "automation/message_filter.h"
#include "automation/server_process.h"
#include "automation/watchdog.h"
#include "doclist/document_kind.h"
#include "framework/framework.h"
#include "framework/scoped.h"
#include "framework/text.h"

namespace {

// Members by DISPID; the servers answer these without a type library. Sources: the published
// type libraries of Office 2007 and 2010 (Word, Excel and PowerPoint MFC and Delphi wrappers).
namespace word {
constexpr DISPID kVersion = 24;
constexpr DISPID kDocuments = 6;
constexpr DISPID kCount = 2;  // Documents.Count
constexpr DISPID kAutomationSecurity = 449;
constexpr DISPID kDisplayAlerts = 94;
constexpr DISPID kOpen = 19;
constexpr DISPID kPrintOut = 446;
// Document.Close and Application.Quit share one DISPID on their two interfaces.
constexpr DISPID kClose = 1105;
constexpr DISPID kQuit = 1105;
constexpr std::int32_t kAlertsNone = 0;          // WdAlertLevel wdAlertsNone
constexpr std::int32_t kDoNotSaveChanges = 0;    // WdSaveOptions wdDoNotSaveChanges
constexpr HRESULT kPasswordIncorrect = static_cast<HRESULT>(0x800A1520);  // Word error 5408
}  // namespace word

namespace excel {
constexpr DISPID kVersion = 392;
constexpr DISPID kHwnd = 1950;  // Application.Hwnd (0x79e): the application's main window
constexpr DISPID kVisible = 558;
constexpr DISPID kUserControl = 1210;
constexpr DISPID kWorkbooks = 572;
constexpr DISPID kCount = 118;  // Workbooks.Count (0x76)
constexpr DISPID kAutomationSecurity = 1941;
constexpr DISPID kCalculation = 316;
constexpr DISPID kCalculateBeforeSave = 315;
constexpr DISPID kDisplayAlerts = 343;
constexpr DISPID kQuit = 302;
constexpr DISPID kOpen = 1923;
// Workbooks.Close closes every workbook of the server; Workbook.Close (same DISPID) that one.
constexpr DISPID kClose = 277;
constexpr DISPID kPrintOut = 2361;
constexpr std::int32_t kCalculationManual = -4135;  // XlCalculation xlCalculationManual
constexpr std::int32_t kDoNotUpdateLinks = 0;
}  // namespace excel

namespace powerpoint {
constexpr DISPID kHwnd = 2031;  // Application.HWND (0x7ef): the application's main window
constexpr DISPID kPresentations = 2001;
constexpr DISPID kCount = 11;  // Presentations.Count (0xb)
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
    UniqueHandle file(::CreateFileW(doclist::LongPathForm(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool MentionsPassword(const std::wstring& description) {
    return text::ContainsNoCase(description, L"password") || description.find(L"密码") != std::wstring::npos;
}

// Between the calls of a document: once a stop is asked for, the rest goes the failure way.
void ThrowIfStopped(const std::atomic<bool>* stop) {
    if (stop && stop->load()) throw AutomationError{E_ABORT, L"the run was stopped"};
}

// How many documents a server's collection holds; -1 when it cannot say (a server that died).
int DocumentCount(const DispatchRef& collection, DISPID countMember) {
    try {
        Variant v = GetProperty(collection, countMember);
        if (FAILED(::VariantChangeType(&v.get(), &v.get(), 0, VT_I4))) return -1;
        return v.get().lVal;
    } catch (const AutomationError&) {
        return -1;
    }
}

// The process behind an application's main window, from its Hwnd member; 0 when the server
// has no such member (Word, perhaps WPS).
DWORD ServingProcess(const DispatchRef& app, DISPID hwndMember) {
    try {
        Variant v = GetProperty(app, hwndMember);
        if (FAILED(::VariantChangeType(&v.get(), &v.get(), 0, VT_I4))) return 0;
        DWORD pid = 0;
        const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(v.get().lVal));
        if (window && ::GetWindowThreadProcessId(window, &pid)) return pid;
    } catch (const AutomationError&) {
    }
    return 0;
}

}  // namespace

// What a run keeps from one document to the next.
struct ConvertClass::Run {
    explicit Run(const std::atomic<bool>* stop)
        : watchdog(WatchdogLimits::FromEnvironment(), stop), filter(watchdog.CancelFlag()), listener(&watchdog) {}

    ~Run() {
        // No server process of the run outlives it, unless it may hold the user's work: it was
        // seen to hold a document the run did not open, or it shows a window after the run let
        // go of it (a document the user opened there since).
        const ULONGLONG end = ::GetTickCount64() + kServerExitWaitMs;
        for (StartedServer& server : finished) {
            const ULONGLONG now = ::GetTickCount64();
            if (server.WaitEnded(now >= end ? 0 : static_cast<DWORD>(end - now))) continue;
            if (server.HoldsUserWork() || !server.OwnVisibleWindows().empty()) continue;
            server.End();
        }
    }

    // A finished document's server: kept until it is seen to end.
    void Retire(StartedServer&& server) {
        std::erase_if(finished, [](const StartedServer& s) { return s.WaitEnded(0); });
        if (server.StartedAny()) finished.push_back(std::move(server));
    }

    // The processes the run started that may still serve its next documents, and those of
    // them that hold the user's work.
    std::vector<DWORD> StartedIds(bool userHeldOnly = false) const {
        std::vector<DWORD> ids;
        for (const StartedServer& s : finished)
            if (!s.WaitEnded(0) && (!userHeldOnly || s.HoldsUserWork()))
                for (DWORD id : s.OwnIds()) ids.push_back(id);
        return ids;
    }

    Watchdog watchdog;
    ScopedBusyRetryFilter filter;  // cancels a call the watchdog gave up on
    ScopedCallListener listener;   // shows the watchdog every call of this thread
    std::map<std::wstring, PrintOutcome> unstartable;  // asked about once; not tried again in this run
    std::set<std::wstring> ended;        // a server of these was ended from outside
    std::vector<StartedServer> finished;
};

namespace {

// What every printer does before its document: the chosen printer made the default, the server
// of the suite started by ProgID under the watchdog's eye, the person told (once a run) when it
// cannot start, and the Microsoft servers' version gate. On the way out of the document the
// server is let go and kept track of until it has ended.
class ServerForDocument {
public:
    ServerForDocument(ConvertClass::Run& run, DocumentKind kind, DISPID versionMember, const PrintOptions& options,
                      const StartFailureNotice& notice, const std::atomic<bool>* stop)
        : m_run(run), m_stop(stop) {
        const wchar_t* progId = ProgIdFor(kind, options.suite);
        if (!progId) return;
        m_progId = progId;
        if (const auto known = run.unstartable.find(m_progId); known != run.unstartable.end()) {
            m_outcome = known->second;
            return;
        }
        if (!PrinterAvailable(options.printer)) {
            m_outcome = PrintOutcome::PrinterUnavailable;
            return;
        }
        m_swap.emplace(options.printer);

        // The start is watched like a call: a licence or activation window that waits for a
        // person would hold the activation for minutes.
        run.watchdog.Watch(&m_server, options.printer);
        m_watched = true;
        HRESULT hr = E_FAIL;
        const int attempts = run.ended.contains(m_progId) ? kStartAttempts : 1;
        for (int i = 0; i < attempts && !GaveUp(); ++i) {
            if (i > 0) ::Sleep(kStartRetryDelayMs);
            m_server.Before(m_progId, run.StartedIds(), run.StartedIds(true));
            run.watchdog.CallStarted();
            hr = CreateServer(m_progId, m_app);
            run.watchdog.CallEnded();
            m_server.After();
            if (SUCCEEDED(hr) && GaveUp()) hr = E_ABORT;
            if (SUCCEEDED(hr)) break;
        }
        if (FAILED(hr)) {
            const bool stuck = GaveUp();
            m_app.Release();
            RestorePrinter();
            m_outcome = stuck ? PrintOutcome::ServerStuckAtStart : PrintOutcome::ServerCannotStart;
            run.unstartable.emplace(m_progId, m_outcome);
            if (notice) notice(ServerStartFailureText(kind, options.suite, stuck).c_str());
            return;
        }
        m_outcome = options.suite == kSuiteMsOffice && versionMember ? VersionGate(m_app, versionMember)
                                                                      : PrintOutcome::Printed;
        if (m_outcome != PrintOutcome::Printed && GaveUp()) m_outcome = GaveUpOutcome();
    }

    ~ServerForDocument() {
        m_app.Release();
        if (m_watched) m_run.watchdog.Unwatch();
        if (GaveUp() && !m_server.HoldsUserWork()) m_run.ended.insert(m_progId);
        m_run.Retire(std::move(m_server));
        // The swap restores the user's default last, if nothing did before.
    }

    ServerForDocument(const ServerForDocument&) = delete;
    ServerForDocument& operator=(const ServerForDocument&) = delete;

    // Printed while the document can go ahead; otherwise why it cannot.
    PrintOutcome outcome() const { return m_outcome; }
    DispatchRef& app() { return m_app; }
    StartedServer& processes() { return m_server; }
    void RestorePrinter() {
        if (m_swap) m_swap->Restore();
    }
    // The watchdog gave up on this server: nothing more is asked of it.
    bool GaveUp() const { return m_watched && m_run.watchdog.GaveUp(); }

    // Why a call of the document failed.
    PrintOutcome Classify(const AutomationError& error) const {
        if (GaveUp()) return GaveUpOutcome();
        if (error.hr == E_ABORT && m_stop && *m_stop) return PrintOutcome::Stopped;
        if (error.hr == word::kPasswordIncorrect || MentionsPassword(error.description)) return PrintOutcome::NeedsPassword;
        return PrintOutcome::Failed;
    }

    // A clean-up call, skipped once the server was given up on.
    template <typename F>
    void CleanUp(F&& call) {
        if (!GaveUp()) Attempt(std::forward<F>(call));
    }

    // After the run's own document was opened: a server that holds more than it has the
    // user's work in it too, and is never ended from here on.
    void NoteDocumentsAfterOpen(int count) {
        if (count > 1) m_server.MarkHoldsUserWork();
    }

    // Whether the server, holding `count` documents of which `ours` are the run's, may have
    // all its documents closed or be told to quit. A count that cannot be read says nothing
    // of the user's only when the server was the run's own and is gone.
    bool HoldsOnlyOurs(int count, int ours) {
        if (GaveUp()) return false;
        const bool onlyOurs = count >= 0 ? count <= ours : m_server.StartedAny() && m_server.WaitEnded(0);
        if (!onlyOurs) m_server.MarkHoldsUserWork();
        return onlyOurs && !m_server.HoldsUserWork();
    }

private:
    PrintOutcome GaveUpOutcome() const {
        return m_server.HoldsUserWork() ? PrintOutcome::ServerNotAnsweringInUse : PrintOutcome::ServerNotAnswering;
    }

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
        // PasswordTemplate, Revert, WritePasswordDocument, WritePasswordTemplate, Format,
        // Encoding, Visible, OpenAndRepair, DocumentDirection, NoEncodingDialog (a text file
        // named .doc would ask for its encoding), XMLTransform.
        document = CallForObject(documents, word::kOpen,
                                 {ByRef(file), ByRef(v.no), ByRef(v.yes), ByRef(v.no), ByRef(noPassword), ByRef(m),
                                  ByRef(m), ByRef(noPassword), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                                  ByRef(m), ByRef(v.yes), ByRef(m)});
        server.NoteDocumentsAfterOpen(DocumentCount(documents, word::kCount));
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

    // The run's document is closed without saving, on failure too: printing may have updated
    // fields, and a save question would wait for a person. Word is told to quit only when it
    // holds nothing else: a document the user opened may have landed in this Word.
    server.CleanUp([&] { CallMethod(document, word::kClose, {ByRef(dontSave), ByRef(m), ByRef(m)}); });
    document.Release();
    const bool quit = !server.GaveUp() && server.HoldsOnlyOurs(DocumentCount(documents, word::kCount), 0);
    documents.Release();
    if (quit) server.CleanUp([&] { CallMethod(app, word::kQuit, {ByRef(dontSave), ByRef(m), ByRef(m)}); });
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
        server.processes().ServedBy(ServingProcess(app, excel::kHwnd));
        // Out of sight and out of the user's hands before any workbook opens.
        PutProperty(app, excel::kVisible, Bool(false));
        PutProperty(app, excel::kUserControl, Bool(false));
        // No question (links, saving) waits for a person, and no macro of the workbook runs.
        Attempt([&] { PutProperty(app, excel::kDisplayAlerts, Bool(false)); });
        Attempt([&] { PutProperty(app, excel::kAutomationSecurity, I4(kForceDisableMacros)); });
        workbooks = GetObject(app, excel::kWorkbooks);
        // Filename, UpdateLinks, ReadOnly, Format, Password, WriteResPassword,
        // IgnoreReadOnlyRecommended, Origin, Delimiter, Editable, Notify (no "file in use"
        // question), Converter, AddToMru, Local, CorruptLoad.
        workbook = CallForObject(workbooks, excel::kOpen,
                                 {String(file), ByValue(dontUpdateLinks), ByValue(v.yes), m(), ByValue(noPassword),
                                  ByValue(noPassword), ByValue(v.yes), m(), m(), m(), ByValue(v.no), m(), m(), m(), m()});
        server.NoteDocumentsAfterOpen(DocumentCount(workbooks, excel::kCount));
        ThrowIfStopped(stop);
        // From, To, Copies, Preview, then 5 left to Excel.
        CallMethod(workbook, excel::kPrintOut,
                   {m(), m(), ByValue(copiesValue), ByValue(v.no), m(), m(), m(), m(), m()});
    } catch (const AutomationError& error) {
        // Excel is only let go, neither closed nor told to quit; the run ends its process if it
        // does not end by itself and holds nothing of the user's.
        server.RestorePrinter();
        workbooks.Release();
        workbook.Release();
        return server.Classify(error);
    }
    server.RestorePrinter();

    // No recalculation and no save prompt while the workbook closes.
    server.CleanUp([&] { PutProperty(app, excel::kCalculation, I4(excel::kCalculationManual)); });
    server.CleanUp([&] { PutProperty(app, excel::kCalculateBeforeSave, Bool(false)); });
    // Workbooks.Close closes every workbook of this Excel, a user's too: only when the run's is
    // the only one. Otherwise the run's own closes alone, unsaved, and Excel stays.
    if (server.HoldsOnlyOurs(DocumentCount(workbooks, excel::kCount), 1)) {
        server.CleanUp([&] { CallMethod(workbooks, excel::kClose); });
        workbook.Release();
        workbooks.Release();
        server.CleanUp([&] { CallMethod(app, excel::kQuit); });
    } else {
        server.CleanUp([&] { CallMethod(workbook, excel::kClose, {ByValue(v.no)}); });
    }
    return PrintOutcome::Printed;
}

// PowerPoint's Open takes no password; published converters append one to the file name as
// "name::password::". A protected presentation then fails at once instead of asking.
std::wstring WithUnusedPassword(const std::wstring& path) { return path + L"::" + kUnusedPassword + L"::"; }

PrintOutcome PrintPresentation(ConvertClass::Run& run, const std::wstring& path, const PrintOptions& options,
                               const StartFailureNotice& notice, const std::atomic<bool>* stop) {
    ServerForDocument server(run, DocumentKind::PowerPoint, 0, options, notice, stop);
    if (server.outcome() != PrintOutcome::Printed) return server.outcome();
    DispatchRef& app = server.app();
    DispatchRef presentations, presentation, printOptions;
    const std::int32_t suite = options.suite;

    Variant file = Variant::String(path);
    Variant protectedFile = Variant::String(WithUnusedPassword(path));
    Variant noFile = Variant::String(L"");
    Variant printer = Variant::String(options.printer);
    // WPS opens read-only, untitled, with a window; PowerPoint writable, named, without one.
    const std::int32_t openFlag = suite == kSuiteWps ? powerpoint::kTrue : powerpoint::kFalse;
    auto open = [&](const Variant& name) {
        // FileName, ReadOnly, Untitled, WithWindow.
        return CallForObject(presentations, powerpoint::kOpen, {String(name), I4(openFlag), I4(openFlag), I4(openFlag)});
    };

    PrintOutcome outcome = PrintOutcome::Printed;
    try {
        ThrowIfStopped(stop);
        // One PowerPoint serves every client: the process behind its window may be the user's.
        server.processes().ServedBy(ServingProcess(app, powerpoint::kHwnd));
        Attempt([&] { PutProperty(app, powerpoint::kAutomationSecurity, I4(kForceDisableMacros)); });
        Attempt([&] { PutProperty(app, powerpoint::kDisplayAlerts, I4(powerpoint::kAlertsNone)); });
        presentations = GetObject(app, powerpoint::kPresentations);
        if (suite == kSuiteMsOffice) {
            // The password form is Microsoft PowerPoint's; where it fails for another reason
            // than the password, the plain name is tried.
            try {
                presentation = open(protectedFile);
            } catch (const AutomationError& error) {
                if (server.Classify(error) != PrintOutcome::Failed) throw;
                presentation = open(file);
            }
        } else {
            presentation = open(file);
        }
        server.NoteDocumentsAfterOpen(DocumentCount(presentations, powerpoint::kCount));
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
    // PowerPoint itself is only let go (it may be serving the user too); WPS is told to quit
    // when it holds nothing else.
    const bool onlyOurs = server.HoldsOnlyOurs(DocumentCount(presentations, powerpoint::kCount), 0);
    presentations.Release();
    if (suite == kSuiteWps && onlyOurs) server.CleanUp([&] { CallMethod(app, powerpoint::kQuit); });
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
    case PrintOutcome::ServerNotAnsweringInUse: return texts::kReasonServerNotAnsweringInUse;
    case PrintOutcome::ServerStuckAtStart: return texts::kReasonServerStuckAtStart;
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

std::wstring ServerStartFailureText(DocumentKind kind, std::int32_t suite, bool stuckAtStart) {
    const bool ms = suite == kSuiteMsOffice;
    std::wstring text;
    switch (kind) {
    case DocumentKind::Word: text = ms ? texts::kCannotStartMsWord : texts::kCannotStartWpsWord; break;
    case DocumentKind::Excel: text = ms ? texts::kCannotStartMsExcel : texts::kCannotStartWpsExcel; break;
    case DocumentKind::PowerPoint: text = ms ? texts::kCannotStartMsPpt : texts::kCannotStartWpsPpt; break;
    }
    if (stuckAtStart) text += std::wstring(L"\n") + texts::kReasonServerStuckAtStart;
    return text;
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
