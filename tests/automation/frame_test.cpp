// The parts of the automation frame that need no office server: the version gate and the
// default-printer swap against the real spooler.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "automation/convert_class.h"
#include "automation/default_printer.h"
#include "automation/server_process.h"
#include "automation/watchdog.h"
#include "printing.h"

namespace {

TEST(VersionGate, ReadsTheLeadingDecimalNumberLikeWcstol) {
    struct Case {
        const wchar_t* text;
        long major;
        bool passes;
    };
    const Case cases[] = {
        {L"16.0", 16, true},      {L"12.0", 12, true},  {L"11.0", 11, false}, {L"  14.0", 14, true},
        {L"+12", 12, true},       {L"-16.0", -16, false}, {L"", 0, false},    {L"v16", 0, false},
        {L"120.5 beta", 120, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MajorVersion(c.text), c.major) << "version text \"" << testing::PrintToString(std::wstring(c.text)) << "\"";
        EXPECT_EQ(PassesVersionGate(c.text), c.passes) << testing::PrintToString(std::wstring(c.text));
    }
}

// When the watchdog gives up, at the shipped limits (60 s silent, 10 s with a new window, 3 s
// after a stop): idle time, window, stop, call time, time since the stop.
TEST(Watchdog, GivesUpOnlyOnAServerThatDoesNoWork) {
    const WatchdogLimits limits;
    struct Case {
        const char* name;
        ServerActivity activity;
        bool givesUp;
    } cases[] = {
        {"working for minutes", {0, true, false, 300000, 0}, false},
        {"silent, not yet", {59999, false, false, 59999, 0}, false},
        {"silent for the limit", {60000, false, false, 60000, 0}, true},
        {"a new window, not yet", {9999, true, false, 9999, 0}, false},
        {"a new window and no work", {10000, true, false, 10000, 0}, true},
        {"stopped, within the grace", {0, false, true, 60000, 2999}, false},
        {"stopped, past the grace, working", {0, true, true, 60000, 3000}, true},
        {"a call that began after the stop", {0, false, true, 2000, 9000}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(ShouldGiveUp(c.activity, limits), c.givesUp) << c.name;
}

// Whether a job on the chosen queue, read twice during a call, shows the server's work: only
// a job of this user's (or of nobody the spooler names) that arrived after the server started
// and grows between the reads. Job 7 was queued before the start.
TEST(Watchdog, OnlyTheRunsOwnJobsShowTheServersWork) {
    const std::vector<DWORD> before = {7};
    const std::wstring me = L"Alice";
    struct Case {
        const char* name;
        DWORD id;
        const wchar_t* user;
        DWORD firstSize, secondSize, firstPages, secondPages;
        bool work;
    } cases[] = {
        {"ours, growing", 9, L"alice", 100, 4196, 0, 0, true},
        {"ours, printing its pages", 9, L"Alice", 4196, 4196, 0, 1, true},
        {"ours, standing still", 9, L"Alice", 4196, 4196, 1, 1, false},
        {"no user named, growing", 9, L"", 100, 4196, 0, 0, true},
        {"another user's, growing", 9, L"bob", 100, 4196, 0, 0, false},
        {"this user's, queued before the start, growing", 7, L"Alice", 100, 4196, 0, 0, false},
        {"another user's, queued before the start, growing", 7, L"bob", 100, 4196, 0, 1, false},
    };
    for (const Case& c : cases) {
        const ULONGLONG first = OwnJobsProgress({{c.id, c.user, c.firstSize, c.firstPages}}, before, me);
        const ULONGLONG second = OwnJobsProgress({{c.id, c.user, c.secondSize, c.secondPages}}, before, me);
        EXPECT_EQ(first != second, c.work) << c.name;
    }
    // A job of ours that arrives is work too; one of another's is not.
    EXPECT_NE(OwnJobsProgress({}, before, me), OwnJobsProgress({{9, me, 0, 0}}, before, me));
    EXPECT_EQ(OwnJobsProgress({}, before, me), OwnJobsProgress({{9, L"bob", 0, 0}}, before, me));
}

// An object of this process that fills its exceptions in only when asked, as servers built on
// the standard dispatch helpers may. Across processes the proxy's stub asks on the server's side
// (Wine hands the server's pointer over instead), so only an object in the caller's process
// shows what the caller does with an exception it has to ask for.
class LateExceptions final : public IDispatch {
public:
    int busy = 0;          // calls turned away as busy first
    WORD wCode = 0;        // the error as a number, or
    HRESULT scode = S_OK;  // as a code
    int calls = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* info, UINT*) override {
        ++calls;
        s_current = this;
        *info = EXCEPINFO{};
        info->pfnDeferredFillIn = busy-- > 0 ? &FillBusy : &FillError;
        return DISP_E_EXCEPTION;
    }

private:
    static HRESULT STDAPICALLTYPE FillBusy(EXCEPINFO* info) {
        info->scode = RPC_E_SERVERCALL_RETRYLATER;
        info->pfnDeferredFillIn = nullptr;
        return S_OK;
    }
    static HRESULT STDAPICALLTYPE FillError(EXCEPINFO* info) {
        info->bstrDescription = ::SysAllocString(L"Cannot open the document.");
        info->scode = s_current->scode;
        info->wCode = s_current->wCode;
        info->pfnDeferredFillIn = nullptr;
        return S_OK;
    }
    static inline LateExceptions* s_current = nullptr;
};

TEST(Dispatch, AnExceptionFilledInLateIsReadOnceItIsFilledIn) {
    struct Case {
        const char* name;
        int busy;
        WORD wCode;
        HRESULT scode;
        HRESULT cause;
        int calls;
    } cases[] = {
        {"a code", 0, 0, HRESULT(0x800A1520), HRESULT(0x800A1520), 1},
        {"a number in place of a code", 0, 5408, S_OK, HRESULT(0x800A1520), 1},
        {"neither", 0, 0, S_OK, DISP_E_EXCEPTION, 1},
        {"busy twice, then a code", 2, 0, E_ACCESSDENIED, E_ACCESSDENIED, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LateExceptions object;
        object.busy = c.busy;
        object.wCode = c.wCode;
        object.scode = c.scode;
        object.AddRef();
        const DispatchRef ref(&object);
        try {
            CallMethod(ref, 1);
            ADD_FAILURE() << "no error";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.hr, c.cause) << std::hex << e.hr;
            EXPECT_EQ(e.description, L"Cannot open the document.");
        }
        EXPECT_EQ(object.calls, c.calls);
    }
}

// Which processes that came up during a server start are the run's own. The program (1) and
// the system's COM launcher (2) start servers; the user's shell (3) ran before the start.
TEST(ServerProcesses, TheRunOwnsOnlyWhatWasStartedForItsActivation) {
    const std::vector<ProcessEntry> before = {{1, 0, L"tavrolin.exe"}, {2, 0, L"svchost.exe"}, {3, 0, L"explorer.exe"},
                                              {30, 1, L"powerpnt.exe"}, {40, 3, L"excel.exe"}};
    const std::vector<DWORD> launchers = {1, 2};
    struct Case {
        const char* name;
        std::vector<ProcessEntry> seen;
        std::vector<DWORD> carried;
        std::vector<std::wstring> hints;
        std::vector<DWORD> own;
    } cases[] = {
        {"started by the COM launcher", {{10, 2, L"winword.exe"}}, {}, {}, {10}},
        {"started by the program itself", {{10, 1, L"winword.exe"}}, {}, {}, {10}},
        {"a launcher that ended, its server and that server's helper",
         {{10, 1, L"wpsoffice.exe"}, {11, 10, L"wps.exe"}, {12, 11, L"wpscloudsvr.exe"}}, {}, {}, {10, 11, 12}},
        {"listed child first", {{11, 10, L"et.exe"}, {10, 2, L"wpsoffice.exe"}}, {}, {}, {10, 11}},
        {"the user's own copy started from the shell meanwhile",
         {{10, 2, L"excel.exe"}, {20, 3, L"excel.exe"}}, {}, {L"excel.exe"}, {10}},
        {"a child of the user's running copy", {{21, 40, L"excel.exe"}}, {}, {L"excel.exe"}, {}},
        {"an unseen launcher's server, registered name", {{11, 99, L"excel.exe"}}, {}, {L"excel.exe"}, {11}},
        {"an unseen launcher's server, other name", {{11, 99, L"wps.exe"}}, {}, {L"wpsoffice.exe"}, {}},
        {"a helper of one an earlier start brought up", {{50, 30, L"helper.exe"}}, {30}, {}, {50}},
        {"one an earlier start brought up is not the new start's by itself", {}, {30}, {}, {}},
        {"nothing came up", {}, {}, {L"powerpnt.exe"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProcessOrigin origin{before, c.seen, launchers, c.carried, c.hints};
        std::vector<DWORD> own = OwnProcesses(origin);
        std::sort(own.begin(), own.end());
        EXPECT_EQ(own, c.own);
    }
}

// The queues the test set-up creates; the CUPS default is none of the names used here first.
const std::wstring kUserDefault = L"Tavrolin-A";
const std::wstring kChosen = L"测试打印机";
const std::wstring kOther = L"Tavrolin-B";

TEST(DefaultPrinter, ReadsWhatTheSpoolerHasAsDefault) {
    automation_test::SystemDefaultScope scope(kChosen);
    EXPECT_EQ(ReadDefaultPrinter(), kChosen);
    MakeDefaultPrinter(kUserDefault);
    EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);
}

TEST(DefaultPrinter, SwapPutsTheUsersDefaultBackOnceFromWhicheverThreadComesFirst) {
    automation_test::SystemDefaultScope scope(kUserDefault);
    {
        DefaultPrinterSwap swap(kChosen);
        EXPECT_EQ(swap.saved(), kUserDefault);
        EXPECT_EQ(automation_test::SystemDefault(), kChosen);

        // The UI thread ends the program while the document is out.
        std::thread ui([] { RestorePendingDefaultPrinter(); });
        ui.join();
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);

        // Whatever happens to the default afterwards is no longer ours to undo.
        MakeDefaultPrinter(kOther);
        swap.Restore();
        EXPECT_EQ(automation_test::SystemDefault(), kOther);
    }
    EXPECT_EQ(automation_test::SystemDefault(), kOther) << "the swap restored twice";
    RestorePendingDefaultPrinter();
    EXPECT_EQ(automation_test::SystemDefault(), kOther);

    // Without the UI thread, leaving the scope is enough.
    MakeDefaultPrinter(kUserDefault);
    { DefaultPrinterSwap swap(kChosen); }
    EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);
}

// SetDefaultPrinterW cannot put "none" back (given no name it keeps or picks a printer), so
// the swap has to: after the document, there is again no default printer.
TEST(DefaultPrinter, NoDefaultBeforeIsNoneAfterFromEitherThread) {
    automation_test::SystemDefaultScope scope(kUserDefault);
    for (bool fromUiThread : {false, true}) {
        SCOPED_TRACE(fromUiThread ? "restored by the UI thread" : "restored by the swap");
        automation_test::ClearSystemDefault();
        {
            DefaultPrinterSwap swap(kChosen);
            EXPECT_EQ(swap.saved(), L"");
            EXPECT_EQ(automation_test::SystemDefault(), kChosen);
            if (fromUiThread) {
                std::thread ui([] { RestorePendingDefaultPrinter(); });
                ui.join();
                EXPECT_EQ(automation_test::SystemDefault(), L"");
            }
        }
        EXPECT_EQ(automation_test::SystemDefault(), L"");
        EXPECT_EQ(ReadDefaultPrinter(), L"");
    }
}

}  // namespace
