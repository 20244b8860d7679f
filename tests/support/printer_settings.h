// A printer's per-user settings (its DEVMODE, GetPrinterW/SetPrinterW level 9) read and set
// straight through the spooler, not through the code under test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_printer {

// Byte for byte, but for what follows the end of the device and form names, which Wine's
// spooler leaves as it found its buffer; empty when the user has none of their own.
std::vector<BYTE> UserSettings(const std::wstring& printer);
// The settings as Wine keeps them (its own ANSI DEVMODE in the printer's key, "Default DevMode");
// empty where there is no such value, as on Windows.
std::vector<BYTE> KeptSettings(const std::wstring& printer);
void SetUserSettings(const std::wstring& printer, std::vector<BYTE> settings);

// The settings with the two-sided and colour fields as a person sets them in the printer's
// preferences (DMDUP_*, DMCOLOR_*).
std::vector<BYTE> With(std::vector<BYTE> settings, short duplex, short color);

// Puts a printer's settings back as the scope found them.
class SettingsScope {
public:
    explicit SettingsScope(std::wstring printer);
    ~SettingsScope();
    SettingsScope(const SettingsScope&) = delete;
    SettingsScope& operator=(const SettingsScope&) = delete;
    const std::vector<BYTE>& found() const { return m_found; }

private:
    std::wstring m_printer;
    std::vector<BYTE> m_found;
};

}  // namespace testing_printer
