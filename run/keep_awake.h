// Keeps the system from sleeping while a run prints (the display may still go off). A power
// request when the system has them, else the thread's execution state; the calls go through a
// table that a test can replace to see them.
#pragma once

#include <windows.h>

namespace keep_awake {

struct PowerCalls {
    HANDLE(WINAPI* createRequest)(REASON_CONTEXT* context);  // null: the system has no power requests
    BOOL(WINAPI* setRequest)(HANDLE request, POWER_REQUEST_TYPE type);
    BOOL(WINAPI* clearRequest)(HANDLE request, POWER_REQUEST_TYPE type);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    EXECUTION_STATE(WINAPI* setThreadExecutionState)(EXECUTION_STATE state);
};

// The system's own functions; the power-request ones looked up in kernel32 at first use.
const PowerCalls& SystemCalls();
// What the program calls: the system's unless a test has put its own in.
PowerCalls& Calls();

// Held from Acquire to Release (or destruction), on the thread that acquired it: the
// execution-state fallback belongs to that thread.
class SystemRequired {
public:
    SystemRequired() = default;
    ~SystemRequired() { Release(); }
    SystemRequired(const SystemRequired&) = delete;
    SystemRequired& operator=(const SystemRequired&) = delete;

    // `reason` is what the system's list of requests shows. False when neither way worked.
    bool Acquire(const wchar_t* reason);
    void Release();
    bool Held() const { return m_request != nullptr || m_threadState; }

private:
    HANDLE m_request = nullptr;
    bool m_threadState = false;
};

}  // namespace keep_awake
