// A point in time that a series of waits must not pass, and what is left of it for the next one.
#pragma once

#include <windows.h>

class Deadline {
public:
    // `ms` from now; INFINITE never passes.
    explicit Deadline(DWORD ms) : m_infinite(ms == INFINITE), m_end(::GetTickCount64() + (m_infinite ? 0 : ms)) {}

    // Milliseconds left, 0 once passed, INFINITE for a deadline that never passes.
    DWORD Left() const {
        if (m_infinite) return INFINITE;
        const ULONGLONG now = ::GetTickCount64();
        return now >= m_end ? 0 : static_cast<DWORD>(m_end - now);
    }

private:
    bool m_infinite;
    ULONGLONG m_end;
};
