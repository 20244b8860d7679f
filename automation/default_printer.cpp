#include "automation/default_printer.h"

#include <windows.h>
#include <winspool.h>

#include <mutex>
#include <optional>

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

namespace {
// The user's default while a printer call has the chosen printer in its place. The lock also
// covers the spooler calls, so the worker and the UI thread never restore it twice or
// restore it between a save and the swap.
std::mutex g_pendingLock;
std::optional<std::wstring> g_pending;

void RestoreLocked() {
    if (!g_pending) return;
    MakeDefaultPrinter(*g_pending);
    g_pending.reset();
}
}  // namespace

void RestorePendingDefaultPrinter() {
    std::lock_guard lock(g_pendingLock);
    RestoreLocked();
}

DefaultPrinterSwap::DefaultPrinterSwap(const std::wstring& chosen) {
    std::lock_guard lock(g_pendingLock);
    m_saved = ReadDefaultPrinter();
    g_pending = m_saved;
    MakeDefaultPrinter(chosen);
}

void DefaultPrinterSwap::Restore() {
    std::lock_guard lock(g_pendingLock);
    RestoreLocked();
}
