// A printer's two-sided and colour settings: what the printer can do, and the user's own
// settings of it changed for a run and put back afterwards. Office applications read the
// printer's settings when they start, so a run sets them before each server starts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "automation/convert_class.h"

// What a printer's driver says it can do. `known` is false when the driver could not be asked
// (no such printer); then neither is claimed.
struct PrinterCapabilities {
    bool duplex = false;
    bool color = false;
    bool known = false;
};

// Through the printer's driver (DeviceCapabilitiesW). Safe from any thread; it may take a while
// on a network printer, so the window calls it off the UI thread.
PrinterCapabilities ReadPrinterCapabilities(const std::wstring& printer);

// Whether a printer with `caps` can print the way `options` ask; a setting left at the printer's
// default asks nothing.
bool CanPrintAsAsked(const PrinterCapabilities& caps, const PrintOptions& options);

// The duplex and colour fields a run writes into a printer's settings: each is written only
// when asked for (the DEVMODE's dmFields names only those).
struct WrittenFields {
    DWORD fields = 0;  // DM_DUPLEX and/or DM_COLOR
    short duplex = 0;  // DMDUP_*
    short color = 0;   // DMCOLOR_*
    bool operator==(const WrittenFields&) const = default;
};
WrittenFields FieldsFor(const PrintOptions& options);

// The user's settings of a printer as the spooler keeps them (GetPrinterW level 9), byte for
// byte. nullopt: they cannot be read. An empty vector: the user has none of their own (Windows
// then uses the printer's defaults).
std::optional<std::vector<BYTE>> ReadUserPrinterSettings(const std::wstring& printer);

// Puts `settings` back as the user's own (SetPrinterW level 9; empty: none of their own).
bool WriteUserPrinterSettings(const std::wstring& printer, const std::vector<BYTE>& settings);

// Whether the printer's settings now still carry what a run wrote.
bool StillAsWritten(const std::vector<BYTE>& now, const WrittenFields& written);

// What puts back the user's settings after a run that was cut off, field by field: a field that
// still carries what the run wrote gets the user's value again, and one that does not is the
// user's later change (or the driver's) and stays. All of them as written: the user's settings
// byte for byte. nullopt: nothing to put back.
std::optional<std::vector<BYTE>> SettingsToPutBack(const std::vector<BYTE>& now, const std::vector<BYTE>& user,
                                                   const WrittenFields& written);

// The swap for one server: the constructor reads the user's settings of the printer, records
// them (printer_record.h, beside the default printer's record of this process) and writes them
// with the asked-for fields; Restore (or the destructor) puts the user's settings back byte for
// byte, once. (Wine's PostScript driver resets a printer's stored two-sided setting to the PPD's
// default whenever a process first loads the printer, so an office server that printed leaves
// it changed: the run's own change is undone whatever the fields hold.) When the settings cannot
// be read or written, applied() is false and nothing is left changed.
class PrinterSettingsSwap {
public:
    PrinterSettingsSwap(const std::wstring& printer, const PrintOptions& options);
    ~PrinterSettingsSwap() { Restore(); }
    PrinterSettingsSwap(const PrinterSettingsSwap&) = delete;
    PrinterSettingsSwap& operator=(const PrinterSettingsSwap&) = delete;

    bool applied() const { return m_applied; }
    void Restore();

private:
    bool m_applied = false;
};

// Puts back settings a swap has not restored yet. Safe from any thread; for the UI thread when
// the program ends in mid-document (before the default printer is put back).
void RestorePendingPrinterSettings();
