// Shows the main window's dialog template and nothing else: how fast a window like ours can be
// up at all. The title is the same as the program's so that the launcher finds both alike.
#include <windows.h>
#include <commctrl.h>

#include "common/resource.h"
#include "common/texts.h"

namespace {
INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        ::SetWindowTextW(hwnd, texts::kMainTitle);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TAVROLIN_DIALOG), nullptr, Proc, 0);
    return 0;
}
