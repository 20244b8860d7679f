#include "automation/convert_class.h"


#include <cwchar>
#include <optional>

#include "app/texts.h"
#include "automation/default_printer.h"
#include "automation/dispatch.h"
#include "framework/framework.h"

namespace {

// Members by DISPID; the servers answer these without a type library.
namespace word {
constexpr DISPID kVersion = 24;
constexpr DISPID kDocuments = 6;
constexpr DISPID kQuit = 1105;
constexpr DISPID kOpen = 19;
constexpr DISPID kPrintOut = 446;
constexpr DISPID kClose = 1105;
}  // namespace word

namespace excel {
constexpr DISPID kVersion = 392;
constexpr DISPID kVisible = 558;
constexpr DISPID kUserControl = 1210;
constexpr DISPID kWorkbooks = 572;
constexpr DISPID kCalculation = 316;
constexpr DISPID kCalculateBeforeSave = 315;
constexpr DISPID kDisplayAlerts = 343;
constexpr DISPID kQuit = 302;
constexpr DISPID kOpen = 1923;
constexpr DISPID kClose = 277;
constexpr DISPID kPrintOut = 2361;
}  // namespace excel

namespace powerpoint {
constexpr DISPID kPresentations = 2001;
constexpr DISPID kQuit = 2021;
constexpr DISPID kOpen = 2005;
constexpr DISPID kPrintOut = 2034;
constexpr DISPID kClose = 2039;
constexpr std::int32_t kTrue = -1;  // the servers' tri-state true
constexpr std::int32_t kFalse = 0;
}  // namespace powerpoint

// The argument values of Word and Excel: true and false as 16-bit integers, not VT_BOOL.
struct StandardValues {
    Variant yes = Variant::I2(1);
    Variant no = Variant::I2(0);
    Variant missing = Variant::Missing();
};

// Clean-up after the guarded part: a failure here is absorbed so that the rest still runs.
template <typename F>
void Attempt(F&& call) {
    try {
        call();
    } catch (const AutomationError&) {
    }
}

// The version gate of the Microsoft servers; a Version that cannot be read does not pass.
bool VersionAccepted(const DispatchRef& app, DISPID versionMember) {
    try {
        return PassesVersionGate(GetText(app, versionMember));
    } catch (const AutomationError&) {
        return false;
    }
}

// What every printer does before its document: the chosen printer made the default (when the
// kind prints on the default), the server of the suite started by ProgID, the person told
// when it cannot start, and the Microsoft servers' version gate.
class ServerForDocument {
public:
    struct Kind {
        DocumentKind kind;
        bool swapsPrinter;
        DISPID versionMember;  // 0: no gate
    };

    ServerForDocument(const Kind& k, const PrintOptions& options, const StartFailureNotice& notice) {
        if (k.swapsPrinter) m_swap.emplace(options.printer);
        const wchar_t* progId = ProgIdFor(k.kind, options.suite);
        if (!progId) return;
        if (FAILED(CreateServer(progId, m_app))) {
            RestorePrinter();
            if (notice) notice(ServerStartFailureText(k.kind, options.suite));
            return;
        }
        if (options.suite == kSuiteMsOffice && k.versionMember && !VersionAccepted(m_app, k.versionMember)) return;
        m_ready = true;
    }

    bool ready() const { return m_ready; }
    DispatchRef& app() { return m_app; }
    void RestorePrinter() {
        if (m_swap) m_swap->Restore();
    }

private:
    std::optional<DefaultPrinterSwap> m_swap;  // restored last, on every way out
    DispatchRef m_app;
    bool m_ready = false;
};

// Between the calls of a document: once a stop is asked for, the rest goes the failure way.
void ThrowIfStopped(const std::atomic<bool>* stop) {
    if (stop && stop->load()) throw AutomationError{E_ABORT, L"the run was stopped"};
}

bool PrintWordDocument(const std::wstring& path, const PrintOptions& options, const StartFailureNotice& notice,
                       const std::atomic<bool>* stop) {
    ServerForDocument server({DocumentKind::Word, true, word::kVersion}, options, notice);
    if (!server.ready()) return false;
    DispatchRef& app = server.app();
    DispatchRef documents, document;

    StandardValues v;
    Variant file = Variant::String(path);
    Variant copiesValue = Variant::I4(options.copies);
    Variant allPages = Variant::I4(0);
    auto& m = v.missing;

    bool printed = false;
    try {
        ThrowIfStopped(stop);
        documents = GetObject(app, word::kDocuments);
        // FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, then 12 left to Word.
        document = CallForObject(documents, word::kOpen,
                                 {ByRef(file), ByRef(v.no), ByRef(v.yes), ByRef(v.no), ByRef(m), ByRef(m), ByRef(m),
                                  ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                                  ByRef(m)});
        ThrowIfStopped(stop);
        // Background, Append, Range, OutputFileName, From, To, Item, Copies, Pages, PageType,
        // PrintToFile, then 7 left to Word.
        CallMethod(document, word::kPrintOut,
                   {ByRef(v.no), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(copiesValue),
                    ByRef(m), ByRef(allPages), ByRef(v.no), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                    ByRef(m), ByRef(m)});
        printed = true;
    } catch (const AutomationError&) {
    }
    server.RestorePrinter();

    // Word is closed and told to quit on failure too; with no document Close is skipped.
    Attempt([&] { CallMethod(document, word::kClose, {ByRef(m), ByRef(m), ByRef(m)}); });
    document.Release();
    documents.Release();
    Attempt([&] { CallMethod(app, word::kQuit, {ByRef(m), ByRef(m), ByRef(m)}); });
    app.Release();
    return printed;
}

bool PrintExcelWorkbook(const std::wstring& path, const PrintOptions& options, const StartFailureNotice& notice,
                        const std::atomic<bool>* stop) {
    ServerForDocument server({DocumentKind::Excel, true, excel::kVersion}, options, notice);
    if (!server.ready()) return false;
    DispatchRef& app = server.app();
    DispatchRef workbooks, workbook;

    StandardValues v;
    Variant file = Variant::String(path);
    Variant copiesValue = Variant::I4(options.copies);
    auto m = [&] { return ByValue(v.missing); };

    try {
        ThrowIfStopped(stop);
        // Out of sight and out of the user's hands before any workbook opens.
        PutProperty(app, excel::kVisible, Bool(false));
        PutProperty(app, excel::kUserControl, Bool(false));
        workbooks = GetObject(app, excel::kWorkbooks);
        // Filename, UpdateLinks, ReadOnly, then 12 left to Excel.
        workbook = CallForObject(workbooks, excel::kOpen,
                                 {String(file), m(), ByValue(v.yes), m(), m(), m(), m(), m(), m(), m(), m(), m(),
                                  m(), m(), m()});
        ThrowIfStopped(stop);
        // From, To, Copies, Preview, then 5 left to Excel.
        CallMethod(workbook, excel::kPrintOut,
                   {m(), m(), ByValue(copiesValue), ByValue(v.no), m(), m(), m(), m(), m()});
    } catch (const AutomationError&) {
        // Excel is only let go, neither closed nor told to quit.
        server.RestorePrinter();
        workbooks.Release();
        workbook.Release();
        app.Release();
        return false;
    }
    server.RestorePrinter();

    // No recalculation and no save prompt while the workbooks close.
    Attempt([&] { PutProperty(app, excel::kCalculation, I4(0)); });
    Attempt([&] { PutProperty(app, excel::kCalculateBeforeSave, Bool(false)); });
    Attempt([&] { PutProperty(app, excel::kDisplayAlerts, Bool(false)); });
    Attempt([&] { CallMethod(workbooks, excel::kClose); });
    workbook.Release();
    workbooks.Release();
    Attempt([&] { CallMethod(app, excel::kQuit); });
    app.Release();
    return true;
}

bool PrintPresentation(const std::wstring& path, const PrintOptions& options, const StartFailureNotice& notice,
                       const std::atomic<bool>* stop) {
    // Presentations print on whatever printer is the default: the printer setting is not used.
    ServerForDocument server({DocumentKind::PowerPoint, false, 0}, options, notice);
    if (!server.ready()) return false;
    DispatchRef& app = server.app();
    DispatchRef presentations, presentation;
    const std::int32_t suite = options.suite;

    Variant file = Variant::String(path);
    Variant noFile = Variant::String(L"");
    // WPS opens read-only, untitled, with a window; PowerPoint writable, named, without one.
    const std::int32_t openFlag = suite == kSuiteWps ? powerpoint::kTrue : powerpoint::kFalse;

    try {
        ThrowIfStopped(stop);
        presentations = GetObject(app, powerpoint::kPresentations);
        // FileName, ReadOnly, Untitled, WithWindow.
        presentation = CallForObject(presentations, powerpoint::kOpen,
                                     {String(file), I4(openFlag), I4(openFlag), I4(openFlag)});
        ThrowIfStopped(stop);
        // From, To (the whole presentation), PrintToFile (not to a file), Copies, Collate.
        CallMethod(presentation, powerpoint::kPrintOut,
                   {I4(-1), I4(-1), String(noFile), I4(options.copies), I4(powerpoint::kTrue)});
    } catch (const AutomationError&) {
        presentations.Release();
        presentation.Release();
        app.Release();
        return false;
    }

    Attempt([&] { CallMethod(presentation, powerpoint::kClose); });
    presentation.Release();
    presentations.Release();
    // PowerPoint itself is only let go; WPS is told to quit.
    if (suite == kSuiteWps) Attempt([&] { CallMethod(app, powerpoint::kQuit); });
    app.Release();
    return true;
}

// No exception leaves a printer: the worker calls them without a guard of its own.
template <typename F>
bool Guarded(F&& print) noexcept {
    try {
        return print();
    } catch (...) {
        return false;
    }
}

}  // namespace

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
    : m_options(std::move(options)), m_notice(std::move(notice)), m_stop(stop) {}

bool ConvertClass::Print(DocumentKind kind, const std::wstring& path) {
    switch (kind) {
    case DocumentKind::Word: return PrintWord(path);
    case DocumentKind::Excel: return PrintExcel(path);
    case DocumentKind::PowerPoint: return PrintPowerPoint(path);
    }
    return false;
}

bool ConvertClass::PrintWord(const std::wstring& path) {
    return Guarded([&] { return PrintWordDocument(path, m_options, m_notice, m_stop); });
}

bool ConvertClass::PrintExcel(const std::wstring& path) {
    return Guarded([&] { return PrintExcelWorkbook(path, m_options, m_notice, m_stop); });
}

bool ConvertClass::PrintPowerPoint(const std::wstring& path) {
    return Guarded([&] { return PrintPresentation(path, m_options, m_notice, m_stop); });
}
