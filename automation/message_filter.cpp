#include "automation/message_filter.h"

#include <ole2.h>

bool IsBusyRejection(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

DWORD RetryDelay(DWORD elapsedMs) {
    return elapsedMs < kBusyRetryLimitMs ? kBusyRetryDelayMs : static_cast<DWORD>(-1);
}

// Owned by its ScopedBusyRetryFilter, which outlives its registration: reference counting has
// nothing to free.
class ScopedBusyRetryFilter::Filter final : public IMessageFilter {
public:
    explicit Filter(const std::atomic<bool>* cancel) : m_cancel(cancel) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // The worker serves no objects of its own; incoming calls are taken as they come.
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }

    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD tickCount, DWORD rejectType) override {
        if (rejectType != SERVERCALL_RETRYLATER) return static_cast<DWORD>(-1);
        return RetryDelay(tickCount);
    }

    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return m_cancel && m_cancel->load() ? PENDINGMSG_CANCELCALL : PENDINGMSG_WAITDEFPROCESS;
    }

private:
    const std::atomic<bool>* m_cancel;
};

ScopedBusyRetryFilter::ScopedBusyRetryFilter(const std::atomic<bool>* cancel) : m_filter(new Filter(cancel)) {
    m_registered = SUCCEEDED(::CoRegisterMessageFilter(m_filter, &m_previous));
}

ScopedBusyRetryFilter::~ScopedBusyRetryFilter() {
    if (m_registered) {
        IMessageFilter* ours = nullptr;
        ::CoRegisterMessageFilter(m_previous, &ours);
        if (m_previous) m_previous->Release();
    }
    delete m_filter;
}
