// The parts of the automation frame that need no office server: the version gate and the
// default-printer swap against the real spooler.
#include <gtest/gtest.h>

#include <thread>

#include "automation/convert_class.h"
#include "automation/default_printer.h"
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
