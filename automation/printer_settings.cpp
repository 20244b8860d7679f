#include "automation/printer_settings.h"

#include <winspool.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <utility>

#include "automation/printer_record.h"

namespace {

// A printer handle for one call; the spooler wants a writable name.
class OpenedPrinter {
public:
    explicit OpenedPrinter(const std::wstring& name) : m_name(name) {
        if (!::OpenPrinterW(m_name.data(), &m_handle, nullptr)) m_handle = nullptr;
    }
    ~OpenedPrinter() {
        if (m_handle) ::ClosePrinter(m_handle);
    }
    OpenedPrinter(const OpenedPrinter&) = delete;
    OpenedPrinter& operator=(const OpenedPrinter&) = delete;

    explicit operator bool() const { return m_handle != nullptr; }
    HANDLE handle() const { return m_handle; }
    wchar_t* name() { return m_name.data(); }

private:
    std::wstring m_name;
    HANDLE m_handle = nullptr;
};

std::vector<BYTE> DevModeBytes(const DEVMODEW* dm, size_t limit = SIZE_MAX) {
    const BYTE* first = reinterpret_cast<const BYTE*>(dm);
    const size_t size = static_cast<size_t>(dm->dmSize) + dm->dmDriverExtra;
    return std::vector<BYTE>(first, first + (size < limit ? size : limit));
}

// A DEVMODE too short to hold the duplex and colour fields says nothing of them.
bool HoldsDuplexAndColor(const std::vector<BYTE>& bytes) {
    if (bytes.size() < offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD)) return false;
    const auto* dm = reinterpret_cast<const DEVMODEW*>(bytes.data());
    return dm->dmSize >= offsetof(DEVMODEW, dmYResolution) && bytes.size() >= dm->dmSize;
}

// The printer's own defaults, for a user who has no settings of their own.
std::vector<BYTE> PrinterDefaults(OpenedPrinter& printer) {
    const LONG size = ::DocumentPropertiesW(nullptr, printer.handle(), printer.name(), nullptr, nullptr, 0);
    if (size < static_cast<LONG>(sizeof(DEVMODEW))) return {};
    std::vector<BYTE> buffer(static_cast<size_t>(size));
    if (::DocumentPropertiesW(nullptr, printer.handle(), printer.name(), reinterpret_cast<DEVMODEW*>(buffer.data()),
                              nullptr, DM_OUT_BUFFER) != IDOK)
        return {};
    return buffer;
}

// The user's settings with the written fields set, as the driver takes them; nullopt when the
// driver does not take them (a printer that cannot print on both sides drops DM_DUPLEX).
std::optional<std::vector<BYTE>> WithFields(OpenedPrinter& printer, const std::vector<BYTE>& user,
                                            const WrittenFields& written) {
    // The user's whole DEVMODE goes in, not the asked-for fields alone: Wine's driver merges what
    // it is given into its own defaults, not into the user's settings.
    std::vector<BYTE> input = user.empty() ? PrinterDefaults(printer) : user;
    if (!HoldsDuplexAndColor(input)) return std::nullopt;
    auto* dm = reinterpret_cast<DEVMODEW*>(input.data());
    dm->dmFields |= written.fields;
    if (written.fields & DM_DUPLEX) dm->dmDuplex = written.duplex;
    if (written.fields & DM_COLOR) dm->dmColor = written.color;

    const LONG size = ::DocumentPropertiesW(nullptr, printer.handle(), printer.name(), nullptr, nullptr, 0);
    if (size < static_cast<LONG>(sizeof(DEVMODEW))) return std::nullopt;
    std::vector<BYTE> output(static_cast<size_t>(size));
    if (::DocumentPropertiesW(nullptr, printer.handle(), printer.name(), reinterpret_cast<DEVMODEW*>(output.data()), dm,
                              DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
        return std::nullopt;
    output = DevModeBytes(reinterpret_cast<const DEVMODEW*>(output.data()), output.size());
    if (!StillAsWritten(output, written)) return std::nullopt;
    return output;
}

// What a swap changed and has not put back yet. The lock also covers the spooler calls, so the
// worker and the UI thread never put the settings back twice.
struct Pending {
    std::wstring printer;
    std::vector<BYTE> user;
};
std::mutex g_lock;
std::optional<Pending> g_pending;

// This process's record with the settings entries set (or taken out, with nullopt). A process
// whose default swap could not record anything gets a record that puts no default back.
void RecordSettings(const std::wstring& printer, std::optional<printer_record::SettingsRecord> settings) {
    std::optional<printer_record::Record> record = printer_record::Read(ThisProcess());
    if (!record) {
        if (!settings) return;
        record = printer_record::Record{ThisProcess(), printer, printer};
    }
    record->settings = std::move(settings);
    printer_record::Write(*record);
}

void RestoreLocked() {
    if (!g_pending) return;
    const Pending pending = std::move(*g_pending);
    g_pending.reset();
    WriteUserPrinterSettings(pending.printer, pending.user);
    RecordSettings(pending.printer, std::nullopt);
}

}  // namespace

PrinterCapabilities ReadPrinterCapabilities(const std::wstring& printer) {
    PrinterCapabilities caps;
    if (printer.empty()) return caps;
    OpenedPrinter opened(printer);
    if (!opened) return caps;
    // -1 is the driver's "cannot say"; only 1 claims the ability.
    const int duplex = ::DeviceCapabilitiesW(printer.c_str(), nullptr, DC_DUPLEX, nullptr, nullptr);
    const int color = ::DeviceCapabilitiesW(printer.c_str(), nullptr, DC_COLORDEVICE, nullptr, nullptr);
    caps.known = duplex >= 0 && color >= 0;
    caps.duplex = duplex == 1;
    caps.color = color == 1;
    return caps;
}

bool CanPrintAsAsked(const PrinterCapabilities& caps, const PrintOptions& options) {
    const bool twoSided = options.duplex == Duplex::LongEdge || options.duplex == Duplex::ShortEdge;
    if (twoSided && !caps.duplex) return false;
    if (options.color == ColorMode::Color && !caps.color) return false;
    // One-sided and grey are what every printer can do; asking for them needs a printer that
    // answers at all.
    return options.KeepsPrinterSettings() || caps.known;
}

WrittenFields FieldsFor(const PrintOptions& options) {
    WrittenFields w;
    switch (options.duplex) {
    case Duplex::PrinterDefault: break;
    case Duplex::OneSided: w.fields |= DM_DUPLEX, w.duplex = DMDUP_SIMPLEX; break;
    case Duplex::LongEdge: w.fields |= DM_DUPLEX, w.duplex = DMDUP_VERTICAL; break;
    case Duplex::ShortEdge: w.fields |= DM_DUPLEX, w.duplex = DMDUP_HORIZONTAL; break;
    }
    switch (options.color) {
    case ColorMode::PrinterDefault: break;
    case ColorMode::Color: w.fields |= DM_COLOR, w.color = DMCOLOR_COLOR; break;
    case ColorMode::Mono: w.fields |= DM_COLOR, w.color = DMCOLOR_MONOCHROME; break;
    }
    return w;
}

std::optional<std::vector<BYTE>> ReadUserPrinterSettings(const std::wstring& printer) {
    OpenedPrinter opened(printer);
    if (!opened) return std::nullopt;
    DWORD needed = 0;
    ::GetPrinterW(opened.handle(), 9, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_9W)) return std::nullopt;
    std::vector<BYTE> buffer(needed);
    if (!::GetPrinterW(opened.handle(), 9, buffer.data(), needed, &needed)) return std::nullopt;
    const DEVMODEW* dm = reinterpret_cast<const PRINTER_INFO_9W*>(buffer.data())->pDevMode;
    // Windows gives no DEVMODE to a user who never set one; Wine always gives the printer's.
    if (!dm) return std::vector<BYTE>{};
    return DevModeBytes(dm);
}

bool WriteUserPrinterSettings(const std::wstring& printer, const std::vector<BYTE>& settings) {
    OpenedPrinter opened(printer);
    if (!opened) return false;
    std::vector<BYTE> copy = settings;
    PRINTER_INFO_9W info{copy.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(copy.data())};
    return ::SetPrinterW(opened.handle(), 9, reinterpret_cast<BYTE*>(&info), 0) != FALSE;
}

bool StillAsWritten(const std::vector<BYTE>& now, const WrittenFields& written) {
    if (!HoldsDuplexAndColor(now)) return false;
    const auto* dm = reinterpret_cast<const DEVMODEW*>(now.data());
    if ((dm->dmFields & written.fields) != written.fields) return false;
    if ((written.fields & DM_DUPLEX) && dm->dmDuplex != written.duplex) return false;
    if ((written.fields & DM_COLOR) && dm->dmColor != written.color) return false;
    return true;
}

std::optional<std::vector<BYTE>> SettingsToPutBack(const std::vector<BYTE>& now, const std::vector<BYTE>& user,
                                                   const WrittenFields& written) {
    if (StillAsWritten(now, written)) return user;
    // Field by field needs both sides whole; a user without settings of their own gets them
    // back only whole.
    if (!HoldsDuplexAndColor(now) || !HoldsDuplexAndColor(user)) return std::nullopt;
    std::vector<BYTE> settings = now;
    auto* dm = reinterpret_cast<DEVMODEW*>(settings.data());
    const auto* own = reinterpret_cast<const DEVMODEW*>(user.data());
    bool changed = false;
    if ((written.fields & DM_DUPLEX) && (dm->dmFields & DM_DUPLEX) && dm->dmDuplex == written.duplex) {
        dm->dmDuplex = own->dmDuplex;
        dm->dmFields = (dm->dmFields & ~DM_DUPLEX) | (own->dmFields & DM_DUPLEX);
        changed = true;
    }
    if ((written.fields & DM_COLOR) && (dm->dmFields & DM_COLOR) && dm->dmColor == written.color) {
        dm->dmColor = own->dmColor;
        dm->dmFields = (dm->dmFields & ~DM_COLOR) | (own->dmFields & DM_COLOR);
        changed = true;
    }
    if (!changed) return std::nullopt;
    return settings;
}

PrinterSettingsSwap::PrinterSettingsSwap(const std::wstring& printer, const PrintOptions& options) {
    std::lock_guard lock(g_lock);
    RestoreLocked();  // a swap left behind would otherwise be forgotten
    const WrittenFields written = FieldsFor(options);
    const std::optional<std::vector<BYTE>> user = ReadUserPrinterSettings(printer);
    if (!user) return;
    OpenedPrinter opened(printer);
    if (!opened) return;
    const std::optional<std::vector<BYTE>> settings = WithFields(opened, *user, written);
    if (!settings) return;
    // Recorded before the change, so that a cut at any moment after it leaves what a later start needs.
    RecordSettings(printer, printer_record::SettingsRecord{printer, *user, written});
    g_pending = Pending{printer, *user};
    if (!WriteUserPrinterSettings(printer, *settings)) {
        RestoreLocked();
        return;
    }
    m_applied = true;
}

void PrinterSettingsSwap::Restore() { RestorePendingPrinterSettings(); }

void RestorePendingPrinterSettings() {
    std::lock_guard lock(g_lock);
    RestoreLocked();
}
