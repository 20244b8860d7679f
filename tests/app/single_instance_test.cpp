// Two real processes of the program under the single-instance rule.
#include <gtest/gtest.h>

#include <string>

#include "app/texts.h"
#include "support/ui.h"

namespace {

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.resize(dir.find_last_of(L'\\'));          // .../build/tests
    dir.resize(dir.find_last_of(L'\\'));          // .../build
    return dir + L"\\tavrolin.exe";
}

struct Process {
    PROCESS_INFORMATION pi{};
    bool Start(const std::wstring& exe) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\"";
        return ::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    }
    bool Wait(DWORD ms) { return ::WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
    ~Process() {
        if (pi.hProcess) {
            if (!Wait(0)) ::TerminateProcess(pi.hProcess, 1);
            ::CloseHandle(pi.hProcess);
            ::CloseHandle(pi.hThread);
        }
    }
};

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
    Process first;
    ASSERT_TRUE(first.Start(ProgramPath())) << "cannot start " << testing::PrintToString(ProgramPath());
    HWND mainWindow = nullptr;
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return (mainWindow = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; }, 20000));

    DWORD owner = 0;
    ::GetWindowThreadProcessId(mainWindow, &owner);
    ASSERT_EQ(owner, first.pi.dwProcessId);

    // Something else has the foreground when the second launch happens.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    testing_ui::PumpUntil([&] {
        ::SetForegroundWindow(other);
        return ::GetForegroundWindow() == other;
    }, 3000);
    ASSERT_EQ(::GetForegroundWindow(), other);

    Process second;
    ASSERT_TRUE(second.Start(ProgramPath()));
    EXPECT_TRUE(second.Wait(20000)) << "the second instance ends by itself";
    DWORD code = 1234;
    ::GetExitCodeProcess(second.pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    testing_ui::Pump(300);
    EXPECT_EQ(CountMainWindows(), 1) << "only the first instance has a window";
    EXPECT_EQ(::GetForegroundWindow(), mainWindow) << "the running window comes to the front";
    EXPECT_FALSE(first.Wait(0)) << "the first instance keeps running";

    // Enter ends the first instance without a question.
    ::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(first.Wait(20000));
    ::DestroyWindow(other);
}
