// The three printers against officesim over real COM: the exact calls each one makes, the
// default printer while it prints, and the jobs the spooler really got.
#include <gtest/gtest.h>

#include <cstdio>
#include <list>
#include <map>
#include <set>

#include "automation/convert_class.h"
#include "automation/default_printer.h"
#include "automation/dispatch.h"
#include "printing.h"
#include "framework/framework.h"
#include "framework/scoped.h"
#include "support/files.h"
#include "support/officesim_control.h"
#include "support/officesim_documents.h"
#include "support/officesim_log.h"
#include "support/spool_capture.h"

namespace {

using automation_test::Outcome;
using automation_test::Print;
using automation_test::PrintingThread;

const std::wstring kUserDefault = L"Tavrolin-A";
const std::wstring kChosen = L"测试打印机";
const std::wstring kOther = L"Tavrolin-B";

const wchar_t* ExtensionOf(DocumentKind kind) {
    switch (kind) {
    case DocumentKind::Word: return L".docx";
    case DocumentKind::Excel: return L".xlsx";
    case DocumentKind::PowerPoint: return L".pptx";
    }
    return L"";
}

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

using testing_files::Narrow;

// The program's main window for the boxes to belong to, as the application object has it.
class ProgramShell {
public:
    ProgramShell() {
        m_window.m_hWnd = ::CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                            nullptr, nullptr, nullptr);
        m_app.m_pMainWnd = &m_window;
    }
    ~ProgramShell() {
        m_app.m_pMainWnd = nullptr;
        ::DestroyWindow(m_window.m_hWnd);
        m_window.m_hWnd = nullptr;
    }
    HWND window() const { return m_window.m_hWnd; }

private:
    CWinApp m_app;
    CWnd m_window;
};

class Printers : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(officesim::RegisterAll()) << "officesim could not be registered";
        s_shell = new ProgramShell;
    }
    static void TearDownTestSuite() {
        delete s_shell;
        s_shell = nullptr;
        officesim::ResetBehaviours();
    }

    void SetUp() override {
        m_found = automation_test::SystemDefault();
        officesim::ResetBehaviours();
        officesim::ClearLog();
        automation_test::SetSystemDefault(kUserDefault);
    }

    void TearDown() override {
        if (!officesim::WaitNoServers(10000)) {
            ADD_FAILURE() << "an officesim process was left running";
            officesim::EndServers();
        }
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault) << "the printer left the default printer changed";
        automation_test::SetSystemDefault(m_found);
        officesim::ResetBehaviours();
        m_documents.clear();
    }

    // A real file with a name no other test (or other run) uses, so its job is recognisable.
    std::wstring MakeDocument(const std::wstring& stem, DocumentKind kind) {
        return m_documents.emplace_back(stem, ExtensionOf(kind)).Path();
    }
    // ... one that carries officesim traits ("pages=5").
    std::wstring MakeDocument(const std::wstring& stem, DocumentKind kind, const std::wstring& traits) {
        return m_documents.emplace_back(stem, ExtensionOf(kind), officesim::TraitText(traits)).Path();
    }

    static std::wstring ProgId(DocumentKind kind, int suite) { return ProgIdFor(kind, suite); }

    static ProgramShell* s_shell;
    std::wstring m_found;
    std::list<testing_files::TempDocument> m_documents;
};

ProgramShell* Printers::s_shell = nullptr;

// ---------------------------------------------------------------------------------------------
// The full call sequences.

// The calls as the log should show them. "{path}", "{copies}", "{password}" and "{printer}"
// stand for the document's path, its copies, the unused password and the chosen printer.
using Expected = officesim::ExpectedCall;
using officesim::Join;
using officesim::Repeat;

const std::wstring M = officesim::kMissing;
const std::wstring RM = officesim::RefArg(officesim::kMissing);

// Beyond the calls that print: settings that keep a real office application from waiting for a
// person (macros off, no alerts, no link question, no save question, passwords that fail
// instead of asking) and, for presentations, the printer and foreground printing.
// PrintOut's page arguments: missing for every page, else as each application takes them.
std::wstring PageArg(const PageRange& pages, int page, const wchar_t* type, const std::wstring& missing) {
    return pages.All() ? missing : std::wstring(type) + L"=" + std::to_wstring(page);
}

std::vector<Expected> WordSequence(int suite, const PageRange& pages) {
    std::vector<Expected> calls;
    if (suite == kSuiteMsOffice) calls.push_back({L"Application", 24, L"get", {}});
    calls.push_back({L"Application", 449, L"put", {L"I4=3"}});
    calls.push_back({L"Application", 94, L"put", {L"I4=0"}});
    calls.push_back({L"Application", 6, L"get", {}});
    calls.push_back({L"Documents", 19, L"method",
                     Join({{L"&BSTR={path}", L"&I2=0", L"&I2=1", L"&I2=0", L"&BSTR={password}", RM, RM,
                            L"&BSTR={password}"},
                           Repeat(RM, 6), {L"&I2=1", RM}})});
    calls.push_back({L"Documents", 2, L"get", {}});
    // Word takes the range as wdPrintFromTo (3) with the page numbers as text.
    calls.push_back({L"Document", 446, L"method",
                     Join({{L"&I2=0", RM, pages.All() ? RM : L"&I4=3", RM, PageArg(pages, pages.from, L"&BSTR", RM),
                            PageArg(pages, pages.to, L"&BSTR", RM), RM},
                           {L"&I4={copies}", RM, L"&I4=0", L"&I2=0"},
                           Repeat(RM, 7)})});
    calls.push_back({L"Document", 1105, L"method", {L"&I4=0", RM, RM}});
    // Told to quit only once it is seen to hold nothing else.
    calls.push_back({L"Documents", 2, L"get", {}});
    calls.push_back({L"Application", 1105, L"method", {L"&I4=0", RM, RM}});
    return calls;
}

std::vector<Expected> ExcelSequence(int suite, const PageRange& pages) {
    std::vector<Expected> calls;
    if (suite == kSuiteMsOffice) calls.push_back({L"Application", 392, L"get", {}});
    calls.push_back({L"Application", 1950, L"get", {}});
    calls.push_back({L"Application", 558, L"put", {L"BOOL=0"}});
    calls.push_back({L"Application", 1210, L"put", {L"BOOL=0"}});
    calls.push_back({L"Application", 343, L"put", {L"BOOL=0"}});
    calls.push_back({L"Application", 1941, L"put", {L"I4=3"}});
    calls.push_back({L"Application", 572, L"get", {}});
    calls.push_back({L"Workbooks", 1923, L"method",
                     Join({{L"BSTR={path}", L"I2=0", L"I2=1", M, L"BSTR={password}", L"BSTR={password}", L"I2=1", M, M,
                            M, L"I2=0"},
                           Repeat(M, 4)})});
    calls.push_back({L"Workbooks", 118, L"get", {}});
    calls.push_back({L"Workbook", 2361, L"method",
                     Join({{PageArg(pages, pages.from, L"I4", M), PageArg(pages, pages.to, L"I4", M), L"I4={copies}",
                            L"I2=0"},
                           Repeat(M, 5)})});
    calls.push_back({L"Application", 316, L"put", {L"I4=-4135"}});
    calls.push_back({L"Application", 315, L"put", {L"BOOL=0"}});
    // Every workbook closes only when the run's is the only one.
    calls.push_back({L"Workbooks", 118, L"get", {}});
    calls.push_back({L"Workbooks", 277, L"method", {}});
    calls.push_back({L"Application", 302, L"method", {}});
    return calls;
}

std::vector<Expected> PowerPointSequence(int suite, const PageRange& pages) {
    const std::wstring flag = suite == kSuiteWps ? L"I4=-1" : L"I4=0";
    std::vector<Expected> calls;
    calls.push_back({L"Application", 2031, L"get", {}});
    calls.push_back({L"Application", 2047, L"put", {L"I4=3"}});
    calls.push_back({L"Application", 2049, L"put", {L"I4=1"}});
    calls.push_back({L"Application", 2001, L"get", {}});
    // Microsoft PowerPoint is given the unused password in the file name.
    calls.push_back({L"Presentations", 2005, L"method",
                     {suite == kSuiteWps ? L"BSTR={path}" : L"BSTR={path}::{password}::", flag, flag, flag}});
    calls.push_back({L"Presentations", 11, L"get", {}});
    calls.push_back({L"Presentation", 2033, L"get", {}});
    calls.push_back({L"PrintOptions", 2010, L"put", {L"I4=0"}});
    calls.push_back({L"PrintOptions", 2015, L"put", {L"BSTR={printer}"}});
    calls.push_back({L"Presentation", 2034, L"method",
                     {PageArg(pages, pages.from, L"I4", L"I4=-1"), PageArg(pages, pages.to, L"I4", L"I4=-1"), L"BSTR=",
                      L"I4={copies}", L"I4=-1"}});
    calls.push_back({L"Presentation", 2039, L"method", {}});
    calls.push_back({L"Presentations", 11, L"get", {}});
    if (suite == kSuiteWps) calls.push_back({L"Application", 2021, L"method", {}});
    return calls;
}

std::vector<Expected> SequenceFor(DocumentKind kind, int suite, const PageRange& pages = {}) {
    switch (kind) {
    case DocumentKind::Word: return WordSequence(suite, pages);
    case DocumentKind::Excel: return ExcelSequence(suite, pages);
    case DocumentKind::PowerPoint: return PowerPointSequence(suite, pages);
    }
    return {};
}

DISPID PrintOutOf(DocumentKind kind) {
    switch (kind) {
    case DocumentKind::Word: return 446;
    case DocumentKind::Excel: return 2361;
    case DocumentKind::PowerPoint: return 2034;
    }
    return 0;
}

std::wstring Substitute(const std::wstring& text, const std::wstring& path, int copies) {
    if (text.ends_with(L"{path}::{password}::"))
        return text.substr(0, text.size() - 20) + path + L"::" + kUnusedPassword + L"::";
    if (text.ends_with(L"{path}")) return text.substr(0, text.size() - 6) + path;
    if (text.ends_with(L"{copies}")) return text.substr(0, text.size() - 8) + std::to_wstring(copies);
    if (text.ends_with(L"{password}")) return text.substr(0, text.size() - 10) + kUnusedPassword;
    if (text.ends_with(L"{printer}")) return text.substr(0, text.size() - 9) + kChosen;
    return text;
}

struct SequenceCase {
    const char* name;
    DocumentKind kind;
    int suite;
    int copies;
    PageRange pages;           // every page unless set
    int documentPages;         // the document's pages (a workbook's printed pages, slides)
    std::vector<int> printed;  // the document's pages the job holds; none: no job at all
};

// With every page (the default) the calls are exactly the ones made before there was a page
// range; with a range, only PrintOut's page arguments differ, and only those pages print.
TEST_F(Printers, EachPrinterMakesExactlyItsCallSequenceAndPrintsTheAskedPagesOnTheRightQueue) {
    using W = DocumentKind;
    const SequenceCase cases[] = {
        {"Word, MS Office", W::Word, kSuiteMsOffice, 300, {}, 5, {1, 2, 3, 4, 5}},
        {"Word, WPS", W::Word, kSuiteWps, 1, {}, 5, {1, 2, 3, 4, 5}},
        {"Excel, MS Office", W::Excel, kSuiteMsOffice, 1, {}, 3, {1, 2, 3}},
        {"Excel, WPS", W::Excel, kSuiteWps, 300, {}, 3, {1, 2, 3}},
        {"PowerPoint, MS Office", W::PowerPoint, kSuiteMsOffice, 300, {}, 4, {1, 2, 3, 4}},
        {"PowerPoint, WPS", W::PowerPoint, kSuiteWps, 1, {}, 4, {1, 2, 3, 4}},
        {"Word, MS Office, pages 2-3", W::Word, kSuiteMsOffice, 2, {2, 3}, 5, {2, 3}},
        {"Word, WPS, pages 2-3", W::Word, kSuiteWps, 2, {2, 3}, 5, {2, 3}},
        {"Excel, MS Office, pages 2-3 of three sheets", W::Excel, kSuiteMsOffice, 2, {2, 3}, 3, {2, 3}},
        {"Excel, WPS, pages 2-3 of three sheets", W::Excel, kSuiteWps, 2, {2, 3}, 3, {2, 3}},
        {"PowerPoint, MS Office, slides 2-3 of four", W::PowerPoint, kSuiteMsOffice, 2, {2, 3}, 4, {2, 3}},
        {"PowerPoint, WPS, slides 2-3 of four", W::PowerPoint, kSuiteWps, 2, {2, 3}, 4, {2, 3}},
        // Past the end: the pages that exist print, and where none do, nothing does.
        {"Word, MS Office, pages 2-3 of one", W::Word, kSuiteMsOffice, 2, {2, 3}, 1, {}},
        {"PowerPoint, MS Office, slides 5-6 of four", W::PowerPoint, kSuiteMsOffice, 1, {5, 6}, 4, {}},
        {"Excel, WPS, pages 3-9 of three", W::Excel, kSuiteWps, 1, {3, 9}, 3, {3}},  // last: it prints
    };
    std::vector<std::wstring> notPrinted;
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        officesim::ClearLog();
        PrintOptions options{kChosen, c.copies, c.suite};
        options.pages = c.pages;
        const std::wstring path = MakeDocument(L"sequence", c.kind, L"pages=" + std::to_wstring(c.documentPages));

        Outcome outcome = Print(c.kind, path, options);
        std::printf("[ timing ] %s: %llu ms for one document\n", c.name, outcome.ms);

        EXPECT_TRUE(outcome.printed);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);

        const std::vector<officesim::LoggedCall> log = officesim::ReadLog(ProgId(c.kind, c.suite));
        const std::vector<Expected> expected = SequenceFor(c.kind, c.suite, c.pages);
        ASSERT_EQ(log.size(), expected.size()) << "calls made:\n" << officesim::Describe(log);
        // The chosen printer is swapped in before the server starts and swapped back right
        // after PrintOut, for presentations too.
        bool printedYet = false;
        for (size_t i = 0; i < expected.size(); ++i) {
            const Expected& e = expected[i];
            const officesim::LoggedCall& call = log[i];
            SCOPED_TRACE(testing::Message() << "call " << i << ": " << Narrow(officesim::Brief(call)));
            EXPECT_EQ(call.object, e.object);
            EXPECT_EQ(call.dispid, e.dispid);
            EXPECT_EQ(call.kind, e.kind);
            EXPECT_EQ(call.result, L"0x00000000");
            std::vector<std::wstring> args;
            for (const std::wstring& a : e.args) args.push_back(Substitute(a, path, c.copies));
            EXPECT_EQ(call.args, args);
            EXPECT_EQ(call.printer, !printedYet ? kChosen : kUserDefault);
            if (call.dispid == PrintOutOf(c.kind)) printedYet = true;
            EXPECT_EQ(call.pid, log[0].pid) << "one server per document";
        }

        ASSERT_TRUE(officesim::WaitNoServers(10000));
        if (c.printed.empty()) {
            notPrinted.push_back(path);
            continue;
        }
        std::vector<spool::Job> jobs = spool::WaitForJobs(FileName(path), 1, 30000);
        ASSERT_EQ(jobs.size(), 1u) << "jobs titled " << Narrow(FileName(path));
        EXPECT_EQ(jobs[0].queue, kChosen);
        EXPECT_EQ(jobs[0].copies, c.copies);
        // Each page once in the data, the copies asked of the printer.
        EXPECT_EQ(jobs[0].pages, int(c.printed.size()));
        EXPECT_EQ(jobs[0].documentPages, c.printed);
    }
    // The jobs of the later documents have arrived by now; one for these would have too.
    for (const std::wstring& path : notPrinted)
        EXPECT_TRUE(spool::FindJobs(FileName(path)).empty()) << "a job for " << Narrow(FileName(path));
}

// A user with no default printer: documents still print on the chosen printer, and the chosen
// printer does not stay the default afterwards.
TEST_F(Printers, NoDefaultPrinterBeforeLeavesNoneAfter) {
    for (DocumentKind kind : {DocumentKind::Word, DocumentKind::Excel, DocumentKind::PowerPoint}) {
        SCOPED_TRACE(Narrow(ExtensionOf(kind)));
        officesim::ClearLog();
        automation_test::ClearSystemDefault();
        const std::wstring path = MakeDocument(L"no-default", kind);

        Outcome outcome = Print(kind, path, PrintOptions{kChosen, 1, kSuiteMsOffice});
        EXPECT_TRUE(outcome.printed);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(automation_test::SystemDefault(), L"") << "the chosen printer stayed the default";

        std::vector<spool::Job> jobs = spool::WaitForJobs(FileName(path), 1, 30000);
        ASSERT_EQ(jobs.size(), 1u) << "jobs titled " << Narrow(FileName(path));
        EXPECT_EQ(jobs[0].queue, kChosen);
        ASSERT_TRUE(officesim::WaitNoServers(10000));
    }
    automation_test::SetSystemDefault(kUserDefault);
}

// ---------------------------------------------------------------------------------------------

struct VersionCase {
    DocumentKind kind;
    int suite;
    const wchar_t* version;
    bool prints;
};

TEST_F(Printers, OnlyMicrosoftServersOfVersion12OrLaterAreAskedToPrint) {
    const VersionCase cases[] = {
        {DocumentKind::Word, kSuiteMsOffice, L"11.0", false},
        {DocumentKind::Excel, kSuiteMsOffice, L"11.0", false},
        {DocumentKind::Excel, kSuiteMsOffice, L"12.0", true},
        {DocumentKind::Word, kSuiteMsOffice, L"16.0", true},
        {DocumentKind::Word, kSuiteWps, L"11.0", true},  // WPS is never asked
    };
    for (const VersionCase& c : cases) {
        const std::wstring progId = ProgId(c.kind, c.suite);
        SCOPED_TRACE(Narrow(progId + L" reporting " + c.version));
        officesim::ClearLog();
        officesim::ResetBehaviours();
        officesim::Behaviour behaviour;
        behaviour.version = c.version;
        officesim::SetBehaviour(progId, behaviour);
        const PrintOptions options{kChosen, 1, c.suite};
        const std::wstring path = MakeDocument(L"version", c.kind);

        Outcome outcome = Print(c.kind, path, options);

        EXPECT_EQ(outcome.printed, c.prints);
        EXPECT_EQ(outcome.outcome, c.prints ? PrintOutcome::Printed : PrintOutcome::VersionTooOld);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);
        const std::vector<officesim::LoggedCall> log = officesim::ReadLog(progId);
        ASSERT_FALSE(log.empty());
        const DISPID versionMember = c.kind == DocumentKind::Word ? 24 : 392;
        EXPECT_EQ(log[0].dispid == versionMember, c.suite == kSuiteMsOffice) << officesim::Describe(log);
        if (c.prints) {
            EXPECT_EQ(log.size(), SequenceFor(c.kind, c.suite).size()) << officesim::Describe(log);
            EXPECT_EQ(spool::WaitForJobs(FileName(path), 1, 30000).size(), 1u);
        } else {
            // Turned away silently: nothing after the version query, not even Quit.
            EXPECT_EQ(log.size(), 1u) << officesim::Describe(log);
            EXPECT_TRUE(spool::FindJobs(FileName(path)).empty());
        }
        ASSERT_TRUE(officesim::WaitNoServers(10000));
    }
}

// ---------------------------------------------------------------------------------------------

struct NoServerCase {
    DocumentKind kind;
    int suite;
    const wchar_t* box;  // null: no box
};

// A printer that went away fails the document before any server starts or the default changes.
TEST_F(Printers, APrinterThatIsNotThereFailsTheDocumentAndStartsNothing) {
    for (DocumentKind kind : {DocumentKind::Word, DocumentKind::Excel, DocumentKind::PowerPoint}) {
        SCOPED_TRACE(Narrow(ExtensionOf(kind)));
        officesim::ClearLog();
        const std::wstring path = MakeDocument(L"no-printer", kind);
        Outcome outcome = Print(kind, path, PrintOptions{L"Tavrolin-Gone", 1, kSuiteMsOffice});
        EXPECT_EQ(outcome.outcome, PrintOutcome::PrinterUnavailable);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_TRUE(officesim::ReadLog().empty()) << officesim::Describe(officesim::ReadLog());
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);
    }
}

TEST_F(Printers, AServerThatCannotStartIsReportedOncePerDocumentAndNothingChanges) {
    const NoServerCase cases[] = {
        {DocumentKind::Word, kSuiteMsOffice, L"无法启动MS-Word!"},
        {DocumentKind::Word, kSuiteWps, L"无法启动WPS-Word!"},
        {DocumentKind::Excel, kSuiteMsOffice, L"无法启动MS-Excel!"},
        {DocumentKind::Excel, kSuiteWps, L"无法启动WPS-Excel!"},
        {DocumentKind::PowerPoint, kSuiteMsOffice, L"无法启动MS-PPT服务器!"},
        {DocumentKind::PowerPoint, kSuiteWps, L"无法启动WPS-PPT服务器!"},
        // A suite the program does not know starts nothing and says nothing.
        {DocumentKind::Word, 2, nullptr},
        {DocumentKind::Excel, 2, nullptr},
        {DocumentKind::PowerPoint, -1, nullptr},
    };
    for (const NoServerCase& c : cases) {
        const wchar_t* progId = ProgIdFor(c.kind, c.suite);
        SCOPED_TRACE(Narrow(progId ? progId : L"unknown suite"));
        if (progId) {
            ASSERT_TRUE(officesim::Unregister(progId));
        }
        officesim::ClearLog();
        const PrintOptions options{kChosen, 1, c.suite};
        const std::wstring path = MakeDocument(L"noserver", c.kind);

        Outcome outcome = Print(c.kind, path, options);
        if (progId) officesim::Register(progId);

        EXPECT_FALSE(outcome.printed);
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);
        EXPECT_TRUE(officesim::ReadLog().empty()) << officesim::Describe(officesim::ReadLog());
        EXPECT_TRUE(spool::FindJobs(FileName(path)).empty());
        if (!c.box) {
            EXPECT_TRUE(outcome.boxes.empty()) << Narrow(outcome.boxes[0].text);
            continue;
        }
        ASSERT_EQ(outcome.boxes.size(), 1u) << (outcome.boxes.empty() ? "" : Narrow(outcome.boxes[0].text));
        const testing_ui::ModalBox& box = outcome.boxes[0];
        EXPECT_EQ(box.text, c.box);
        EXPECT_EQ(box.caption, AfxGetAppName());
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
        EXPECT_EQ(box.owner, s_shell->window());
        // The user's default is back before anyone reads the box.
        EXPECT_EQ(outcome.defaultAtBox, std::vector<std::wstring>{kUserDefault});
    }
}

// ---------------------------------------------------------------------------------------------

// "Object DISPID kind" of every call, "!" marking a call that did not succeed.
std::vector<std::wstring> Briefs(const std::vector<officesim::LoggedCall>& log) {
    std::vector<std::wstring> out;
    for (const auto& call : log) out.push_back(officesim::Brief(call) + (call.result == L"0x00000000" ? L"" : L" !"));
    return out;
}

struct FailureCase {
    const char* name;
    DocumentKind kind;
    int suite;
    officesim::Behaviour behaviour;
    std::vector<std::wstring> calls;
    bool printed;
    PrintOutcome outcome;
};

TEST_F(Printers, FailuresAreAbsorbedReportedAsNotPrintedAndTheDefaultIsRestored) {
    officesim::Behaviour failOpen;
    failOpen.failOpenMarker = L"BROKEN";
    officesim::Behaviour failPrintOut;
    failPrintOut.failPrintOut = true;
    officesim::Behaviour crashInPrintOut;
    crashInPrintOut.crashAt = L"PrintOut";
    officesim::Behaviour crashInQuit;
    crashInQuit.crashAt = L"Quit";
    officesim::Behaviour crashInVersion;
    crashInVersion.crashAt = L"Version";
    officesim::Behaviour busy;
    busy.busyCalls = 3;

    officesim::Behaviour crashInCount;
    crashInCount.crashAt = L"Count";
    officesim::Behaviour noCount;
    noCount.unknownMembers = {2};

    const FailureCase cases[] = {
        // Word still closes (nothing to close: skipped) and quits once it is seen to hold nothing.
        {"Word: Open fails", DocumentKind::Word, kSuiteMsOffice, failOpen,
         {L"Application 24 get", L"Application 449 put", L"Application 94 put", L"Application 6 get", L"Documents 19 method !",
          L"Documents 2 get", L"Application 1105 method"},
         false, PrintOutcome::Failed},
        {"Word: PrintOut fails", DocumentKind::Word, kSuiteWps, failPrintOut,
         {L"Application 449 put", L"Application 94 put", L"Application 6 get", L"Documents 19 method", L"Documents 2 get",
          L"Document 446 method !", L"Document 1105 method", L"Documents 2 get", L"Application 1105 method"},
         false, PrintOutcome::Failed},
        // Excel and PowerPoint are only let go.
        {"Excel: Open fails", DocumentKind::Excel, kSuiteMsOffice, failOpen,
         {L"Application 392 get", L"Application 1950 get", L"Application 558 put", L"Application 1210 put",
          L"Application 343 put", L"Application 1941 put", L"Application 572 get", L"Workbooks 1923 method !"},
         false, PrintOutcome::Failed},
        {"PowerPoint: Open fails", DocumentKind::PowerPoint, kSuiteWps, failOpen,
         {L"Application 2031 get", L"Application 2047 put", L"Application 2049 put", L"Application 2001 get",
          L"Presentations 2005 method !"},
         false, PrintOutcome::Failed},
        // Microsoft PowerPoint's Open with the password fails for another reason: once more without.
        {"PowerPoint: Open fails with and without the password", DocumentKind::PowerPoint, kSuiteMsOffice, failOpen,
         {L"Application 2031 get", L"Application 2047 put", L"Application 2049 put", L"Application 2001 get",
          L"Presentations 2005 method !", L"Presentations 2005 method !"},
         false, PrintOutcome::Failed},
        // A server that dies in the middle of printing does not take the program with it.
        {"Excel: server crashes in PrintOut", DocumentKind::Excel, kSuiteWps, crashInPrintOut,
         {L"Application 1950 get", L"Application 558 put", L"Application 1210 put", L"Application 343 put",
          L"Application 1941 put", L"Application 572 get", L"Workbooks 1923 method", L"Workbooks 118 get",
          L"Workbook 2361 method !"},
         false, PrintOutcome::Failed},
        // A Version that cannot be read does not pass the gate.
        {"Excel: server crashes in Version", DocumentKind::Excel, kSuiteMsOffice, crashInVersion,
         {L"Application 392 get !"}, false, PrintOutcome::Failed},
        // ... and one that dies in Quit has already printed.
        {"Word: server crashes in Quit", DocumentKind::Word, kSuiteMsOffice, crashInQuit,
         {L"Application 24 get", L"Application 449 put", L"Application 94 put", L"Application 6 get", L"Documents 19 method",
          L"Documents 2 get", L"Document 446 method", L"Document 1105 method", L"Documents 2 get",
          L"Application 1105 method !"},
         true, PrintOutcome::Printed},
        // A count that cannot be read: a server of the run's own that is gone holds nothing of the
        // user's; one that is still there and cannot say may hold anything, and is not told to quit.
        {"Word: server crashes in Count", DocumentKind::Word, kSuiteMsOffice, crashInCount,
         {L"Application 24 get", L"Application 449 put", L"Application 94 put", L"Application 6 get", L"Documents 19 method",
          L"Documents 2 get !"},
         false, PrintOutcome::Failed},
        {"Word: a server that cannot count", DocumentKind::Word, kSuiteWps, noCount,
         {L"Application 449 put", L"Application 94 put", L"Application 6 get", L"Documents 19 method", L"Documents 2 get !",
          L"Document 446 method", L"Document 1105 method", L"Documents 2 get !"},
         true, PrintOutcome::Printed},
        // A server still starting turns the first calls away; they are made again, once each.
        {"PowerPoint: busy at first", DocumentKind::PowerPoint, kSuiteMsOffice, busy,
         {L"Application 2031 get", L"Application 2047 put", L"Application 2049 put", L"Application 2001 get",
          L"Presentations 2005 method", L"Presentations 11 get", L"Presentation 2033 get", L"PrintOptions 2010 put",
          L"PrintOptions 2015 put", L"Presentation 2034 method", L"Presentation 2039 method", L"Presentations 11 get"},
         true, PrintOutcome::Printed},
        {"Word: busy at first", DocumentKind::Word, kSuiteMsOffice, busy,
         {L"Application 24 get", L"Application 449 put", L"Application 94 put", L"Application 6 get", L"Documents 19 method",
          L"Documents 2 get", L"Document 446 method", L"Document 1105 method", L"Documents 2 get",
          L"Application 1105 method"},
         true, PrintOutcome::Printed},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring progId = ProgId(c.kind, c.suite);
        officesim::ClearLog();
        officesim::ResetBehaviours();
        officesim::SetBehaviour(progId, c.behaviour);
        const PrintOptions options{kChosen, 2, c.suite};
        const std::wstring path = MakeDocument(c.behaviour.failOpenMarker.empty() ? L"failure" : L"BROKEN", c.kind);

        Outcome outcome = Print(c.kind, path, options);

        EXPECT_EQ(outcome.printed, c.printed);
        EXPECT_EQ(outcome.outcome, c.outcome);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);
        const std::vector<officesim::LoggedCall> log = officesim::ReadLog(progId);
        EXPECT_EQ(Briefs(log), c.calls) << officesim::Describe(log);
        const std::vector<spool::Job> jobs =
            c.printed ? spool::WaitForJobs(FileName(path), 1, 30000) : spool::FindJobs(FileName(path));
        EXPECT_EQ(jobs.size(), c.printed ? 1u : 0u);
        ASSERT_TRUE(officesim::WaitNoServers(10000));
    }
}

// ---------------------------------------------------------------------------------------------

TEST_F(Printers, ServersAreCreatedByProgIdOrClassIdAndEmptyReferencesCallNothing) {
    DispatchRef word;
    ASSERT_EQ(CreateServer(officesim::kRoles[0].clsid, word), S_OK);  // Word.Application's class id
    ASSERT_TRUE(word);
    EXPECT_EQ(GetText(word, 24), L"16.0");
    Variant missing = Variant::Missing();
    CallMethod(word, 1105, {ByRef(missing), ByRef(missing), ByRef(missing)});
    word.reset();
    word.reset();
    EXPECT_FALSE(word);
    EXPECT_NO_THROW(CallMethod(word, 1105, {ByRef(missing), ByRef(missing), ByRef(missing)}));
    EXPECT_FALSE(GetObject(word, 6));
    EXPECT_EQ(Briefs(officesim::ReadLog(L"Word.Application")),
              (std::vector<std::wstring>{L"Application 24 get", L"Application 1105 method"}));

    DispatchRef none;
    EXPECT_EQ(CreateServer(L"No.Such.Application", none), CO_E_CLASSSTRING);
    EXPECT_EQ(CreateServer(L"{00000000-0000-0000-0000-00000000ABCD}", none), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(none);
}

TEST_F(Printers, TwoWordDocumentsInARowStartTwoServersAndTheSecondSavesTheRestoredDefault) {
    officesim::Behaviour failOpen;
    failOpen.failOpenMarker = L"BROKEN";
    officesim::SetBehaviour(L"Word.Application", failOpen);
    const std::wstring first = MakeDocument(L"BROKEN", DocumentKind::Word);
    const std::wstring second = MakeDocument(L"second", DocumentKind::Word);

    // One worker thread, one document after the other, as in a run.
    bool printed[2] = {};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ScopedCom com;
        ConvertClass convert(PrintOptions{kChosen, 1, kSuiteMsOffice}, nullptr);
        printed[0] = convert.Print(DocumentKind::Word, first) == PrintOutcome::Printed;
        printed[1] = convert.Print(DocumentKind::Word, second) == PrintOutcome::Printed;
        done = true;
    });
    testing_ui::PumpUntil([&] { return done.load(); }, 120000);
    worker.join();

    EXPECT_FALSE(printed[0]);
    EXPECT_TRUE(printed[1]);
    const std::vector<officesim::LoggedCall> log = officesim::ReadLog(L"Word.Application");
    std::map<DWORD, std::vector<officesim::LoggedCall>> byServer;
    std::vector<DWORD> order;
    for (const auto& call : log) {
        if (!byServer.count(call.pid)) order.push_back(call.pid);
        byServer[call.pid].push_back(call);
    }
    ASSERT_EQ(order.size(), 2u) << officesim::Describe(log);
    // Each server was told to quit.
    for (DWORD pid : order) EXPECT_EQ(officesim::Brief(byServer[pid].back()), L"Application 1105 method");
    // The second started on the chosen printer and, after printing, put back what it had
    // saved: the user's default, which the failed first document had restored.
    const auto& calls = byServer[order[1]];
    ASSERT_EQ(calls.size(), 10u) << officesim::Describe(calls);
    EXPECT_EQ(calls[0].printer, kChosen);
    EXPECT_EQ(calls[6].printer, kChosen);  // PrintOut
    EXPECT_EQ(calls[7].printer, kUserDefault);
    EXPECT_EQ(spool::WaitForJobs(FileName(second), 1, 30000).size(), 1u);
    EXPECT_TRUE(spool::FindJobs(FileName(first)).empty());
}

TEST_F(Printers, EndingTheProgramInMidDocumentPutsTheUsersDefaultBack) {
    officesim::Behaviour hang;
    hang.hangAt = L"PrintOut";
    officesim::SetBehaviour(L"Excel.Application", hang);
    const std::wstring path = MakeDocument(L"hang", DocumentKind::Excel);

    PrintingThread printing(DocumentKind::Excel, path, PrintOptions{kChosen, 1, kSuiteMsOffice});
    const bool inPrintOut = testing_ui::PumpUntil(
        [] {
            for (const auto& call : officesim::ReadLog(L"Excel.Application"))
                if (call.dispid == 2361) return true;
            return false;
        },
        60000);
    ASSERT_TRUE(inPrintOut) << officesim::Describe(officesim::ReadLog());
    EXPECT_EQ(automation_test::SystemDefault(), kChosen);

    // The UI thread, on its way out.
    RestorePendingDefaultPrinter();
    EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);

    // The worker, freed when its server goes, must not undo a default set after that.
    automation_test::SetSystemDefault(kOther);
    officesim::EndServers();
    Outcome outcome = printing.Wait(60000);
    EXPECT_FALSE(outcome.printed);
    EXPECT_EQ(automation_test::SystemDefault(), kOther);
    automation_test::SetSystemDefault(kUserDefault);
}

}  // namespace

namespace {

// Sets the watchdog's limits for one test through the variables the program reads.
class WatchdogLimitsScope {
public:
    WatchdogLimitsScope(const wchar_t* silentSeconds, const wchar_t* promptSeconds) {
        ::SetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_SECONDS", silentSeconds);
        ::SetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_PROMPT_SECONDS", promptSeconds);
    }
    ~WatchdogLimitsScope() {
        ::SetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_SECONDS", nullptr);
        ::SetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_PROMPT_SECONDS", nullptr);
    }
    WatchdogLimitsScope(const WatchdogLimitsScope&) = delete;
    WatchdogLimitsScope& operator=(const WatchdogLimitsScope&) = delete;
};

// A server that puts up a window of no known kind inside a call and then does nothing is waiting
// for a person: it is given up on after the prompt limit, long before the silent limit.
TEST_F(Printers, AWindowAndNoWorkIsGivenUpOnAtThePromptLimit) {
    constexpr DWORD kPromptMs = 2000, kSilentMs = 60000;
    WatchdogLimitsScope limits(L"60", L"2");
    const struct {
        DocumentKind kind;
        int suite;
        const wchar_t* hangAt;
    } cases[] = {
        {DocumentKind::Word, kSuiteMsOffice, L"PrintOut:dialog"},
        {DocumentKind::Excel, kSuiteWps, L"Open:dialog"},
    };
    for (const auto& c : cases) {
        const std::wstring progId = ProgId(c.kind, c.suite);
        SCOPED_TRACE(Narrow(progId + L" " + c.hangAt));
        officesim::ResetBehaviours();
        officesim::Behaviour hang;
        hang.hangAt = c.hangAt;
        officesim::SetBehaviour(progId, hang);
        const std::wstring path = MakeDocument(L"prompt-limit", c.kind);

        const Outcome outcome = Print(c.kind, path, PrintOptions{kChosen, 1, c.suite});
        EXPECT_EQ(outcome.outcome, PrintOutcome::ServerNotAnswering);
        // The server's start and the calls before the hang take a few seconds under Wine.
        EXPECT_LT(outcome.ms, kPromptMs + 10000) << "given up on after " << outcome.ms << " ms";
        EXPECT_LT(outcome.ms, kSilentMs / 2);
        EXPECT_TRUE(spool::FindJobs(FileName(path)).empty());
        ASSERT_TRUE(officesim::WaitNoServers(10000));
        officesim::WaitForGuards();
    }
}

}  // namespace
