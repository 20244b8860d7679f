#include "automation/default_printer.h"

#include <windows.h>
#include <winspool.h>

#include <mutex>
#include <optional>
#include <utility>

#include "automation/printer_record.h"
#include "automation/printer_settings.h"
#include "framework/framework.h"

std::wstring ReadDefaultPrinter() {
    CPrintDialog dialog;
    if (!dialog.GetDefaults()) return {};
    return dialog.GetDeviceName();
}

void MakeDefaultPrinter(const std::wstring& name) {
    // The result is not looked at: there is nothing better to do than go on.
    ::SetDefaultPrinterW(name.c_str());
}

std::wstring CurrentDefaultPrinter() {
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    std::wstring name(size, L'\0');
    if (size == 0 || !::GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(size > 0 ? size - 1 : 0);
    return name;
}

namespace {
// The user's value that names the default printer ("name,driver,port"); the spooler reads it
// there, on Windows and under Wine alike.
constexpr const wchar_t* kWindowsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const wchar_t* kDeviceValue = L"Device";

// SetDefaultPrinterW cannot put "none" back: given no name it keeps the current default, or
// picks a printer when there is none. Removing the value is what "none" is. True when it was
// removed, so that the change can be announced.
bool ClearDefaultPrinter() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    const LSTATUS removed = ::RegDeleteValueW(key, kDeviceValue);
    ::RegCloseKey(key);
    return removed == ERROR_SUCCESS;
}

// Tells the running programs, as the spooler does after its own change. Sent outside the lock:
// the UI thread may be waiting for it and could not answer.
void AnnounceDefaultPrinterChange() {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"windows"),
                          SMTO_ABORTIFHUNG, 1000, &ignored);
}

// The user's default while a printer call has the chosen printer in its place. The lock also
// covers the spooler calls, so the worker and the UI thread never restore it twice or
// restore it between a save and the swap.
std::mutex g_pendingLock;
std::optional<std::wstring> g_pending;

// Puts back a printer by name, or no default at all. True when "none" was put back, which the
// caller announces once the lock is released.
bool PutBackLocked(const std::wstring& saved) {
    if (!saved.empty()) {
        MakeDefaultPrinter(saved);
        return false;
    }
    return ClearDefaultPrinter();
}

// Puts back what the swap saved; its record goes once the default is back.
bool RestoreLocked() {
    if (!g_pending) return false;
    const std::wstring saved = std::move(*g_pending);
    g_pending.reset();
    const bool announce = PutBackLocked(saved);
    printer_record::Remove(ThisProcess());
    return announce;
}
}  // namespace

void PutBackDefaultPrinter(const std::wstring& saved) {
    bool announce = false;
    {
        std::lock_guard lock(g_pendingLock);
        announce = PutBackLocked(saved);
    }
    if (announce) AnnounceDefaultPrinterChange();
}

void RestorePendingDefaultPrinter() {
    // The settings first: their record goes with the default's.
    RestorePendingPrinterSettings();
    bool announce = false;
    {
        std::lock_guard lock(g_pendingLock);
        announce = RestoreLocked();
    }
    if (announce) AnnounceDefaultPrinterChange();
}

DefaultPrinterSwap::DefaultPrinterSwap(const std::wstring& chosen) {
    std::lock_guard lock(g_pendingLock);
    m_saved = ReadDefaultPrinter();
    if (m_saved.empty()) m_saved = CurrentDefaultPrinter();
    g_pending = m_saved;
    // Before the swap, so that a cut at any moment after it leaves what a later start needs.
    printer_record::Write({ThisProcess(), m_saved, chosen});
    MakeDefaultPrinter(chosen);
}

void DefaultPrinterSwap::Restore() { RestorePendingDefaultPrinter(); }
