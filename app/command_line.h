// What the program takes from its command line, and how a second launch hands its names to the
// running window: plain functions, so the rules can be read and tested without a process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/convert_class.h"

namespace command_line {

// WM_COPYDATA's dwData for a second launch's names ("TAVN"). lpData holds UTF-16 names, each
// ended by a NUL, the list ended by a second NUL; cbData is the block's size in bytes. A block
// with another tag, an odd or too small size, an empty name or a missing end is ignored.
inline constexpr ULONG_PTR kCopyDataAddNames = 0x5441564E;

// The arguments after the program's own name, split as CommandLineToArgvW splits them.
std::vector<std::wstring> Arguments(const wchar_t* commandLine);

// "/?", "-?", "/help", "-h" or "--help" (letters in any case).
bool IsUsageRequest(std::wstring_view argument);
bool WantsUsage(const std::vector<std::wstring>& arguments);

// The usage that "/?" shows, for the program's file name.
std::wstring UsageText(const std::wstring& programFile);

// "/print" among the arguments (any letter case): the run is started from the command line.
bool WantsPrint(const std::vector<std::wstring>& arguments);

// A name, or the file of a "/list 列表" pair, whose entries stand in its place.
struct LaunchItem {
    std::wstring name;
    bool list = false;
    friend bool operator==(const LaunchItem&, const LaunchItem&) = default;
};

// What "/print [/printer 名称] [/copies N] [/suite ms|wps] [/duplex long|short|none] [/color|/mono]
// [/pages N-M] [/report 文件] [/list 列表] 名称…" asks
// for. Names and files as given; the caller makes them full.
struct PrintRequest {
    std::wstring printer;  // empty: the user's default printer
    int copies = 1;
    std::int32_t suite = 0;  // kSuiteMsOffice or kSuiteWps
    std::wstring report;     // empty: none
    std::vector<std::wstring> lists;
    std::vector<std::wstring> names;
    std::vector<LaunchItem> items;  // the names and the lists together, in the order given
    Duplex duplex = Duplex::PrinterDefault;       // /duplex long|short|none
    ColorMode color = ColorMode::PrinterDefault;  // /color or /mono
    PageRange pages;                              // /pages N or N-M
};

inline constexpr int kMaxCopies = 300;

// The request, or one line for each argument that is wrong (an unknown switch, a switch without
// its value, copies outside 1-300 or not a number, a suite other than ms or wps).
struct ParsedPrint {
    PrintRequest request;
    std::vector<std::wstring> errors;
};
ParsedPrint ParsePrint(const std::vector<std::wstring>& arguments);

// A plain launch's arguments in order.
std::vector<LaunchItem> ParsePlain(const std::vector<std::wstring>& arguments);

// Each name made full against the current directory (GetFullPathNameW), in order; an empty
// name, or one that cannot be made full, is left out.
std::vector<std::wstring> FullPaths(const std::vector<std::wstring>& names);

// The block a second launch sends; empty when there are no names to send.
std::vector<wchar_t> PackNames(const std::vector<std::wstring>& names);
// The names of a block that a second launch sent, in order; nothing when the block is not
// one of ours or is malformed.
std::optional<std::vector<std::wstring>> UnpackNames(const COPYDATASTRUCT& data);

}  // namespace command_line
