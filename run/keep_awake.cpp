#include "run/keep_awake.h"

namespace keep_awake {

const PowerCalls& SystemCalls() {
    // Power requests came with Windows 7; looked up so that the program still starts without.
    static const PowerCalls calls = [] {
        PowerCalls c{};
        if (HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
            c.createRequest = reinterpret_cast<decltype(c.createRequest)>(
                reinterpret_cast<void*>(::GetProcAddress(kernel, "PowerCreateRequest")));
            c.setRequest = reinterpret_cast<decltype(c.setRequest)>(
                reinterpret_cast<void*>(::GetProcAddress(kernel, "PowerSetRequest")));
            c.clearRequest = reinterpret_cast<decltype(c.clearRequest)>(
                reinterpret_cast<void*>(::GetProcAddress(kernel, "PowerClearRequest")));
        }
        if (!c.createRequest || !c.setRequest || !c.clearRequest) c.createRequest = nullptr;
        c.closeHandle = &::CloseHandle;
        c.setThreadExecutionState = &::SetThreadExecutionState;
        return c;
    }();
    return calls;
}

PowerCalls& Calls() {
    static PowerCalls calls = SystemCalls();
    return calls;
}

bool SystemRequired::Acquire(const wchar_t* reason) {
    if (Held()) return true;
    const PowerCalls& calls = Calls();
    if (calls.createRequest) {
        REASON_CONTEXT context{};
        context.Version = POWER_REQUEST_CONTEXT_VERSION;
        context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
        context.Reason.SimpleReasonString = const_cast<wchar_t*>(reason);
        HANDLE request = calls.createRequest(&context);
        if (request && request != INVALID_HANDLE_VALUE) {
            if (calls.setRequest(request, PowerRequestSystemRequired)) {
                m_request = request;
                return true;
            }
            calls.closeHandle(request);
        }
    }
    m_threadState = calls.setThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
    return m_threadState;
}

void SystemRequired::Release() {
    const PowerCalls& calls = Calls();
    if (m_request) {
        calls.clearRequest(m_request, PowerRequestSystemRequired);
        calls.closeHandle(m_request);
        m_request = nullptr;
    }
    if (m_threadState) {
        calls.setThreadExecutionState(ES_CONTINUOUS);
        m_threadState = false;
    }
}

}  // namespace keep_awake
