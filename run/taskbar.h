// The run on the window's taskbar button: progress, the error colour, and a flash at the end.
// Every call goes through one function that a test can redirect to see the calls in order.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <functional>

#include "framework/scoped.h"

namespace taskbar {

struct Call {
    enum Kind { Progress, State, Flash } kind;
    ULONGLONG done = 0;               // Progress
    ULONGLONG total = 0;              // Progress
    TBPFLAG state = TBPF_NOPROGRESS;  // State
    bool operator==(const Call&) const = default;
};

using Recorder = std::function<void(HWND window, const Call& call)>;

// Sends every call to `recorder` instead of the shell for the object's lifetime.
class Redirect {
public:
    explicit Redirect(Recorder recorder);
    ~Redirect();
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

private:
    Recorder m_previous;
};

// One window's button. The shell's taskbar object is made on first use, on the window's
// thread; where the shell has none (no taskbar, or a system before Windows 7) the progress
// calls do nothing and the flash still works.
class Button {
public:
    void Attach(HWND window) { m_window = window; }
    void Show(const Call& call);
    void Progress(ULONGLONG done, ULONGLONG total) { Show({Call::Progress, done, total}); }
    void State(TBPFLAG state) { Show({Call::State, 0, 0, state}); }
    void Flash() { Show({Call::Flash}); }

private:
    HWND m_window = nullptr;
    ComPtr<ITaskbarList3> m_list;
    bool m_tried = false;
};

}  // namespace taskbar
