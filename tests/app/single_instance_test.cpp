// Two real processes of the program under the single-instance rule.
#include <gtest/gtest.h>

#include <string>

#include "common/texts.h"
#include "support/program.h"
#include "support/ui.h"

using testing_program::ChildProcess;
using testing_program::ProgramPath;

namespace {

int CountMainWindows() {
    int n = 0;
    ::EnumWindows(
        [](HWND hwnd, LPARAM p) -> BOOL {
            if (::IsWindowVisible(hwnd) && testing_ui::WindowText(hwnd) == texts::kMainTitle) ++*reinterpret_cast<int*>(p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

}  // namespace

TEST(SingleInstance, SecondLaunchBringsTheFirstForwardAndEnds) {
    ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
    ChildProcess first;
    ASSERT_TRUE(first.Start(ProgramPath())) << "cannot start " << testing::PrintToString(ProgramPath());
    HWND mainWindow = nullptr;
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return (mainWindow = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; }, 20000));

    DWORD owner = 0;
    ::GetWindowThreadProcessId(mainWindow, &owner);
    ASSERT_EQ(owner, first.Id());

    // Something else has the foreground when the second launch happens.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    testing_ui::PumpUntil([&] {
        ::SetForegroundWindow(other);
        return ::GetForegroundWindow() == other;
    }, 3000);
    ASSERT_EQ(::GetForegroundWindow(), other);

    ChildProcess second;
    ASSERT_TRUE(second.Start(ProgramPath()));
    EXPECT_EQ(second.Wait(20000), 0) << "the second instance ends by itself";
    testing_ui::Pump(300);
    EXPECT_EQ(CountMainWindows(), 1) << "only the first instance has a window";
    EXPECT_EQ(::GetForegroundWindow(), mainWindow) << "the running window comes to the front";
    EXPECT_LT(first.Wait(0), 0) << "the first instance keeps running";

    // Enter asks, as every way out does; Yes ends the first instance.
    ::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(testing_program::AnswerBox(first.Id(), L"您确定要退出吗 ?", IDYES, 10000));
    EXPECT_GE(first.Wait(20000), 0);
    ::DestroyWindow(other);
}
