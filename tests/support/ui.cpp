#include "support/ui.h"

#include <map>

namespace testing_ui {

void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Keyboard navigation of modeless dialogs, as a modal loop would do it.
            HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (root && ClassName(root) == L"#32770" && ::IsDialogMessageW(root, &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (::GetTickCount64() >= end) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::wstring WindowText(HWND hwnd) {
    int n = ::GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    return name;
}

ModalBox Describe(HWND box) {
    ModalBox b;
    b.hwnd = box;
    b.owner = ::GetWindow(box, GW_OWNER);
    b.caption = WindowText(box);
    if (HWND text = ::GetDlgItem(box, 0xFFFF)) b.text = WindowText(text);
    // The message box's icon control (id 0x440) is shown only when an icon was asked for.
    if (HWND icon = ::GetDlgItem(box, 0x440))
        b.hasIcon = (::GetWindowLongW(icon, GWL_STYLE) & WS_VISIBLE) && ::SendMessageW(icon, STM_GETICON, 0, 0);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) != L"Button") continue;
        if (!(::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
        b.buttons.push_back(WindowText(child));
        b.buttonIds.push_back(::GetDlgCtrlID(child));
    }
    return b;
}

namespace {
ModalResponder* g_responder = nullptr;
std::map<UINT_PTR, std::pair<HWND, int>> g_pending;
}  // namespace

ModalResponder::ModalResponder(Decide decide) : m_decide(std::move(decide)) {
    g_responder = this;
    m_hook = ::SetWindowsHookExW(WH_CBT, &ModalResponder::Hook, nullptr, ::GetCurrentThreadId());
}

ModalResponder::~ModalResponder() {
    ::UnhookWindowsHookEx(m_hook);
    g_responder = nullptr;
}

LRESULT CALLBACK ModalResponder::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_responder) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        if (ClassName(hwnd) == L"#32770" && ::GetWindow(hwnd, GW_OWNER) != nullptr) g_responder->Record(hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void ModalResponder::Record(HWND hwnd) {
    for (const ModalBox& b : m_boxes)
        if (b.hwnd == hwnd) return;  // activated again after an inner box closed
    m_boxes.push_back(Describe(hwnd));
    int answer = m_decide(m_boxes.back());
    // Answer once the box runs its own loop, not from inside its activation.
    UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &ModalResponder::Answer);
    g_pending[timer] = {hwnd, answer};
}

void CALLBACK ModalResponder::Answer(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    auto it = g_pending.find(timer);
    if (it == g_pending.end()) return;
    auto [hwnd, answer] = it->second;
    g_pending.erase(it);
    if (!::IsWindow(hwnd)) return;
    if (answer == 0) return;  // 0: leave the box open; the test closes it itself
    HWND button = ::GetDlgItem(hwnd, answer);
    ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace testing_ui
