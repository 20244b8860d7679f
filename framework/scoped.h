// One small owner per cleanup rule: kernel handles, GDI objects, drawing contexts, selected
// objects, the thread's COM apartment and interface pointers. Each releases what it holds on
// every path out of the scope that made it.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <utility>

// Owns a kernel handle (thread, process, event, mutex); CloseHandle when it goes.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    HANDLE release() { return std::exchange(m_handle, nullptr); }
    void reset(HANDLE handle = nullptr) {
        if (m_handle) ::CloseHandle(m_handle);
        m_handle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

private:
    HANDLE m_handle = nullptr;
};

// Owns a directory listing from FindFirstFile; FindClose when it goes.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : m_handle(handle) {}
    ~FindHandle() {
        if (valid()) ::FindClose(m_handle);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// Owns a string the system allocated with CoTaskMemAlloc; CoTaskMemFree when it goes.
class CoTaskString {
public:
    CoTaskString() = default;
    ~CoTaskString() { ::CoTaskMemFree(m_p); }
    CoTaskString(const CoTaskString&) = delete;
    CoTaskString& operator=(const CoTaskString&) = delete;
    wchar_t** put() {
        ::CoTaskMemFree(m_p);
        m_p = nullptr;
        return &m_p;
    }
    const wchar_t* get() const { return m_p; }

private:
    wchar_t* m_p = nullptr;
};

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
using BrushHandle = GdiObject<HBRUSH>;

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

// A window's drawing context (the screen's for a null window) from GetDC; released when it goes.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~WindowDC() {
        if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// The screen's drawing context, for its metrics.
class ScreenDC : public WindowDC {
public:
    ScreenDC() : WindowDC(nullptr) {}
};

// The calling thread's COM apartment for the owner's lifetime. `ole` also brings OLE (the
// shell's dialogs and drag and drop want it); ok() says whether the apartment is usable, and
// only a successful initialisation is undone.
class ScopedCom {
public:
    enum class Kind { Com, Ole };
    explicit ScopedCom(Kind kind = Kind::Com)
        : m_kind(kind),
          m_hr(kind == Kind::Ole ? ::OleInitialize(nullptr)
                                 : ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ScopedCom() {
        if (SUCCEEDED(m_hr)) {
            if (m_kind == Kind::Ole)
                ::OleUninitialize();
            else
                ::CoUninitialize();
        }
    }
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;

    bool ok() const { return SUCCEEDED(m_hr); }
    HRESULT result() const { return m_hr; }

private:
    Kind m_kind;
    HRESULT m_hr;
};

// Owns one reference to a COM interface; Release when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* owned) : m_p(owned) {}
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For functions that hand out a new reference; whatever was held is released first.
    T** put() {
        reset();
        return &m_p;
    }
    // Cleared before the call: an object that calls back into us while it goes must not find
    // itself still held.
    void reset() {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }

private:
    T* m_p = nullptr;
};
