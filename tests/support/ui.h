// Helpers for driving real windows from a test thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_ui {

// Dispatches this thread's messages for about `ms` milliseconds.
void Pump(DWORD ms);
// Dispatches messages until `done` holds or `timeoutMs` has passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);

// What a modal box looked like when it came up.
struct ModalBox {
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;                  // a message box's text (static 0xFFFF), empty otherwise
    std::vector<std::wstring> buttons;  // visible push buttons, in child order
    std::vector<int> buttonIds;
    bool hasIcon = false;               // a message box showing an icon
};

// Answers every dialog box (window class #32770) that this thread activates while the
// responder lives: records it, lets `decide` look at the program's state while it is open,
// and presses the button `decide` returns (a command id such as IDOK, IDCANCEL, IDYES).
class ModalResponder {
public:
    using Decide = std::function<int(const ModalBox&)>;
    explicit ModalResponder(Decide decide);
    ~ModalResponder();
    ModalResponder(const ModalResponder&) = delete;
    ModalResponder& operator=(const ModalResponder&) = delete;

    const std::vector<ModalBox>& Boxes() const { return m_boxes; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD);
    void Record(HWND hwnd);

    Decide m_decide;
    HHOOK m_hook = nullptr;
    std::vector<ModalBox> m_boxes;
};

// Reads a modal box's controls.
ModalBox Describe(HWND box);

}  // namespace testing_ui
