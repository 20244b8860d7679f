#include "automation/convert_class.h"

#include <objbase.h>

#include <cwchar>

#include "automation/default_printer.h"
#include "automation/dispatch.h"
#include "automation/message_filter.h"
#include "run/run_state.h"

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

// COM for one printer call, with the busy-retry filter on the apartment while it lasts.
struct ComInitialized {
    ComInitialized() { ::CoInitialize(nullptr); }
    ~ComInitialized() { ::CoUninitialize(); }
    ComInitialized(const ComInitialized&) = delete;
    ComInitialized& operator=(const ComInitialized&) = delete;
};

struct ComForCall {
    ComInitialized com;            // destroyed last
    ScopedBusyRetryFilter filter;  // revoked before COM goes
};

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

void ShowServerStartFailure(DocumentKind kind, std::int32_t suite) {
    ::MessageBoxW(AfxGetMainWnd(), ServerStartFailureText(kind, suite), AfxGetAppName(), MB_OK | MB_ICONWARNING);
}

// The version gate of the Microsoft servers; a Version that cannot be read does not pass.
bool VersionAccepted(const DispatchRef& app, DISPID versionMember) {
    try {
        return PassesVersionGate(GetText(app, versionMember));
    } catch (const AutomationError&) {
        return false;
    }
}

bool PrintWordDocument(const std::wstring& path, std::int32_t copies) {
    const PrintSettings& settings = CurrentPrintSettings();
    DefaultPrinterSwap swap(settings.printer);
    const wchar_t* progId = ProgIdFor(DocumentKind::Word, settings.suite);
    if (!progId) return false;

    ComForCall com;
    DispatchRef app, documents, document;
    if (FAILED(CreateServer(progId, app))) {
        swap.Restore();
        ShowServerStartFailure(DocumentKind::Word, settings.suite);
        return false;
    }
    if (settings.suite == kSuiteMsOffice && !VersionAccepted(app, word::kVersion)) return false;

    StandardValues v;
    Variant file = Variant::String(path);
    Variant copiesValue = Variant::I4(copies);
    Variant allPages = Variant::I4(0);
    auto& m = v.missing;

    bool printed = false;
    try {
        documents = GetObject(app, word::kDocuments);
        // FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, then 12 left to Word.
        document = CallForObject(documents, word::kOpen,
                                 {ByRef(file), ByRef(v.no), ByRef(v.yes), ByRef(v.no), ByRef(m), ByRef(m), ByRef(m),
                                  ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                                  ByRef(m)});
        // Background, Append, Range, OutputFileName, From, To, Item, Copies, Pages, PageType,
        // PrintToFile, then 7 left to Word.
        CallMethod(document, word::kPrintOut,
                   {ByRef(v.no), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(copiesValue),
                    ByRef(m), ByRef(allPages), ByRef(v.no), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                    ByRef(m), ByRef(m)});
        printed = true;
    } catch (const AutomationError&) {
    }
    swap.Restore();

    // Word is closed and told to quit on failure too; with no document Close is skipped.
    Attempt([&] { CallMethod(document, word::kClose, {ByRef(m), ByRef(m), ByRef(m)}); });
    document.Release();
    documents.Release();
    Attempt([&] { CallMethod(app, word::kQuit, {ByRef(m), ByRef(m), ByRef(m)}); });
    app.Release();
    return printed;
}

bool PrintExcelWorkbook(const std::wstring& path, std::int32_t copies) {
    const PrintSettings& settings = CurrentPrintSettings();
    DefaultPrinterSwap swap(settings.printer);
    const wchar_t* progId = ProgIdFor(DocumentKind::Excel, settings.suite);
    if (!progId) return false;

    ComForCall com;
    DispatchRef app, workbooks, workbook;
    if (FAILED(CreateServer(progId, app))) {
        swap.Restore();
        ShowServerStartFailure(DocumentKind::Excel, settings.suite);
        return false;
    }
    if (settings.suite == kSuiteMsOffice && !VersionAccepted(app, excel::kVersion)) return false;

    StandardValues v;
    Variant file = Variant::String(path);
    Variant copiesValue = Variant::I4(copies);
    auto m = [&] { return ByValue(v.missing); };

    try {
        // Out of sight and out of the user's hands before any workbook opens.
        PutProperty(app, excel::kVisible, Bool(false));
        PutProperty(app, excel::kUserControl, Bool(false));
        workbooks = GetObject(app, excel::kWorkbooks);
        // Filename, UpdateLinks, ReadOnly, then 12 left to Excel.
        workbook = CallForObject(workbooks, excel::kOpen,
                                 {String(file), m(), ByValue(v.yes), m(), m(), m(), m(), m(), m(), m(), m(), m(),
                                  m(), m(), m()});
        // From, To, Copies, Preview, then 5 left to Excel.
        CallMethod(workbook, excel::kPrintOut,
                   {m(), m(), ByValue(copiesValue), ByValue(v.no), m(), m(), m(), m(), m()});
    } catch (const AutomationError&) {
        // Excel is only let go, neither closed nor told to quit.
        swap.Restore();
        workbooks.Release();
        workbook.Release();
        app.Release();
        return false;
    }
    swap.Restore();

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

bool PrintPresentation(const std::wstring& path, std::int32_t copies) {
    // Presentations print on whatever printer is the default: the printer setting is not used.
    const std::int32_t suite = CurrentPrintSettings().suite;
    const wchar_t* progId = ProgIdFor(DocumentKind::PowerPoint, suite);
    if (!progId) return false;

    ComForCall com;
    DispatchRef app, presentations, presentation;
    if (FAILED(CreateServer(progId, app))) {
        ShowServerStartFailure(DocumentKind::PowerPoint, suite);
        return false;
    }

    Variant file = Variant::String(path);
    Variant noFile = Variant::String(L"");
    // WPS opens read-only, untitled, with a window; PowerPoint writable, named, without one.
    const std::int32_t openFlag = suite == kSuiteWps ? powerpoint::kTrue : powerpoint::kFalse;

    try {
        presentations = GetObject(app, powerpoint::kPresentations);
        // FileName, ReadOnly, Untitled, WithWindow.
        presentation = CallForObject(presentations, powerpoint::kOpen,
                                     {String(file), I4(openFlag), I4(openFlag), I4(openFlag)});
        // From, To (the whole presentation), PrintToFile (not to a file), Copies, Collate.
        CallMethod(presentation, powerpoint::kPrintOut,
                   {I4(-1), I4(-1), String(noFile), I4(copies), I4(powerpoint::kTrue)});
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
    case DocumentKind::Word: return ms ? L"无法启动MS-Word!" : L"无法启动WPS-Word!";
    case DocumentKind::Excel: return ms ? L"无法启动MS-Excel!" : L"无法启动WPS-Excel!";
    case DocumentKind::PowerPoint: return ms ? L"无法启动MS-PPT服务器!" : L"无法启动WPS-PPT服务器!";
    }
    return L"";
}

long MajorVersion(const std::wstring& version) { return std::wcstol(version.c_str(), nullptr, 10); }

bool PassesVersionGate(const std::wstring& version) { return MajorVersion(version) >= 12; }

const MessageMap* ConvertClass::GetMessageMap() const {
    static const MessageMap map{CWnd::GetMessageMap(), {}};
    return &map;
}

bool ConvertClass::PrintWord(const std::wstring& path, int copies) {
    return Guarded([&] { return PrintWordDocument(path, copies); });
}

bool ConvertClass::PrintExcel(const std::wstring& path, int copies) {
    return Guarded([&] { return PrintExcelWorkbook(path, copies); });
}

bool ConvertClass::PrintPowerPoint(const std::wstring& path, int copies) {
    return Guarded([&] { return PrintPresentation(path, copies); });
}
