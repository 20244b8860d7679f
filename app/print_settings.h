// The run's print settings beyond printer, copies and suite, as the window and the command line
// read them, name them and remember them: plain functions, so the rules can be read and tested
// without a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/convert_class.h"

namespace print_settings {

// "" (every page), "3" or "2-5" (a hyphen, full-width too; blanks around the numbers allowed),
// pages 1 to kMaxPage with the first not after the last. Anything else gives nothing and, in
// `problem`, what is wrong with it in the person's words.
std::optional<PageRange> ParsePageRange(std::wstring_view text, std::wstring* problem = nullptr);

// The choices the window keeps for the person between starts, under HKCU\Software\Tavrolin\Settings:
// the printer (by name), copies, suite, two-sided and colour; never the page range. A value that
// is missing or damaged reads as today's default.
struct Remembered {
    std::wstring printer;  // empty: the system's default printer
    std::int32_t copies = 1;
    std::int32_t suite = kSuiteMsOffice;
    Duplex duplex = Duplex::PrinterDefault;
    ColorMode color = ColorMode::PrinterDefault;
};
inline constexpr const wchar_t* kSettingsKey = L"Software\\Tavrolin\\Settings";
Remembered ReadRemembered();
// Best-effort: a profile that cannot be written keeps nothing, and the run goes on.
void Remember(const PrintOptions& options);

}  // namespace print_settings
