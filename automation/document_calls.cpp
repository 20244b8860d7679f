#include "automation/document_calls.h"

#include <vector>

#include "automation/office_members.h"
#include "automation/server_life.h"

namespace {

namespace word = office::word;
namespace excel = office::excel;
namespace powerpoint = office::powerpoint;

// A property put before the document opens, or before it closes.
struct Setting {
    DISPID member;
    enum class Type { I4, Bool } type;
    std::int32_t value;
    bool required;  // false: absorbed where a server lacks the member
};

// What becomes of a server whose document failed.
enum class AfterFailure {
    CloseAndQuit,  // the document (if it opened) is closed and the server told to quit
    LetGo,         // the server is only let go
};

// One kind of server, member by member in the order of the calls; read it against
// office_members.h. The arguments of Open, PrintOut and Close are written in the functions
// below, in the order of the members' parameter lists.
struct ServerCalls {
    DISPID version;                  // the Microsoft servers' version gate; 0: none
    DISPID hwnd;                     // the application's main window, naming the serving process
    std::vector<Setting> settings;   // before the document opens: out of sight, no macro, no alert
    DISPID documents;                // the collection the document opens in
    DISPID count;                    // how many documents that collection holds
    std::vector<Setting> beforeClose;  // no recalculation, no save prompt
    // Clean-up: the collection's Close closes every document of the server, a user's too, so
    // it is used only when the run's is the only one; otherwise the run's own is closed alone.
    bool closeAllWhenOnlyOurs;
    AfterFailure afterFailure;
    bool microsoftQuits;  // false: Microsoft's server may serve the user too and is only let go
};

const ServerCalls& CallsFor(DocumentKind kind) {
    using T = Setting::Type;
    static const ServerCalls kWord{
        word::kVersion,
        0,  // Word has no window member
        {{word::kAutomationSecurity, T::I4, office::kForceDisableMacros, false},
         {word::kDisplayAlerts, T::I4, word::kAlertsNone, false}},
        word::kDocuments,
        word::kCount,
        {},
        false,
        AfterFailure::CloseAndQuit,
        true,
    };
    static const ServerCalls kExcel{
        excel::kVersion,
        excel::kHwnd,
        {{excel::kVisible, T::Bool, 0, true},
         {excel::kUserControl, T::Bool, 0, true},
         {excel::kDisplayAlerts, T::Bool, 0, false},
         {excel::kAutomationSecurity, T::I4, office::kForceDisableMacros, false}},
        excel::kWorkbooks,
        excel::kCount,
        {{excel::kCalculation, T::I4, excel::kCalculationManual, false},
         {excel::kCalculateBeforeSave, T::Bool, 0, false}},
        true,
        AfterFailure::LetGo,
        true,
    };
    static const ServerCalls kPowerPoint{
        0,  // PowerPoint has no version gate of ours
        powerpoint::kHwnd,
        {{powerpoint::kAutomationSecurity, T::I4, office::kForceDisableMacros, false},
         {powerpoint::kDisplayAlerts, T::I4, powerpoint::kAlertsNone, false}},
        powerpoint::kPresentations,
        powerpoint::kCount,
        {},
        false,
        AfterFailure::LetGo,
        false,
    };
    switch (kind) {
    case DocumentKind::Word: return kWord;
    case DocumentKind::Excel: return kExcel;
    case DocumentKind::PowerPoint: break;
    }
    return kPowerPoint;
}

void Put(const DispatchRef& object, const Setting& s) {
    PutProperty(object, s.member, s.type == Setting::Type::Bool ? Bool(s.value != 0) : I4(s.value));
}

// The argument values of Word and Excel: true and false as 16-bit integers, not VT_BOOL.
struct StandardValues {
    Variant yes = Variant::I2(1);
    Variant no = Variant::I2(0);
    Variant missing = Variant::Missing();
};

// PowerPoint's Open takes no password; published converters append one to the file name as
// "name::password::". A protected presentation then fails at once instead of asking.
std::wstring WithUnusedPassword(const std::wstring& path) { return path + L"::" + kUnusedPassword + L"::"; }

DispatchRef OpenDocument(DocumentKind kind, DocumentServer& server, const DispatchRef& documents,
                         const std::wstring& path, std::int32_t suite) {
    StandardValues v;
    Variant file = Variant::String(path);
    Variant noPassword = Variant::String(kUnusedPassword);
    switch (kind) {
    case DocumentKind::Word: {
        auto& m = v.missing;
        // FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, PasswordDocument,
        // PasswordTemplate, Revert, WritePasswordDocument, WritePasswordTemplate, Format,
        // Encoding, Visible, OpenAndRepair, DocumentDirection, NoEncodingDialog (a text file
        // named .doc would ask for its encoding), XMLTransform.
        return CallForObject(documents, word::kOpen,
                             {ByRef(file), ByRef(v.no), ByRef(v.yes), ByRef(v.no), ByRef(noPassword), ByRef(m), ByRef(m),
                              ByRef(noPassword), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(m), ByRef(v.yes),
                              ByRef(m)});
    }
    case DocumentKind::Excel: {
        Variant dontUpdateLinks = Variant::I2(excel::kDoNotUpdateLinks);
        auto m = [&] { return ByValue(v.missing); };
        // Filename, UpdateLinks, ReadOnly, Format, Password, WriteResPassword,
        // IgnoreReadOnlyRecommended, Origin, Delimiter, Editable, Notify (no "file in use"
        // question), Converter, AddToMru, Local, CorruptLoad.
        return CallForObject(documents, excel::kOpen,
                             {String(file), ByValue(dontUpdateLinks), ByValue(v.yes), m(), ByValue(noPassword),
                              ByValue(noPassword), ByValue(v.yes), m(), m(), m(), ByValue(v.no), m(), m(), m(), m()});
    }
    case DocumentKind::PowerPoint: break;
    }
    // WPS opens read-only, untitled, with a window; PowerPoint writable, named, without one.
    const std::int32_t flag = suite == kSuiteWps ? powerpoint::kTrue : powerpoint::kFalse;
    auto open = [&](const Variant& name) {
        // FileName, ReadOnly, Untitled, WithWindow.
        return CallForObject(documents, powerpoint::kOpen, {String(name), I4(flag), I4(flag), I4(flag)});
    };
    if (suite != kSuiteMsOffice) return open(file);
    // The password form is Microsoft PowerPoint's; where it fails for another reason than the
    // password, the plain name is tried.
    Variant protectedFile = Variant::String(WithUnusedPassword(path));
    try {
        return open(protectedFile);
    } catch (const AutomationError& error) {
        if (server.Classify(error) != PrintOutcome::Failed) throw;
    }
    return open(file);
}

void PrintOutDocument(DocumentKind kind, const DispatchRef& document, const PrintOptions& options) {
    StandardValues v;
    Variant copies = Variant::I4(options.copies);
    const PageRange& pages = options.pages;
    const bool all = pages.All();
    switch (kind) {
    case DocumentKind::Word: {
        auto& m = v.missing;
        Variant allPages = Variant::I4(0);
        // Word takes page numbers as text, and only with the from-to range.
        Variant range = Variant::I4(word::kPrintFromTo);
        Variant from = Variant::String(std::to_wstring(pages.from));
        Variant to = Variant::String(std::to_wstring(pages.to));
        Variant& rangeArg = all ? m : range;
        Variant& fromArg = all ? m : from;
        Variant& toArg = all ? m : to;
        // Background, Append, Range, OutputFileName, From, To, Item, Copies, Pages, PageType,
        // PrintToFile, then 7 left to Word.
        CallMethod(document, word::kPrintOut,
                   {ByRef(v.no), ByRef(m), ByRef(rangeArg), ByRef(m), ByRef(fromArg), ByRef(toArg), ByRef(m),
                    ByRef(copies), ByRef(m), ByRef(allPages), ByRef(v.no), ByRef(m), ByRef(m), ByRef(m), ByRef(m),
                    ByRef(m), ByRef(m), ByRef(m)});
        return;
    }
    case DocumentKind::Excel: {
        auto m = [&] { return ByValue(v.missing); };
        // Printed pages, not sheets; missing: from the first to the last.
        Variant from = Variant::I4(pages.from);
        Variant to = Variant::I4(pages.to);
        // From, To, Copies, Preview, then 5 left to Excel.
        CallMethod(document, excel::kPrintOut,
                   {all ? m() : ByValue(from), all ? m() : ByValue(to), ByValue(copies), ByValue(v.no), m(), m(), m(),
                    m(), m()});
        return;
    }
    case DocumentKind::PowerPoint: break;
    }
    // A PowerPoint that was already running keeps the printer it found at its start, and by
    // default PrintOut returns while the job still spools, which Close would cancel: the
    // presentation is told its printer and to print in the foreground.
    Attempt([&] {
        DispatchRef printOptions = GetObject(document, powerpoint::kPrintOptions);
        Variant printer = Variant::String(options.printer);
        Attempt([&] { PutProperty(printOptions, powerpoint::kPrintInBackground, I4(powerpoint::kFalse)); });
        Attempt([&] { PutProperty(printOptions, powerpoint::kActivePrinter, String(printer)); });
    });
    Variant noFile = Variant::String(L"");
    // From, To (slide numbers; -1, -1 the whole presentation), PrintToFile (not to a file),
    // Copies, Collate.
    CallMethod(document, powerpoint::kPrintOut,
               {I4(all ? powerpoint::kWholePresentation : pages.from), I4(all ? powerpoint::kWholePresentation : pages.to),
                String(noFile), I4(options.copies), I4(powerpoint::kTrue)});
}

// The run's own document, closed without saving: printing may have updated fields, and a save
// question would wait for a person.
void CloseOwn(DocumentKind kind, const DispatchRef& document) {
    StandardValues v;
    Variant dontSave = Variant::I4(word::kDoNotSaveChanges);
    switch (kind) {
    case DocumentKind::Word: CallMethod(document, word::kClose, {ByRef(dontSave), ByRef(v.missing), ByRef(v.missing)}); return;
    case DocumentKind::Excel: CallMethod(document, excel::kClose, {ByValue(v.no)}); return;
    case DocumentKind::PowerPoint: CallMethod(document, powerpoint::kClose); return;
    }
}

void Quit(DocumentKind kind, const DispatchRef& app) {
    StandardValues v;
    Variant dontSave = Variant::I4(word::kDoNotSaveChanges);
    switch (kind) {
    case DocumentKind::Word: CallMethod(app, word::kQuit, {ByRef(dontSave), ByRef(v.missing), ByRef(v.missing)}); return;
    case DocumentKind::Excel: CallMethod(app, excel::kQuit); return;
    case DocumentKind::PowerPoint: CallMethod(app, powerpoint::kQuit); return;
    }
}

// Between the calls of a document: once a stop is asked for, the rest goes the failure way.
void ThrowIfStopped(const RunServers& run) {
    if (run.StopAsked()) throw AutomationError{E_ABORT, L"the run was stopped"};
}

}  // namespace

PrintOutcome PrintDocument(RunServers& run, DocumentKind kind, const std::wstring& path) {
    const ServerCalls& calls = CallsFor(kind);
    const PrintOptions& options = run.options();
    DocumentServer server(run, kind, calls.version);
    if (server.outcome() != PrintOutcome::Printed) return server.outcome();
    DispatchRef& app = server.app();
    DispatchRef documents, document;
    // A clean-up call, skipped once the server was given up on.
    auto cleanUp = [&](auto&& call) {
        if (!server.GaveUp()) Attempt(call);
    };

    PrintOutcome outcome = PrintOutcome::Printed;
    try {
        ThrowIfStopped(run);
        if (calls.hwnd) server.NoteServingWindow(calls.hwnd);
        for (const Setting& s : calls.settings) {
            if (s.required) Put(app, s);
            else Attempt([&] { Put(app, s); });
        }
        documents = GetObject(app, calls.documents);
        document = OpenDocument(kind, server, documents, path, options.suite);
        server.NoteDocumentsAfterOpen(DocumentCount(documents, calls.count));
        ThrowIfStopped(run);
        PrintOutDocument(kind, document, options);
    } catch (const AutomationError& error) {
        outcome = server.Classify(error);
    }
    server.RestorePrinter();
    if (outcome != PrintOutcome::Printed && calls.afterFailure == AfterFailure::LetGo) return outcome;

    // Asked of the server itself, since a document its user opened may have landed in it.
    auto holdsOnlyOurs = [&](int ours) {
        return !server.GaveUp() && server.HoldsOnlyOurs(DocumentCount(documents, calls.count), ours);
    };
    for (const Setting& s : calls.beforeClose) cleanUp([&] { Put(app, s); });
    if (calls.closeAllWhenOnlyOurs) {
        if (holdsOnlyOurs(1)) {
            cleanUp([&] { CallMethod(documents, excel::kClose); });
            document.reset();
            documents.reset();
            cleanUp([&] { Quit(kind, app); });
        } else {
            cleanUp([&] { CloseOwn(kind, document); });
        }
        return outcome;
    }
    // With no document (it did not open) there is nothing to close.
    cleanUp([&] { CloseOwn(kind, document); });
    document.reset();
    const bool onlyOurs = holdsOnlyOurs(0);
    documents.reset();
    if (onlyOurs && (calls.microsoftQuits || options.suite != kSuiteMsOffice)) cleanUp([&] { Quit(kind, app); });
    return outcome;
}
