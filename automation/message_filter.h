// Office applications reject calls while they are busy, above all right after they start.
// A rejected call is tried again for a bounded time before it counts as failed.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <atomic>

// How long a rejected call keeps being retried, in milliseconds since it was first made.
inline constexpr DWORD kBusyRetryLimitMs = 60000;
inline constexpr DWORD kBusyRetryDelayMs = 100;

// True for the results a busy server answers with.
bool IsBusyRejection(HRESULT hr);

// The retry decision in IMessageFilter terms: the delay before the next try, or (DWORD)-1
// to give up, for a call that has been rejected for `elapsedMs`.
DWORD RetryDelay(DWORD elapsedMs);

// Registers the retrying message filter on this thread's apartment for its lifetime and
// puts the previous filter back afterwards. The apartment must be initialised. While `cancel`
// is set, an outgoing call that is waiting when a message arrives is cancelled
// (RPC_E_CALL_CANCELED): the way out of a call a server will never answer.
class ScopedBusyRetryFilter {
public:
    explicit ScopedBusyRetryFilter(const std::atomic<bool>* cancel = nullptr);
    ~ScopedBusyRetryFilter();
    ScopedBusyRetryFilter(const ScopedBusyRetryFilter&) = delete;
    ScopedBusyRetryFilter& operator=(const ScopedBusyRetryFilter&) = delete;

    bool registered() const { return m_registered; }

private:
    class Filter;
    Filter* m_filter;
    IMessageFilter* m_previous = nullptr;
    bool m_registered = false;
};
