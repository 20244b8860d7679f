// Test entry point: the test thread is a single-threaded apartment with OLE
// (drag and drop, shell dialogs) and the common controls loaded, like the program's UI thread.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <gtest/gtest.h>

namespace {
// Every test starts with the window's remembered choices of a new machine: a test that pressed
// 开始打印 on another printer must not choose the next test's printer.
class ForgetRememberedChoices : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrolin\\Settings");
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tavrolin\\Settings");
    }
};
}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ForgetRememberedChoices);
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), 0xFF};
    InitCommonControlsEx(&icc);
    int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
