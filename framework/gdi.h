// Thin owners for GDI objects and drawing contexts, so a paint handler releases everything it
// made on every path out of it.
#pragma once

#include <windows.h>

#include <utility>

// Owns a pen, brush, font or bitmap; DeleteObject when it goes.
template <typename H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : m_handle(handle) {}
    ~GdiObject() {
        if (m_handle) ::DeleteObject(m_handle);
    }
    GdiObject(GdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    H get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    H m_handle = nullptr;
};

using FontHandle = GdiObject<HFONT>;
using BitmapHandle = GdiObject<HBITMAP>;

// A memory drawing context compatible with another; DeleteDC when it goes.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (m_dc) ::DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc;
};

// Selects an object into a drawing context and puts the previous one back when it goes, so
// the object can be deleted after this guard (declare the object first).
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (m_previous) ::SelectObject(m_dc, m_previous);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The screen's drawing context, for its metrics; released when it goes.
class ScreenDC {
public:
    ScreenDC() : m_dc(::GetDC(nullptr)) {}
    ~ScreenDC() {
        if (m_dc) ::ReleaseDC(nullptr, m_dc);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;

    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};
