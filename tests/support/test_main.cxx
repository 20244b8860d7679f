// Test entry point: the test thread is a single-threaded apartment with OLE
// (drag and drop, shell dialogs) and the common controls loaded, like the program's UI thread.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), 0xFF};
    InitCommonControlsEx(&icc);
    int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
