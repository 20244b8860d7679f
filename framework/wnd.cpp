#include "framework/framework.h"

#include <exception>

const MessageMap* CWnd::GetMessageMap() const {
    static const MessageMap map{nullptr, {}};
    return &map;
}

std::wstring CWnd::GetWindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring CWnd::GetWindowText() const { return GetWindowText(m_hWnd); }

RECT CWnd::GetClientRect() const {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

int CWnd::MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const {
    return ::MessageBoxW(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

bool CWnd::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (const MessageEntry& e : map->entries) {
            if (e.message != message) continue;
            if (message == WM_COMMAND && (e.id != id || e.code != code)) continue;
            std::optional<LRESULT> r = e.invoke(this, wParam, lParam);
            if (!r) return false;
            result = *r;
            return e.then == Then::Done;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------

namespace {
// The few dialog messages whose result is the dialog procedure's return value itself;
// every other result goes through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

INT_PTR DialogReturn(HWND hwnd, UINT message, LRESULT result) {
    if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
}  // namespace

CDialogEx::~CDialogEx() {
    if (!m_modal && m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

const MessageMap* CDialogEx::GetMessageMap() const {
    static const MessageMap map{CWnd::GetMessageMap(), {}};
    return &map;
}

INT_PTR CDialogEx::DoModal() {
    m_modal = true;
    HWND owner = m_parent ? m_parent : AfxGetMainWnd();
    INT_PTR r = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                  &CDialogEx::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return r;
}

bool CDialogEx::Create(HWND parent) {
    m_modal = false;
    HWND owner = parent ? parent : m_parent;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                &CDialogEx::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialogEx::EndDialog(int result) {
    m_result = result;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::ShowWindow(m_hWnd, SW_HIDE);
}

INT_PTR CALLBACK CDialogEx::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialogEx* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogEx*>(lParam);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialogEx*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialogEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception may cross the window procedure; a handler that throws is a bug, and
    // ending here is better than unwinding through the system's frames.
    try {
        if (message == WM_INITDIALOG) {
            DoDataExchange();
            return OnInitDialog();
        }
        LRESULT result = 0;
        if (DispatchMessageMap(message, wParam, lParam, result)) return DialogReturn(m_hWnd, message, result);
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case IDOK: OnOK(); return TRUE;
            case IDCANCEL: OnCancel(); return TRUE;
            default: break;
            }
        }
        return FALSE;
    } catch (...) {
        std::terminate();
    }
}
