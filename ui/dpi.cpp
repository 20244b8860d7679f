#include "ui/dpi.h"

#include <commctrl.h>

#include <cwchar>

namespace dpi {

namespace {
// Looked up at run time: Windows 7 has neither.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogDpiChangeDisableAll = 1;  // DDC_DISABLE_ALL

template <typename Fn>
Fn User32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    return _wcsicmp(cls, name) == 0;
}
}  // namespace

UINT ForWindow(HWND hwnd) {
    static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && hwnd)
        if (UINT d = getDpiForWindow(hwnd)) return d;
    WindowDC dc(hwnd);
    const int d = dc ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return d > 0 ? static_cast<UINT>(d) : kBase;
}

void DialogScaler::Attach(HWND dialog) {
    m_dpi = ForWindow(dialog);
    static const auto setBehaviour = User32<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
    if (setBehaviour) setBehaviour(dialog, kDialogDpiChangeDisableAll, kDialogDpiChangeDisableAll);
}

void DialogScaler::OnDpiChanged(HWND dialog, WPARAM wParam, LPARAM lParam) {
    const UINT newDpi = HIWORD(wParam);
    const UINT oldDpi = m_dpi;
    if (newDpi && newDpi != oldDpi) {
        auto scale = [&](LONG v) { return ::MulDiv(v, static_cast<int>(newDpi), static_cast<int>(oldDpi)); };

        // The controls' font at the new size: the one the dialog manager made from the
        // template, or ours from the last change.
        HFONT current = m_font ? m_font.get() : reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        FontHandle font;
        if (current && ::GetObjectW(current, sizeof(lf), &lf)) {
            lf.lfHeight = scale(lf.lfHeight);
            lf.lfWidth = scale(lf.lfWidth);
            font = FontHandle(::CreateFontIndirectW(&lf));
        }

        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            ::GetWindowRect(child, &r);
            // A combo box's height is that of its opened list.
            if (IsClass(child, WC_COMBOBOXW)) {
                RECT dropped{};
                if (::SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
                    r.bottom = r.top + (dropped.bottom - dropped.top);
            }
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            if (font) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
            ::SetWindowPos(child, nullptr, scale(r.left), scale(r.top), scale(r.right) - scale(r.left),
                           scale(r.bottom) - scale(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
            if (IsClass(child, WC_LISTVIEWW)) {
                HWND header = reinterpret_cast<HWND>(::SendMessageW(child, LVM_GETHEADER, 0, 0));
                const int columns = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
                for (int c = 0; c < columns; ++c) {
                    const LONG width = static_cast<LONG>(::SendMessageW(child, LVM_GETCOLUMNWIDTH, c, 0));
                    ::SendMessageW(child, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(scale(width), 0));
                }
            }
        }
        // The old font goes only now that no control uses it.
        if (font) m_font = std::move(font);
        m_dpi = newDpi;
    }
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace dpi
