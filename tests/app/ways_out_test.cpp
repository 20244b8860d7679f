// Every way the program can end while a run is printing: the user is asked where a person is
// at the screen, and whatever they answer the machine is left as it was found: no office
// server of the run still running, the user's default printer back, the process gone within
// the worker's stop bound. No keeps the window, the list and the run.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "common/resource.h"
#include "common/texts.h"
#include "run/run_controller.h"
#include "support/officesim_control.h"
#include "support/officesim_documents.h"
#include "support/officesim_log.h"
#include "support/officesim_windows.h"
#include "support/program.h"
#include "support/spool_capture.h"
#include "support/ui.h"

using testing_program::AnswerBox;
using testing_program::BuildFolder;
using testing_program::ChildProcess;

namespace {

// How the test reaches the program, as a person or the system would.
struct Way {
    const char* name;
    void (*send)(HWND main);
    bool asks;  // the exit question comes up
};

void PressKeyInList(HWND main, WPARAM key) {
    // A key in the list goes through the dialog manager like a real key press.
    ::PostMessageW(::GetDlgItem(main, IDC_DOCUMENT_LIST), WM_KEYDOWN, key, 0);
}

const Way kWays[] = {
    {"Esc", [](HWND main) { PressKeyInList(main, VK_ESCAPE); }, true},
    {"Enter", [](HWND main) { PressKeyInList(main, VK_RETURN); }, true},
    {"close box", [](HWND main) { ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
    {"WM_CLOSE", [](HWND main) { ::PostMessageW(main, WM_CLOSE, 0, 0); }, true},
    {"log-off",
     [](HWND main) {
         DWORD_PTR allowed = 0;
         ::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &allowed);
         EXPECT_NE(allowed, 0u) << "the program lets the session end";
         ::PostMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
     },
     false},
};

class WaysOut : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
        ASSERT_TRUE(officesim::RegisterAll());
        officesim::ResetBehaviours();
        officesim::ClearLog();
        userDefault_ = officesim::DefaultPrinter();
    }
    void TearDown() override {
        officesim::EndServers();
        officesim::SetDefaultPrinter(userDefault_);
    }

    // Starts the program and a run of one Word document whose print keeps the server busy for
    // `printSeconds`; returns the main window once the server is inside PrintOut.
    HWND StartSlowRun(ChildProcess& program, const officesim::TraitDocument& document) {
        if (!program.Start(testing_program::ProgramPath())) return nullptr;
        HWND main = nullptr;
        if (!testing_ui::PumpUntil([&] { return (main = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; },
                                   30000))
            return nullptr;
        ChildProcess driver;
        if (!driver.Start(BuildFolder() + L"\\demo_driver.exe", L"start " + chosen_ + L" 1 \"" + document.Path() + L"\"") ||
            driver.Wait(120000) != 0)
            return nullptr;
        // The server shows its printing progress while PrintOut works (and logs the call only
        // when it ends).
        const bool printing = testing_ui::PumpUntil([] { return !officesim::ServerWindows().empty(); }, 60000);
        return printing ? main : nullptr;
    }

    std::wstring userDefault_;
    const std::wstring chosen_ = L"Tavrolin-A";
};

TEST_F(WaysOut, EveryWayOutDuringARunStopsTheWorkerAndLeavesTheMachineAsItWas) {
    ASSERT_NE(chosen_, userDefault_);
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.name);
        officesim::ClearLog();
        officesim::TraitDocument document(L"way-out", L".docx", L"print=60");
        ChildProcess program;
        HWND main = StartSlowRun(program, document);
        ASSERT_NE(main, nullptr) << "the run did not reach PrintOut";
        EXPECT_EQ(officesim::DefaultPrinter(), chosen_) << "the run had swapped the default printer";

        way.send(main);
        if (way.asks) {
            EXPECT_TRUE(AnswerBox(program.Id(), texts::kConfirmExit, IDYES, 10000)) << "no exit question";
        }
        // The bound of the worker's stop, and the time a process takes to go.
        const ULONGLONG start = ::GetTickCount64();
        EXPECT_GE(program.Wait(kStopWaitMs + 5000), 0) << "the program did not end within its bound";
        std::printf("[ timing ] %s: ended %llu ms after the answer\n", way.name, ::GetTickCount64() - start);

        EXPECT_TRUE(officesim::WaitNoServers(5000)) << "an office server of the run was left running";
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault_) << "the user's default printer was not put back";
        EXPECT_TRUE(spool::FindJobs(document.Name()).empty()) << "the stopped document was not meant to print";
    }
}

TEST_F(WaysOut, NoKeepsTheWindowTheListAndTheRun) {
    const Way* asking[] = {&kWays[0], &kWays[1]};  // Esc, Enter
    for (const Way* way : asking) {
        SCOPED_TRACE(way->name);
        officesim::ClearLog();
        officesim::TraitDocument document(L"way-no", L".docx", L"print=3");
        ChildProcess program;
        HWND main = StartSlowRun(program, document);
        ASSERT_NE(main, nullptr) << "the run did not reach PrintOut";

        way->send(main);
        EXPECT_TRUE(AnswerBox(program.Id(), texts::kConfirmExit, IDNO, 10000));
        // The run goes on to its end: the document prints and the controls come back.
        HWND start = ::GetDlgItem(main, IDC_START);
        EXPECT_TRUE(testing_ui::PumpUntil([&] { return ::IsWindowEnabled(start) != FALSE; }, 60000));
        EXPECT_LT(program.Wait(0), 0) << "No keeps the program";
        EXPECT_EQ(::SendMessageW(::GetDlgItem(main, IDC_DOCUMENT_LIST), LVM_GETITEMCOUNT, 0, 0), 1);
        EXPECT_EQ(spool::WaitForJobs(document.Name(), 1, 30000).size(), 1u);
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault_);

        // Enter then Yes, with no run going, ends it as before.
        PressKeyInList(main, VK_RETURN);
        EXPECT_TRUE(AnswerBox(program.Id(), texts::kConfirmExit, IDYES, 10000));
        EXPECT_GE(program.Wait(10000), 0);
    }
}

}  // namespace
