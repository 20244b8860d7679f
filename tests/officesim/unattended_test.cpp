// What a real office application does to an unattended run, modelled per document: prompts
// that wait for a person, background printing, long prints, hangs, and the shared PowerPoint
// process. Each prompt is seen from outside, as a watchdog would see it: a window of the
// server process and a call that has not come back.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "client.h"
#include "support/files.h"
#include "support/officesim_control.h"
#include "support/officesim_documents.h"
#include "support/officesim_log.h"
#include "support/officesim_windows.h"
#include "support/spool_capture.h"

using namespace officesim_test;
using officesim::Family;

namespace {

using testing_files::Narrow;

Family FamilyOf(const std::wstring& progId) { return officesim::FindRole(progId)->family; }

// How the client drives one document: what it puts first, which Open arguments it gives
// (by declared position, 0-based), what it puts before closing, and Word's SaveChanges.
struct Form {
    std::vector<std::pair<DISPID, Arg>> puts = {};
    std::map<size_t, Arg> open = {};
    std::vector<std::pair<DISPID, Arg>> putsBeforeClose = {};
    Arg saveChanges = Missing(true);
};

std::vector<Arg> OpenArgs(Family family, const std::wstring& path, const std::map<size_t, Arg>& given) {
    std::vector<Arg> args;
    switch (family) {
    case Family::Word:
        args = Join({Str(path, true), I2(0, true), I2(1, true), I2(0, true)}, Repeat(Missing(true), 12));
        break;
    case Family::Excel: args = Join({Str(path), Missing(), I2(1)}, Repeat(Missing(), 12)); break;
    case Family::PowerPoint: args = {Str(path), I4(0), I4(0), I4(0)}; break;
    }
    for (const auto& [at, arg] : given) args[at] = arg;
    return args;
}

std::vector<Arg> PrintArgs(Family family) {
    switch (family) {
    case Family::Word:
        return Join(Join(Join({I2(0, true)}, Repeat(Missing(true), 6)), {I4(1, true), Missing(true), I4(0, true), I2(0, true)}),
                    Repeat(Missing(true), 7));
    case Family::Excel: return Join({Missing(), Missing(), I4(1), I2(0)}, Repeat(Missing(), 5));
    case Family::PowerPoint: return {I4(-1), I4(-1), Str(L""), I4(1), I4(-1)};
    }
    return {};
}

struct Ids {
    DISPID collection, open, print, close, quit;
};

Ids IdsOf(Family family) {
    switch (family) {
    case Family::Word: return {6, 19, 446, 1105, 1105};
    case Family::Excel: return {572, 1923, 2361, 277, 302};
    case Family::PowerPoint: return {2001, 2005, 2034, 2039, 2021};
    }
    return {};
}

// Drives one document through a server on its own thread, so that the test can watch a
// call that does not come back. Stops at the first call that fails.
class Driver {
public:
    Driver(std::wstring progId, std::wstring path, Form form)
        : progId_(std::move(progId)), path_(std::move(path)), form_(std::move(form)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~Driver() {
        if (thread_.joinable()) thread_.join();
    }
    bool Done() const { return done_; }
    bool WaitDone(DWORD timeoutMs) {
        for (DWORD start = GetTickCount(); !done_; Sleep(50))
            if (GetTickCount() - start > timeoutMs) return false;
        thread_.join();
        return true;
    }
    // "open=0x00000000 print=..." for messages.
    std::string Steps() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string text;
        for (const auto& [name, hr] : steps_) {
            char hex[16];
            snprintf(hex, sizeof(hex), "0x%08lX", static_cast<unsigned long>(hr));
            text += name + "=" + hex + " ";
        }
        return text;
    }
    bool AllSucceeded() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& step : steps_)
            if (step.second != S_OK) return false;
        return !steps_.empty();
    }

private:
    bool Step(const std::string& name, HRESULT hr, const CallResult* r = nullptr) {
        std::lock_guard<std::mutex> lock(mutex_);
        steps_.push_back({r && hr != S_OK ? name + " (" + Narrow(r->Description()) + ")" : name, hr});
        return hr == S_OK;
    }
    void Run() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Drive();
        CoUninitialize();
        done_ = true;
    }
    void Drive() {
        const Family family = FamilyOf(progId_);
        const Ids ids = IdsOf(family);
        IDispatch* app = nullptr;
        if (!Step("create", Create(progId_, &app))) return;
        IDispatch *collection = nullptr, *document = nullptr;
        auto put = [&](const std::pair<DISPID, Arg>& p) {
            CallResult r;
            Call(app, p.first, kPut, {p.second}, r);
            return Step("put" + std::to_string(p.first), r.hr, &r);
        };
        bool ok = true;
        for (const auto& p : form_.puts) ok = ok && put(p);
        if (ok) {
            CallResult r;
            Call(app, ids.collection, kGet, {}, r);
            collection = r.TakeObject();
            ok = Step("collection", r.hr, &r);
        }
        if (ok) {
            CallResult r;
            Call(collection, ids.open, kMethod, OpenArgs(family, path_, form_.open), r);
            document = r.TakeObject();
            ok = Step("open", r.hr, &r);
        }
        if (ok) {
            CallResult r;
            Call(document, ids.print, kMethod, PrintArgs(family), r);
            ok = Step("print", r.hr, &r);
        }
        for (const auto& p : form_.putsBeforeClose) ok = ok && put(p);
        if (ok) {
            CallResult r;
            if (family == Family::Word) Call(document, ids.close, kMethod, {form_.saveChanges, Missing(true), Missing(true)}, r);
            else if (family == Family::Excel) Call(collection, ids.close, kMethod, {}, r);
            else Call(document, ids.close, kMethod, {}, r);
            ok = Step("close", r.hr, &r);
        }
        if (document) document->Release();
        if (collection) collection->Release();
        if (ok && progId_ != L"PowerPoint.Application") {
            CallResult r;
            if (family == Family::Word) Call(app, ids.quit, kMethod, {form_.saveChanges, Missing(true), Missing(true)}, r);
            else Call(app, ids.quit, kMethod, {}, r);
            Step("quit", r.hr, &r);
        }
        app->Release();
    }

    std::wstring progId_, path_;
    Form form_;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::mutex mutex_;
    std::vector<std::pair<std::string, HRESULT>> steps_;
};

// The log entry of the first call of progId that prompted or hung, waiting for it.
bool WaitForStall(const std::wstring& progId, DWORD timeoutMs, officesim::LoggedCall& stalled) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100)) {
        for (const auto& call : officesim::ReadLog(progId)) {
            if (call.result.rfind(L"prompt", 0) == 0 || call.result.rfind(L"hang", 0) == 0) {
                stalled = call;
                return true;
            }
        }
    }
    return false;
}

// A fresh activation of the ProgID answers: ending a stalled server left nothing stale behind.
void ExpectNextActivationWorks(const std::wstring& progId) {
    IDispatch* app = nullptr;
    HRESULT hr = Create(progId, &app);
    ASSERT_EQ(hr, S_OK) << "activating " << Narrow(progId) << " after its server was ended: " << std::hex << hr;
    CallResult r;
    Call(app, IdsOf(FamilyOf(progId)).collection, kGet, {}, r);
    EXPECT_EQ(r.hr, S_OK) << std::hex << r.hr;
    app->Release();
}

class Unattended : public FreshServers {};

const Arg kFalse = Bool(false);

// ---- Prompts: the unsafe call form waits in a window, the safe form prints ----

struct PromptCase {
    const char* what;
    const wchar_t* progId;
    const wchar_t* traits;
    Form unsafe;
    const wchar_t* prompt;  // logged result of the call that waits
    DISPID waitsIn;
    bool window;            // a window shows (a plain hang has none)
    bool hasSafeForm;
    Form safe;
};

std::vector<PromptCase> PromptCases() {
    return {
        {"Word, open password missing", L"Word.Application", L"password=secret", {}, L"prompt:password", 19, true,
         true, {{}, {{4, Str(L"secret", true)}}}},
        {"Word, write password missing", L"kWps.Application", L"writepassword=w", {}, L"prompt:writepassword", 19, true,
         true, {{}, {{7, Str(L"w", true)}}}},
        {"Excel, open password missing", L"Excel.Application", L"password=secret", {}, L"prompt:password", 1923, true,
         true, {{}, {{4, Str(L"secret")}}}},
        {"PowerPoint, password (no parameter for it)", L"PowerPoint.Application", L"password=secret", {},
         L"prompt:password", 2005, true, false, {}},
        {"Word, fields changed by printing, SaveChanges missing", L"Word.Application", L"fields", {}, L"prompt:save",
         1105, true, true, {{}, {}, {}, I4(0, true)}},
        {"Excel, fields changed, alerts on at Close", L"ket.Application", L"fields", {}, L"prompt:save", 277, true,
         true, {{}, {}, {{343, kFalse}}}},
        {"Word, auto-run macro", L"Word.Application", L"macro", {}, L"prompt:macro", 19, true, true,
         {{{449, I4(3)}}}},
        {"Excel, auto-run macro", L"Excel.Application", L"macro", {}, L"prompt:macro", 1923, true, true,
         {{{1941, I4(3)}}}},
        {"PowerPoint, auto-run macro", L"kwpp.Application", L"macro", {}, L"prompt:macro", 2005, true, true,
         {{{2047, I4(3)}}}},
        {"Excel, external links, UpdateLinks missing", L"Excel.Application", L"links", {}, L"prompt:links", 1923, true,
         true, {{}, {{1, I4(0)}}}},
        {"Excel, external links, not asked to ask", L"Excel.Application", L"links", {}, L"prompt:links", 1923, true,
         true, {{{992, kFalse}}}},
        {"a hang in PrintOut behind a window of no known kind", L"Excel.Application", L"hang=PrintOut:dialog", {},
         L"hang:dialog", 2361, true, false, {}},
        {"a hang in Close with no window", L"kWps.Application", L"hang=Document.Close", {}, L"hang", 1105, false,
         false, {}},
    };
}

TEST_F(Unattended, UnsafeCallFormWaitsInAServerWindowUntilTheServerIsEnded) {
    for (const PromptCase& c : PromptCases()) {
        SCOPED_TRACE(c.what);
        officesim::ClearLog();
        officesim::TraitDocument file(L"stall", L".doc", c.traits);
        Driver driver(c.progId, file.Path(), c.unsafe);
        officesim::LoggedCall stalled;
        ASSERT_TRUE(WaitForStall(c.progId, 30000, stalled)) << driver.Steps();
        EXPECT_EQ(stalled.result, c.prompt);
        EXPECT_EQ(stalled.dispid, c.waitsIn);
        officesim::ServerWindow window;
        if (c.window) {
            EXPECT_TRUE(officesim::WaitForServerWindow(stalled.pid, 10000, &window)) << "no window of the server";
        } else {
            Sleep(1000);
            EXPECT_TRUE(officesim::ServerWindows(stalled.pid).empty());
        }
        // Waiting, not working: the server uses no CPU and the call has not come back.
        ULONGLONG cpu = officesim::CpuMilliseconds(stalled.pid);
        Sleep(1500);
        EXPECT_LT(officesim::CpuMilliseconds(stalled.pid) - cpu, 300u);
        EXPECT_FALSE(driver.Done()) << driver.Steps();

        EXPECT_TRUE(officesim::EndServer(stalled.pid));
        ASSERT_TRUE(driver.WaitDone(30000)) << "the client stayed blocked after the server ended";
        EXPECT_FALSE(driver.AllSucceeded()) << driver.Steps();
        ExpectNextActivationWorks(c.progId);
    }
}

TEST_F(Unattended, SafeCallFormPrintsWithoutAnyPrompt) {
    for (const PromptCase& c : PromptCases()) {
        if (!c.hasSafeForm) continue;
        SCOPED_TRACE(c.what);
        officesim::ClearLog();
        officesim::TraitDocument file(L"safe", L".doc", c.traits);
        Driver driver(c.progId, file.Path(), c.safe);
        ASSERT_TRUE(driver.WaitDone(30000)) << driver.Steps();
        EXPECT_TRUE(driver.AllSucceeded()) << driver.Steps();
        for (const auto& call : officesim::ReadLog(c.progId))
            EXPECT_EQ(call.result.rfind(L"0x", 0), 0u) << "call " << call.dispid << ": " << Narrow(call.result);
        auto jobs = spool::WaitForJobs(file.Name(), 1, 30000);
        EXPECT_EQ(jobs.size(), 1u);
    }
}

TEST_F(Unattended, WrongPasswordIsAnAutomationError) {
    struct Case {
        const wchar_t* progId;
        size_t at;
        Arg password;
        HRESULT scode;
    };
    const std::vector<Case> cases = {
        {L"Word.Application", 4, Str(L"guess", true), HRESULT(0x800A1520)},
        {L"Word.Application", 7, Str(L"guess", true), HRESULT(0x800A1520)},
        {L"Excel.Application", 4, Str(L"guess"), HRESULT(0x800A03EC)},
        {L"ket.Application", 5, Str(L"guess"), HRESULT(0x800A03EC)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.progId) + " argument " + std::to_string(c.at + 1));
        officesim::TraitDocument file(L"locked", L".doc", c.at == 4 ? L"password=secret" : L"writepassword=secret");
        IDispatch* app = nullptr;
        ASSERT_EQ(Create(c.progId, &app), S_OK);
        const Family family = FamilyOf(c.progId);
        CallResult coll, opened;
        Call(app, IdsOf(family).collection, kGet, {}, coll);
        IDispatch* collection = coll.TakeObject();
        ASSERT_NE(collection, nullptr);
        Call(collection, IdsOf(family).open, kMethod, OpenArgs(family, file.Path(), {{c.at, c.password}}), opened);
        EXPECT_EQ(opened.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(opened.excep.scode, c.scode) << std::hex << opened.excep.scode;
        EXPECT_EQ(opened.value.vt, VT_EMPTY);
        collection->Release();
        app->Release();
    }
}

// A person answering the prompt lets the call go on, as with the real application.
TEST_F(Unattended, AnsweredPromptLetsTheCallFinish) {
    officesim::TraitDocument file(L"answered", L".docx", L"fields");
    Driver driver(L"Word.Application", file.Path(), {});
    officesim::LoggedCall stalled;
    ASSERT_TRUE(WaitForStall(L"Word.Application", 30000, stalled));
    ASSERT_EQ(stalled.result, L"prompt:save");
    officesim::ServerWindow window;
    ASSERT_TRUE(officesim::WaitForServerWindow(stalled.pid, 10000, &window));
    EXPECT_NE(window.text.find(file.Name()), std::wstring::npos) << Narrow(window.text);
    ASSERT_TRUE(officesim::PressButton(window.hwnd, L"不保存")) << Narrow(window.text);
    ASSERT_TRUE(driver.WaitDone(30000)) << driver.Steps();
    EXPECT_TRUE(driver.AllSucceeded()) << driver.Steps();
    EXPECT_TRUE(WaitProcessGone(stalled.pid, 10000));
}

// ---- Application settings the program puts, and a server that lacks some ----

TEST_F(Unattended, SettingsTakeTheirValuesAndRefuseOthers) {
    struct Case {
        const wchar_t* progId;
        DISPID id;
        Arg value;
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {L"Excel.Application", 316, I4(0), DISP_E_EXCEPTION},  // not an XlCalculation
        {L"Excel.Application", 316, I4(-4135), S_OK},
        {L"Excel.Application", 1941, I4(3), S_OK},
        {L"Excel.Application", 992, Bool(false), S_OK},
        {L"Excel.Application", 1212, Bool(false), S_OK},
        {L"Excel.Application", 992, I4(0), DISP_E_TYPEMISMATCH},
        {L"Word.Application", 449, I4(3), S_OK},
        {L"Word.Application", 449, I4(4), DISP_E_EXCEPTION},
        {L"Word.Application", 94, I4(0), S_OK},
        {L"PowerPoint.Application", 2047, I4(3), S_OK},
        {L"PowerPoint.Application", 2049, I4(1), S_OK},
        {L"PowerPoint.Application", 2049, I4(0), DISP_E_EXCEPTION},  // PpAlertLevel is 1 or 2, not a boolean
    };
    std::map<std::wstring, IDispatch*> apps;
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.progId) + " " + std::to_string(c.id));
        if (!apps.count(c.progId)) {
            ASSERT_EQ(Create(c.progId, &apps[c.progId]), S_OK);
        }
        IDispatch* app = apps[c.progId];
        CallResult before, put, after;
        Call(app, c.id, kGet, {}, before);
        ASSERT_EQ(before.hr, S_OK);
        Call(app, c.id, kPut, {c.value}, put);
        EXPECT_EQ(put.hr, c.expected) << std::hex << put.hr;
        Call(app, c.id, kGet, {}, after);
        const VARIANT& expected = c.expected == S_OK ? c.value.value : before.value;
        EXPECT_EQ(after.value.vt, expected.vt);
        if (expected.vt == VT_BOOL)
            EXPECT_EQ(after.value.boolVal, expected.boolVal) << "the value after the put";
        else
            EXPECT_EQ(after.value.lVal, expected.lVal) << "the value after the put";
    }
    for (auto& [progId, app] : apps) app->Release();
}

TEST_F(Unattended, MembersARoleLacksAreNotFound) {
    officesim::Behaviour older;
    older.unknownMembers = {2047, 2049};
    officesim::SetBehaviour(L"kwpp.Application", older);
    for (const wchar_t* progId : {L"kwpp.Application", L"PowerPoint.Application"}) {
        SCOPED_TRACE(Narrow(progId));
        const bool lacks = std::wstring(progId) == L"kwpp.Application";
        IDispatch* app = nullptr;
        ASSERT_EQ(Create(progId, &app), S_OK);
        CallResult security, alerts, presentations;
        Call(app, 2047, kPut, {I4(3)}, security);
        Call(app, 2049, kPut, {I4(1)}, alerts);
        Call(app, 2001, kGet, {}, presentations);
        EXPECT_EQ(security.hr, lacks ? DISP_E_MEMBERNOTFOUND : S_OK);
        EXPECT_EQ(alerts.hr, lacks ? DISP_E_MEMBERNOTFOUND : S_OK);
        EXPECT_EQ(presentations.hr, S_OK);
        app->Release();
    }
}

// ---- PowerPoint's printing: in the background, on its own printer ----

struct Presentation {
    IDispatch *app = nullptr, *presentations = nullptr, *presentation = nullptr;
    explicit Presentation(const std::wstring& path, const std::wstring& progId = L"PowerPoint.Application") {
        EXPECT_EQ(Create(progId, &app), S_OK);
        if (!app) return;
        CallResult p, o;
        Call(app, 2001, kGet, {}, p);
        presentations = p.TakeObject();
        if (!presentations) return;
        Call(presentations, 2005, kMethod, {Str(path), I4(0), I4(0), I4(0)}, o);
        presentation = o.TakeObject();
    }
    ~Presentation() {
        if (presentation) presentation->Release();
        if (presentations) presentations->Release();
        if (app) app->Release();
    }
    HRESULT PrintOptions(DISPID id, const Arg& value) {
        CallResult options, put;
        Call(presentation, 2033, kGet, {}, options);
        IDispatch* object = options.TakeObject();
        if (!object) return options.hr;
        Call(object, id, kPut, {value}, put);
        object->Release();
        return put.hr;
    }
    HRESULT Method(DISPID id, const std::vector<Arg>& args = {}) {
        CallResult r;
        Call(presentation, id, kMethod, args, r);
        return r.hr;
    }
};

TEST_F(Unattended, BackgroundPrintIsLostWhenClosedEarlyAndArrivesWhenPrintedInTheForeground) {
    struct Case {
        const char* what;
        bool foreground;
    };
    for (const Case& c : {Case{"background, closed at once", false}, Case{"PrintInBackground 0", true}}) {
        SCOPED_TRACE(c.what);
        officesim::TraitDocument file(L"spool", L".pptx", L"spool=3");
        Presentation show(file.Path());
        ASSERT_NE(show.presentation, nullptr);
        if (c.foreground) {
            ASSERT_EQ(show.PrintOptions(2010, I4(0)), S_OK);
        }
        ASSERT_EQ(show.Method(2034, {I4(-1), I4(-1), Str(L""), I4(1), I4(-1)}), S_OK);
        // In the background the job takes 3 s to spool after PrintOut returned: Close ends it.
        ASSERT_EQ(show.Method(2039), S_OK);
        auto jobs = spool::WaitForJobs(file.Name(), 1, c.foreground ? 30000 : 6000);
        EXPECT_EQ(jobs.size(), c.foreground ? 1u : 0u);
    }
}

TEST_F(Unattended, PowerPointPrintsOnItsStartPrinterOrTheOnePutInItsPrintOptions) {
    struct Case {
        const char* what;
        const wchar_t* activePrinter;  // null: not put
        const wchar_t* expectedQueue;
    };
    const std::vector<Case> cases = {
        {"default changed after start", nullptr, L"Tavrolin-B"},
        {"ActivePrinter put", L"测试打印机", L"测试打印机"},
    };
    officesim::DefaultPrinterScope start(L"Tavrolin-B");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        officesim::TraitDocument file(L"ppt-printer", L".pptx", L"");
        Presentation show(file.Path());
        ASSERT_NE(show.presentation, nullptr);
        {
            officesim::DefaultPrinterScope later(L"Tavrolin-A");
            if (c.activePrinter) {
                ASSERT_EQ(show.PrintOptions(2015, Str(c.activePrinter)), S_OK);
            }
            ASSERT_EQ(show.Method(2034, {I4(-1), I4(-1), Str(L""), I4(1), I4(-1)}), S_OK);
        }
        EXPECT_EQ(show.PrintOptions(2015, Str(L"no such printer")), DISP_E_EXCEPTION);
        auto jobs = spool::WaitForJobs(file.Name(), 1, 30000);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].queue, c.expectedQueue);
    }
}

// ---- A long print that keeps working ----

TEST_F(Unattended, LongPrintShowsItsPagesUsesCpuAndCompletes) {
    officesim::TraitDocument file(L"long-print", L".xlsx", L"print=5");
    Driver driver(L"Excel.Application", file.Path(), {});
    officesim::ServerWindow progress;
    DWORD pid = 0;
    for (DWORD start = GetTickCount(); !pid && GetTickCount() - start < 30000; Sleep(100)) {
        for (const auto& window : officesim::ServerWindows())
            if (window.text.find(L"正在打印第") != std::wstring::npos) {
                progress = window;
                pid = window.pid;
            }
    }
    ASSERT_NE(pid, 0u) << "no progress window; " << driver.Steps();
    ULONGLONG cpu = officesim::CpuMilliseconds(pid);
    Sleep(2500);
    EXPECT_FALSE(driver.Done());
    EXPECT_GT(officesim::CpuMilliseconds(pid) - cpu, 300u) << "the server is not working";
    auto windows = officesim::ServerWindows(pid);
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows[0].text, progress.text) << "the page shown did not move on: " << Narrow(progress.text);
    EXPECT_NE(windows[0].text.find(L"取消"), std::wstring::npos);
    ASSERT_TRUE(driver.WaitDone(30000));
    EXPECT_TRUE(driver.AllSucceeded()) << driver.Steps();
    auto jobs = spool::WaitForJobs(file.Name(), 1, 30000);
    ASSERT_EQ(jobs.size(), 1u);
    size_t pages = 0;
    for (size_t at = jobs[0].data.find("%officesim"); at != std::string::npos; at = jobs[0].data.find("%officesim", at + 1))
        ++pages;
    EXPECT_EQ(pages, 5u);
}

// ---- PowerPoint is one process for every client ----

TEST_F(Unattended, PowerPointServesEveryClientFromTheUsersProcess) {
    officesim::UserServer user(L"PowerPoint.Application");
    ASSERT_TRUE(user.Running());
    for (int client = 0; client < 2; ++client) {
        officesim::TraitDocument file(L"shared", L".pptx", L"");
        {
            Presentation show(file.Path());
            ASSERT_NE(show.presentation, nullptr);
            EXPECT_EQ(show.Method(2034, {I4(-1), I4(-1), Str(L""), I4(1), I4(-1)}), S_OK);
            EXPECT_EQ(show.Method(2039), S_OK);
        }
        EXPECT_EQ(spool::WaitForJobs(file.Name(), 1, 30000).size(), 1u);
    }
    for (const auto& call : officesim::ReadLog(L"PowerPoint.Application")) EXPECT_EQ(call.pid, user.Pid());
    Sleep(1000);
    EXPECT_TRUE(user.Running()) << "the user's PowerPoint ended with the clients";
    EXPECT_TRUE(user.Close());

    // A shared server ended from outside leaves the next activation working.
    officesim::UserServer killed(L"PowerPoint.Application");
    ASSERT_TRUE(killed.Running());
    EXPECT_TRUE(officesim::EndServer(killed.Pid()));
    ExpectNextActivationWorks(L"PowerPoint.Application");
}

}  // namespace
