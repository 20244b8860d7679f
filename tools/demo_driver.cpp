// Plays the headless demo on a running Tavrolin through its real user interface, the way a
// person would: adds documents with the file dialog, picks a printer and copies, presses
// "开始打印" and waits for the run to end. Not part of the product.
//
//   demo_driver.exe run <printer> <copies> <path>...   add the paths, print, wait for the end
//   demo_driver.exe start <printer> <copies> <path>... add the paths, print, return once it runs
//   demo_driver.exe stop <handled>                     once <handled> rows are done, "停止打印"
//   demo_driver.exe front                              the window on top, its stop control showing
//   demo_driver.exe wait                               until the run has ended
//   demo_driver.exe menu                               the list's shortcut menu on its first row
//   demo_driver.exe dismiss                            the shortcut menu closed again
//   demo_driver.exe close                              end the program (Enter, then Yes)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/resource.h"
#include "common/texts.h"

namespace {

bool WaitFor(const auto& done, DWORD ms) {
    for (ULONGLONG end = ::GetTickCount64() + ms; ::GetTickCount64() < end; ::Sleep(100))
        if (done()) return true;
    return done();
}

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = {};
    ::GetClassNameW(h, name, 64);
    return name;
}

// The file dialog: a visible dialog window owned by the main window.
HWND FindOwnedDialog(HWND owner) {
    struct Search { HWND owner, found; } s{owner, nullptr};
    ::EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (::GetWindow(h, GW_OWNER) == s->owner && ::IsWindowVisible(h) && ClassOf(h) == L"#32770") {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindEdit(HWND parent) {
    struct Search { HWND found; } s{nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) -> BOOL {
            if (ClassOf(h) == L"Edit" && ::IsWindowVisible(h)) {
                reinterpret_cast<Search*>(p)->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void Press(HWND dlg, int id) {
    ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, id)));
}

bool AddWithFileDialog(HWND main, const std::wstring& path) {
    Press(main, IDC_ADD_FILES);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindOwnedDialog(main)) != nullptr; }, 20000)) return false;
    HWND edit = nullptr;
    if (!WaitFor([&] { return (edit = FindEdit(dialog)) != nullptr; }, 5000)) return false;
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(dialog, IDOK);
    return WaitFor([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 20000);
}

bool SelectItem(HWND main, int box, const std::wstring& text) {
    return ::SendMessageW(::GetDlgItem(main, box), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(text.c_str())) != CB_ERR;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; }, 30000)) {
        fwprintf(stderr, L"demo: the main window did not appear\n");
        return 1;
    }
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    if (verb == L"close") {
        // Enter asks whether to exit; the question is a message box owned by the main window.
        Press(main, IDOK);
        HWND question = nullptr;
        if (!WaitFor([&] { return (question = FindOwnedDialog(main)) != nullptr; }, 10000)) return 1;
        Press(question, IDYES);
        return 0;
    }
    if (verb == L"stop" && argc > 2) {
        // The count beside the indicator says how far the run got; the stop then says it stops.
        const std::wstring prefix = std::wstring(texts::kHandledStart) + argv[2] + texts::kHandledOf;
        auto text = [](HWND h) {
            wchar_t buffer[64] = {};
            ::GetWindowTextW(h, buffer, 64);
            return std::wstring(buffer);
        };
        if (!WaitFor([&] { return text(::GetDlgItem(main, IDC_RUN_COUNT)).starts_with(prefix); }, 120000)) return 1;
        Press(main, IDC_STOP_RUN);
        return WaitFor([&] { return text(::GetDlgItem(main, IDC_STOP_RUN)) == texts::kStopping; }, 10000) ? 0 : 1;
    }
    if (verb == L"front") {
        // The office application's progress window may stand over ours: ours goes on top, and it
        // is there once the screen shows ours at the stop control's middle (the control itself, or
        // the window for it, since a disabled control is passed over).
        HWND stop = ::GetDlgItem(main, IDC_STOP_RUN);
        ::SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(main);
        return WaitFor(
                   [&] {
                       RECT r{};
                       if (!stop || !::IsWindowVisible(stop) || !::GetWindowRect(stop, &r)) return false;
                       const HWND at = ::WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
                       return at == stop || at == main;
                   },
                   5000)
                   ? 0
                   : 1;
    }
    if (verb == L"wait")
        return WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(main, IDC_START)) != FALSE; }, 300000) ? 0 : 1;
    if (verb == L"menu" || verb == L"dismiss") {
        HWND list = ::GetDlgItem(main, IDC_DOCUMENT_LIST);
        if (verb == L"dismiss") {
            // The open shortcut menu goes as Esc makes it go.
            if (HWND menu = ::FindWindowW(L"#32768", nullptr)) ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            return 0;
        }
        // The first row chosen with Home and the shortcut menu asked for from the keyboard
        // (Shift+F10). Only messages without pointers cross into the program's process.
        ::PostMessageW(list, WM_KEYDOWN, VK_HOME, 0x00470001);
        ::PostMessageW(list, WM_KEYUP, VK_HOME, 0xC0470001);
        ::PostMessageW(main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
        return WaitFor([] { return ::FindWindowW(L"#32768", nullptr) != nullptr; }, 10000) ? 0 : 1;
    }
    if ((verb != L"run" && verb != L"start") || argc < 5) {
        fwprintf(stderr, L"usage: demo_driver run|start <printer> <copies> <path>... | stop <handled> | front | wait | menu | dismiss | close\n");
        return 2;
    }
    for (int i = 4; i < argc; ++i)
        if (!AddWithFileDialog(main, argv[i])) fwprintf(stderr, L"demo: could not add %ls\n", argv[i]);
    if (!SelectItem(main, IDC_PRINTER, argv[2])) fwprintf(stderr, L"demo: no printer %ls\n", argv[2]);
    SelectItem(main, IDC_COPIES, argv[3]);

    HWND start = ::GetDlgItem(main, IDC_START);
    Press(main, IDC_START);
    if (!WaitFor([&] { return !::IsWindowEnabled(start); }, 10000)) {
        fwprintf(stderr, L"demo: the run did not start\n");
        return 1;
    }
    if (verb == L"start") return 0;
    if (!WaitFor([&] { return ::IsWindowEnabled(start) != FALSE; }, 300000)) {
        fwprintf(stderr, L"demo: the run did not end\n");
        return 1;
    }
    return 0;
}
