// officesim through real COM: each role's whole cycle with its exact log, real print
// jobs in the CUPS capture, wrong calls, and every failure behaviour seen from a client.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <list>
#include <map>
#include <thread>

#include "client.h"
#include "support/files.h"
#include "support/officesim_control.h"
#include "support/officesim_documents.h"
#include "support/officesim_log.h"
#include "support/spool_capture.h"

using namespace officesim_test;
using officesim::LoggedCall;
using testing_files::TempDocument;

namespace {

using officesim::Line;
using officesim::Lines;
using testing_files::Narrow;

class Officesim : public FreshServers {
protected:
    // Creates the server and returns it with its process id (from its first logged call).
    IDispatch* Start(const std::wstring& progId) {
        IDispatch* app = nullptr;
        HRESULT hr = Create(progId, &app);
        EXPECT_EQ(hr, S_OK) << "creating " << Narrow(progId);
        return app;
    }

    static DWORD ServerPid(const std::wstring& progId) {
        auto calls = officesim::ReadLog(progId);
        return calls.empty() ? 0 : calls.front().pid;
    }
};

// ---- Whole cycles, as the printing code drives them ----

class WordCycle : public Officesim, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(WordCycle, AnswersAndLogsEveryCallAndPrints) {
    const std::wstring progId = GetParam();
    TempDocument file(L"word-cycle", L".docx");
    IDispatch* app = Start(progId);
    ASSERT_NE(app, nullptr);

    CallTable table;
    CallResult version, docs, opened, printed, closed, quit;
    table.Call(app, L"Application", 24, kGet, {}, version);
    EXPECT_EQ(version.hr, S_OK);
    EXPECT_EQ(version.Text(), L"16.0");
    table.Call(app, L"Application", 6, kGet, {}, docs);
    IDispatch* documents = docs.TakeObject();
    ASSERT_NE(documents, nullptr) << std::hex << docs.hr;
    table.Call(documents, L"Documents", 19, kMethod,
               Join({Str(file.Path(), true), I2(0, true), I2(1, true), I2(0, true)}, Repeat(Missing(true), 12)), opened);
    IDispatch* document = opened.TakeObject();
    ASSERT_NE(document, nullptr) << std::hex << opened.hr << " " << Narrow(opened.Description());
    table.Call(document, L"Document", 446, kMethod,
               Join(Join(Join({I2(0, true)}, Repeat(Missing(true), 6)), {I4(2, true), Missing(true), I4(0, true), I2(0, true)}),
                    Repeat(Missing(true), 7)),
               printed);
    EXPECT_EQ(printed.hr, S_OK) << Narrow(printed.Description());
    table.Call(document, L"Document", 1105, kMethod, Repeat(Missing(true), 3), closed);
    EXPECT_EQ(closed.hr, S_OK);
    document->Release();
    documents->Release();
    table.Call(app, L"Application", 1105, kMethod, Repeat(Missing(true), 3), quit);
    EXPECT_EQ(quit.hr, S_OK);
    DWORD pid = ServerPid(progId);
    app->Release();
    EXPECT_TRUE(WaitProcessGone(pid, 10000)) << "the server outlived Quit";

    const std::wstring printer = officesim::DefaultPrinter();
    auto calls = officesim::ReadLog(progId);
    EXPECT_EQ(Lines(calls), Lines(table.Made()));
    for (const LoggedCall& call : calls) {
        EXPECT_EQ(call.result, L"0x00000000") << Narrow(Line(call));
        EXPECT_EQ(call.printer, printer);
        EXPECT_EQ(call.pid, pid);
    }

    auto jobs = spool::WaitForJobs(file.Name(), 1, 30000);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].queue, printer);
    EXPECT_EQ(jobs[0].title, file.Name());
    EXPECT_EQ(jobs[0].copies, 2);
    EXPECT_NE(jobs[0].data.find(Narrow(file.Path())), std::string::npos) << "the page names the document";
}

INSTANTIATE_TEST_SUITE_P(Roles, WordCycle, ::testing::Values(L"Word.Application", L"kWps.Application"));

class ExcelCycle : public Officesim, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(ExcelCycle, AnswersAndLogsEveryCallAndPrints) {
    const std::wstring progId = GetParam();
    TempDocument file(L"excel-cycle", L".xlsx");
    IDispatch* app = Start(progId);
    ASSERT_NE(app, nullptr);

    CallTable table;
    CallResult version, visible, user, books, opened, printed, calc, calcSave, alerts, closed, quit;
    table.Call(app, L"Application", 392, kGet, {}, version);
    EXPECT_EQ(version.Text(), L"16.0");
    table.Call(app, L"Application", 558, kPut, {Bool(false)}, visible);
    table.Call(app, L"Application", 1210, kPut, {Bool(false)}, user);
    table.Call(app, L"Application", 572, kGet, {}, books);
    IDispatch* workbooks = books.TakeObject();
    ASSERT_NE(workbooks, nullptr) << std::hex << books.hr;
    table.Call(workbooks, L"Workbooks", 1923, kMethod, Join({Str(file.Path()), Missing(), I2(1)}, Repeat(Missing(), 12)),
               opened);
    IDispatch* workbook = opened.TakeObject();
    ASSERT_NE(workbook, nullptr) << std::hex << opened.hr << " " << Narrow(opened.Description());
    table.Call(workbook, L"Workbook", 2361, kMethod, Join({Missing(), Missing(), I4(2), I2(0)}, Repeat(Missing(), 5)),
               printed);
    EXPECT_EQ(printed.hr, S_OK) << Narrow(printed.Description());
    table.Call(app, L"Application", 316, kPut, {I4(-4135)}, calc);
    table.Call(app, L"Application", 315, kPut, {Bool(false)}, calcSave);
    table.Call(app, L"Application", 343, kPut, {Bool(false)}, alerts);
    table.Call(workbooks, L"Workbooks", 277, kMethod, {}, closed);
    workbook->Release();
    workbooks->Release();
    table.Call(app, L"Application", 302, kMethod, {}, quit);
    DWORD pid = ServerPid(progId);
    app->Release();
    EXPECT_TRUE(WaitProcessGone(pid, 10000)) << "the server outlived Quit";

    auto calls = officesim::ReadLog(progId);
    EXPECT_EQ(Lines(calls), Lines(table.Made()));
    for (const LoggedCall& call : calls) EXPECT_EQ(call.result, L"0x00000000") << Narrow(Line(call));

    auto jobs = spool::WaitForJobs(file.Name(), 1, 30000);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].copies, 2);
}

INSTANTIATE_TEST_SUITE_P(Roles, ExcelCycle, ::testing::Values(L"Excel.Application", L"ket.Application"));

// Microsoft PowerPoint is only released; WPS Presentation is told to quit. Both end.
class PowerPointCycle : public Officesim, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(PowerPointCycle, AnswersAndLogsEveryCallAndPrints) {
    const std::wstring progId = GetParam();
    const bool wps = progId == L"kwpp.Application";
    TempDocument file(L"ppt-cycle", L".pptx");
    IDispatch* app = Start(progId);
    ASSERT_NE(app, nullptr);

    CallTable table;
    CallResult pres, opened, printed, closed, quit;
    table.Call(app, L"Application", 2001, kGet, {}, pres);
    IDispatch* presentations = pres.TakeObject();
    ASSERT_NE(presentations, nullptr) << std::hex << pres.hr;
    long flag = wps ? -1 : 0;
    table.Call(presentations, L"Presentations", 2005, kMethod, {Str(file.Path()), I4(flag), I4(flag), I4(flag)}, opened);
    IDispatch* presentation = opened.TakeObject();
    ASSERT_NE(presentation, nullptr) << std::hex << opened.hr << " " << Narrow(opened.Description());
    table.Call(presentation, L"Presentation", 2034, kMethod, {I4(-1), I4(-1), Str(L""), I4(2), I4(-1)}, printed);
    EXPECT_EQ(printed.hr, S_OK) << Narrow(printed.Description());
    table.Call(presentation, L"Presentation", 2039, kMethod, {}, closed);
    presentation->Release();
    presentations->Release();
    if (wps) table.Call(app, L"Application", 2021, kMethod, {}, quit);
    DWORD pid = ServerPid(progId);
    app->Release();
    EXPECT_TRUE(WaitProcessGone(pid, 10000)) << "the server outlived its last client";

    EXPECT_EQ(Lines(officesim::ReadLog(progId)), Lines(table.Made()));

    auto jobs = spool::WaitForJobs(file.Name(), 1, 30000);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].copies, 2);
}

INSTANTIATE_TEST_SUITE_P(Roles, PowerPointCycle, ::testing::Values(L"PowerPoint.Application", L"kwpp.Application"));

// ---- Printing on a chosen queue ----

TEST_F(Officesim, PrintOutGoesToTheDefaultPrinterOfThatMomentWithItsCopies) {
    const std::wstring queue = L"测试打印机";
    TempDocument file(L"三份", L".docx");
    IDispatch* app = Start(L"Word.Application");
    ASSERT_NE(app, nullptr);
    CallResult docs, opened, printed;
    Call(app, 6, kGet, {}, docs);
    IDispatch* documents = docs.TakeObject();
    ASSERT_NE(documents, nullptr);
    Call(documents, 19, kMethod, Join({Str(file.Path(), true)}, Repeat(Missing(true), 15)), opened);
    IDispatch* document = opened.TakeObject();
    ASSERT_NE(document, nullptr);
    {
        // Made the default after the server started: PrintOut reads it when it prints.
        officesim::DefaultPrinterScope chosen(queue);
        ASSERT_EQ(officesim::DefaultPrinter(), queue);
        Call(document, 446, kMethod, Join(Repeat(Missing(true), 7), Join({I4(3, true)}, Repeat(Missing(true), 10))),
             printed);
        EXPECT_EQ(printed.hr, S_OK) << Narrow(printed.Description());
    }
    document->Release();
    documents->Release();
    app->Release();

    auto jobs = spool::WaitForJobs(file.Name(), 1, 30000);
    Sleep(1000);  // a second, stray job would show up by now
    jobs = spool::FindJobs(file.Name());
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].queue, queue);
    EXPECT_EQ(jobs[0].copies, 3) << "cups copies " << jobs[0].cupsCopies << ", data copies " << jobs[0].dataCopies;
    auto calls = officesim::ReadLog(L"Word.Application");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].printer, queue);
}

// ---- Pages ----

// Word's PrintOut with the page arguments at their positions (Range 3, From 5, To 6).
std::vector<Arg> WordPrintOut(const Arg& range, const Arg& from, const Arg& to) {
    return Join({I2(0, true), Missing(true), range, Missing(true), from, to, Missing(true), I4(1, true), Missing(true),
                 I4(0, true), I2(0, true)},
                Repeat(Missing(true), 7));
}
std::vector<Arg> ExcelPrintOut(const Arg& from, const Arg& to) {
    return Join({from, to, I4(1), I2(0)}, Repeat(Missing(), 5));
}
std::vector<Arg> PowerPointPrintOut(long from, long to) { return {I4(from), I4(to), Str(L""), I4(1), I4(-1)}; }

struct PageCase {
    const char* what;
    const wchar_t* progId;
    int documentPages;  // the document's pages trait
    std::vector<Arg> printOut;
    HRESULT expected;
    UINT argErr;               // for DISP_E_TYPEMISMATCH: index in DISPPARAMS order
    std::vector<int> printed;  // the pages the job holds; none: no job
};

// A document's pages (a workbook's printed pages, a presentation's slides) come from its
// traits; PrintOut prints those asked for, each page marked with its number, takes the page
// arguments only in the types the applications take, and prints what exists of a range that
// runs past the end.
TEST_F(Officesim, PrintOutPrintsThePagesAskedForInTheTypesEachApplicationTakes) {
    const Arg rm = Missing(true), m = Missing();
    const std::vector<PageCase> cases = {
        {"Word, every page", L"Word.Application", 5, WordPrintOut(rm, rm, rm), S_OK, 0, {1, 2, 3, 4, 5}},
        {"Word, From-To as text", L"kWps.Application", 5, WordPrintOut(I4(3, true), Str(L"2", true), Str(L"3", true)), S_OK, 0,
         {2, 3}},
        {"Word, From-To without the range: every page", L"Word.Application", 5,
         WordPrintOut(rm, Str(L"2", true), Str(L"3", true)), S_OK, 0, {1, 2, 3, 4, 5}},
        {"Word, To past the end", L"Word.Application", 5, WordPrintOut(I4(3, true), Str(L"4", true), Str(L"9", true)), S_OK,
         0, {4, 5}},
        {"Word, From past the end", L"Word.Application", 1, WordPrintOut(I4(3, true), Str(L"2", true), Str(L"3", true)),
         S_OK, 0, {}},
        {"Word, From as a number", L"Word.Application", 5, WordPrintOut(I4(3, true), I4(2, true), Str(L"3", true)),
         DISP_E_TYPEMISMATCH, 13, {}},
        {"Word, To before From", L"Word.Application", 5, WordPrintOut(I4(3, true), Str(L"3", true), Str(L"2", true)),
         DISP_E_EXCEPTION, 0, {}},
        {"Excel, From-To", L"ket.Application", 3, ExcelPrintOut(I4(2), I4(3)), S_OK, 0, {2, 3}},
        {"Excel, To alone", L"Excel.Application", 3, ExcelPrintOut(m, I2(2)), S_OK, 0, {1, 2}},
        {"Excel, From as text", L"Excel.Application", 3, ExcelPrintOut(Str(L"2"), I4(3)), DISP_E_TYPEMISMATCH, 8, {}},
        {"Excel, From 0", L"Excel.Application", 3, ExcelPrintOut(I4(0), I4(3)), DISP_E_EXCEPTION, 0, {}},
        {"PowerPoint, every slide", L"kwpp.Application", 4, PowerPointPrintOut(-1, -1), S_OK, 0, {1, 2, 3, 4}},
        {"PowerPoint, slides 2-3", L"PowerPoint.Application", 4, PowerPointPrintOut(2, 3), S_OK, 0, {2, 3}},
        {"PowerPoint, slides past the end", L"PowerPoint.Application", 4, PowerPointPrintOut(5, 6), S_OK, 0, {}},
        {"PowerPoint, slide 0", L"PowerPoint.Application", 4, PowerPointPrintOut(0, 3), DISP_E_EXCEPTION, 0, {}},
    };
    struct Server {
        IDispatch* app = nullptr;
        IDispatch* collection = nullptr;
        CallTable table;
    };
    std::map<std::wstring, Server> servers;
    std::list<officesim::TraitDocument> files;
    std::vector<std::pair<const PageCase*, std::wstring>> printed;
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring progId = c.progId;
        const bool word = progId == L"Word.Application" || progId == L"kWps.Application";
        const bool excel = progId == L"Excel.Application" || progId == L"ket.Application";
        const wchar_t* collectionName = word ? L"Documents" : excel ? L"Workbooks" : L"Presentations";
        Server& server = servers[progId];
        if (!server.app) {
            server.app = Start(progId);
            ASSERT_NE(server.app, nullptr);
            CallResult coll;
            server.table.Call(server.app, L"Application", word ? 6 : excel ? 572 : 2001, kGet, {}, coll);
            server.collection = coll.TakeObject();
            ASSERT_NE(server.collection, nullptr);
        }
        const officesim::TraitDocument& file = files.emplace_back(
            L"pages", word ? L".docx" : excel ? L".xlsx" : L".pptx", L"pages=" + std::to_wstring(c.documentPages));
        CallResult opened, result;
        if (word)
            server.table.Call(server.collection, collectionName, 19, kMethod,
                              Join({Str(file.Path(), true)}, Repeat(Missing(true), 15)), opened);
        else if (excel)
            server.table.Call(server.collection, collectionName, 1923, kMethod,
                              Join({Str(file.Path())}, Repeat(Missing(), 14)), opened);
        else
            server.table.Call(server.collection, collectionName, 2005, kMethod, {Str(file.Path()), I4(0), I4(0), I4(0)},
                              opened);
        IDispatch* document = opened.TakeObject();
        ASSERT_NE(document, nullptr) << Narrow(opened.Description());
        server.table.Call(document, word ? L"Document" : excel ? L"Workbook" : L"Presentation",
                          word ? 446 : excel ? 2361 : 2034, kMethod, c.printOut, result);
        document->Release();
        EXPECT_EQ(result.hr, c.expected) << std::hex << result.hr << " " << Narrow(result.Description());
        if (c.expected == DISP_E_TYPEMISMATCH) {
            EXPECT_EQ(result.argErr, c.argErr);
        }
        printed.emplace_back(&c, file.Name());
    }
    // Every call is in the log with its page arguments as they were passed.
    for (auto& [progId, server] : servers) {
        EXPECT_EQ(Lines(officesim::ReadLog(progId)), Lines(server.table.Made())) << Narrow(progId);
        server.collection->Release();
        server.app->Release();
    }
    for (const auto& [c, name] : printed) {
        SCOPED_TRACE(c->what);
        if (c->printed.empty()) continue;
        auto jobs = spool::WaitForJobs(name, 1, 30000);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].pages, int(c->printed.size()));
        EXPECT_EQ(jobs[0].documentPages, c->printed);
    }
    // The others' jobs came in the meantime; none of these has one.
    for (const auto& [c, name] : printed) {
        if (c->printed.empty()) {
            EXPECT_TRUE(spool::FindJobs(name).empty()) << c->what;
        }
    }
}

// ---- Wrong calls fail the way a real server fails them ----

struct WrongCall {
    const char* what;
    const wchar_t* progId;
    int target;  // 0 application, 1 collection
    DISPID id;
    WORD kind;
    std::vector<Arg> args;
    HRESULT expected;
    UINT argErr;  // for DISP_E_TYPEMISMATCH: index in DISPPARAMS order
};

TEST_F(Officesim, WrongCallsFailLoudly) {
    const std::vector<WrongCall> cases = {
        {"unknown DISPID", L"Word.Application", 0, 9999, kGet, {}, DISP_E_MEMBERNOTFOUND, 0},
        {"a get called as put", L"Word.Application", 0, 24, kPut, {Str(L"17.0")}, DISP_E_MEMBERNOTFOUND, 0},
        {"Quit with two arguments", L"Word.Application", 0, 1105, kMethod, Repeat(Missing(true), 2),
         DISP_E_BADPARAMCOUNT, 0},
        {"Open with 15 arguments", L"Word.Application", 1, 19, kMethod, Repeat(Missing(true), 15),
         DISP_E_BADPARAMCOUNT, 0},
        {"Word's Open by value", L"Word.Application", 1, 19, kMethod, Repeat(Missing(), 16), DISP_E_TYPEMISMATCH, 15},
        {"Excel's Visible as I2", L"Excel.Application", 0, 558, kPut, {I2(0)}, DISP_E_TYPEMISMATCH, 0},
        {"Excel's Open path by reference", L"Excel.Application", 1, 1923, kMethod,
         Join({Str(L"C:\\x.xls", true)}, Repeat(Missing(), 14)), DISP_E_TYPEMISMATCH, 14},
        {"PowerPoint's ReadOnly as I2", L"PowerPoint.Application", 1, 2005, kMethod,
         {Str(L"C:\\x.ppt"), I2(0), I4(0), I4(0)}, DISP_E_TYPEMISMATCH, 2},
        {"Word's Documents on Excel", L"Excel.Application", 0, 6, kGet, {}, DISP_E_MEMBERNOTFOUND, 0},
    };
    std::map<std::wstring, IDispatch*> apps;
    std::map<std::wstring, IDispatch*> collections;
    const std::map<std::wstring, DISPID> collectionIds = {
        {L"Word.Application", 6}, {L"Excel.Application", 572}, {L"PowerPoint.Application", 2001}};
    for (const WrongCall& c : cases) {
        SCOPED_TRACE(c.what);
        if (!apps.count(c.progId)) {
            apps[c.progId] = Start(c.progId);
            ASSERT_NE(apps[c.progId], nullptr);
            CallResult coll;
            Call(apps[c.progId], collectionIds.at(c.progId), kGet, {}, coll);
            collections[c.progId] = coll.TakeObject();
            ASSERT_NE(collections[c.progId], nullptr);
        }
        CallResult r;
        Call(c.target == 0 ? apps[c.progId] : collections[c.progId], c.id, c.kind, c.args, r);
        EXPECT_EQ(r.hr, c.expected) << std::hex << r.hr;
        if (c.expected == DISP_E_TYPEMISMATCH) {
            EXPECT_EQ(r.argErr, c.argErr);
        }
    }
    // The log shows the wrong calls with what they were answered.
    auto calls = officesim::ReadLog(L"Word.Application");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(Line(calls[1]), L"Application 9999 get");
    EXPECT_EQ(calls[1].result, L"0x80020003");
    for (auto& [id, object] : collections) object->Release();
    for (auto& [id, object] : apps) object->Release();
}

// ---- Failure behaviours ----

TEST_F(Officesim, OpenOfAMissingOrMarkedPathRaisesAnAutomationError) {
    TempDocument marked(L"mark-FAILME", L".xlsx");
    officesim::Behaviour b;
    b.failOpenMarker = L"FAILME";
    officesim::SetBehaviour(L"Excel.Application", b);
    officesim::SetBehaviour(L"Word.Application", b);

    struct Case {
        const wchar_t* progId;
        std::wstring path;
        HRESULT scode;
    };
    const std::vector<Case> cases = {
        {L"Word.Application", L"C:\\no\\such\\file.docx", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
        {L"Excel.Application", L"C:\\missing-officesim.xlsx", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
        {L"Excel.Application", marked.Path(), E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        IDispatch* app = Start(c.progId);
        ASSERT_NE(app, nullptr);
        const bool word = std::wstring(c.progId) == L"Word.Application";
        CallResult coll, opened;
        Call(app, word ? 6 : 572, kGet, {}, coll);
        IDispatch* collection = coll.TakeObject();
        ASSERT_NE(collection, nullptr);
        if (word)
            Call(collection, 19, kMethod, Join({Str(c.path, true)}, Repeat(Missing(true), 15)), opened);
        else
            Call(collection, 1923, kMethod, Join({Str(c.path)}, Repeat(Missing(), 14)), opened);
        EXPECT_EQ(opened.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(opened.excep.scode, c.scode) << std::hex << opened.excep.scode;
        EXPECT_NE(opened.Description().find(c.path), std::wstring::npos) << Narrow(opened.Description());
        EXPECT_EQ(opened.value.vt, VT_EMPTY);
        collection->Release();
        app->Release();
    }
}

TEST_F(Officesim, FailingPrintOutRaisesAndPrintsNothing) {
    officesim::Behaviour b;
    b.failPrintOut = true;
    officesim::SetBehaviour(L"kwpp.Application", b);
    TempDocument file(L"no-print", L".pptx");
    IDispatch* app = Start(L"kwpp.Application");
    ASSERT_NE(app, nullptr);
    CallResult pres, opened, printed;
    Call(app, 2001, kGet, {}, pres);
    IDispatch* presentations = pres.TakeObject();
    ASSERT_NE(presentations, nullptr);
    Call(presentations, 2005, kMethod, {Str(file.Path()), I4(-1), I4(-1), I4(-1)}, opened);
    IDispatch* presentation = opened.TakeObject();
    ASSERT_NE(presentation, nullptr);
    Call(presentation, 2034, kMethod, {I4(-1), I4(-1), Str(L""), I4(1), I4(-1)}, printed);
    EXPECT_EQ(printed.hr, DISP_E_EXCEPTION);
    EXPECT_FALSE(printed.Description().empty());
    presentation->Release();
    presentations->Release();
    app->Release();
    Sleep(2000);
    EXPECT_TRUE(spool::FindJobs(file.Name()).empty());
}

TEST_F(Officesim, VersionTextIsWhatTheTestAskedFor) {
    officesim::Behaviour b;
    b.version = L"11.0";
    officesim::SetBehaviour(L"Word.Application", b);
    IDispatch* app = Start(L"Word.Application");
    ASSERT_NE(app, nullptr);
    CallResult version;
    Call(app, 24, kGet, {}, version);
    EXPECT_EQ(version.Text(), L"11.0");
    app->Release();
}

TEST_F(Officesim, CrashAtAMemberIsSeenAsADisconnectedServer) {
    officesim::Behaviour b;
    b.crashAt = L"Workbooks";
    officesim::SetBehaviour(L"ket.Application", b);
    IDispatch* app = Start(L"ket.Application");
    ASSERT_NE(app, nullptr);
    CallResult visible, books;
    Call(app, 558, kPut, {Bool(false)}, visible);
    EXPECT_EQ(visible.hr, S_OK);
    DWORD pid = ServerPid(L"ket.Application");
    Call(app, 572, kGet, {}, books);
    const HRESULT disconnected[] = {RPC_E_DISCONNECTED, RPC_E_SERVER_DIED, RPC_E_SERVER_DIED_DNE,
                                    HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE),
                                    HRESULT_FROM_WIN32(RPC_S_CALL_FAILED)};
    EXPECT_NE(std::find(std::begin(disconnected), std::end(disconnected), books.hr), std::end(disconnected))
        << std::hex << books.hr;
    EXPECT_TRUE(WaitProcessGone(pid, 5000));
    auto calls = officesim::ReadLog(L"ket.Application");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].result, L"crash");
    app->Release();
}

TEST_F(Officesim, HangAtAMemberNeverReturnsUntilTheServerIsEnded) {
    officesim::Behaviour b;
    b.hangAt = L"Document.PrintOut";
    officesim::SetBehaviour(L"kWps.Application", b);
    TempDocument file(L"hang", L".docx");
    std::atomic<HRESULT> printHr = S_OK;
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The client runs on its own apartment so that this thread can watch it block.
    std::thread client([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IDispatch* app = nullptr;
        if (SUCCEEDED(Create(L"kWps.Application", &app))) {
            CallResult docs, opened, printed;
            Call(app, 6, kGet, {}, docs);
            if (IDispatch* documents = docs.TakeObject()) {
                Call(documents, 19, kMethod, Join({Str(file.Path(), true)}, Repeat(Missing(true), 15)), opened);
                if (IDispatch* document = opened.TakeObject()) {
                    SetEvent(started);
                    Call(document, 446, kMethod, Repeat(Missing(true), 18), printed);
                    printHr = printed.hr;
                    document->Release();
                }
                documents->Release();
            }
            app->Release();
        }
        SetEvent(started);
        CoUninitialize();
    });
    ASSERT_EQ(WaitForSingleObject(started, 30000), WAIT_OBJECT_0);
    Sleep(2000);
    auto calls = officesim::ReadLog(L"kWps.Application");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].result, L"hang");
    EXPECT_EQ(printHr.load(), S_OK) << "the call came back";  // still blocked
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, calls[2].pid);
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 1);
    CloseHandle(process);
    client.join();
    CloseHandle(started);
    EXPECT_TRUE(FAILED(printHr.load())) << std::hex << printHr.load();
}

TEST_F(Officesim, BusyServerRejectsTheFirstCalls) {
    officesim::Behaviour b;
    b.busyCalls = 2;
    officesim::SetBehaviour(L"Excel.Application", b);
    IDispatch* app = Start(L"Excel.Application");
    ASSERT_NE(app, nullptr);
    CallResult first, second, third;
    Call(app, 392, kGet, {}, first);
    Call(app, 392, kGet, {}, second);
    Call(app, 392, kGet, {}, third);
    EXPECT_EQ(first.hr, RPC_E_CALL_REJECTED) << std::hex << first.hr;
    EXPECT_EQ(second.hr, RPC_E_CALL_REJECTED) << std::hex << second.hr;
    EXPECT_EQ(third.hr, S_OK) << std::hex << third.hr;
    EXPECT_EQ(third.Text(), L"16.0");
    EXPECT_EQ(officesim::ReadLog(L"Excel.Application").size(), 1u) << "rejected calls never reach the server";
    app->Release();
}

TEST_F(Officesim, UnregisteredProgIdIsNotInstalled) {
    struct Restore {
        ~Restore() { officesim::Register(L"kwpp.Application"); }
    } restore;
    ASSERT_TRUE(officesim::Unregister(L"kwpp.Application"));
    IDispatch* app = nullptr;
    EXPECT_EQ(Create(L"kwpp.Application", &app), CO_E_CLASSSTRING);
    EXPECT_EQ(app, nullptr);
    ASSERT_TRUE(officesim::Register(L"kwpp.Application"));
    EXPECT_EQ(Create(L"kwpp.Application", &app), S_OK);
    if (app) app->Release();
}

}  // namespace
