// What the program takes from its command line, and how a second launch hands its names to the
// running window: plain functions, so the rules can be read and tested without a process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Each name made full against the current directory (GetFullPathNameW), in order; an empty
// name, or one that cannot be made full, is left out.
std::vector<std::wstring> FullPaths(const std::vector<std::wstring>& names);

// The block a second launch sends; empty when there are no names to send.
std::vector<wchar_t> PackNames(const std::vector<std::wstring>& names);
// The names of a block that a second launch sent, in order; nothing when the block is not
// one of ours or is malformed.
std::optional<std::vector<std::wstring>> UnpackNames(const COPYDATASTRUCT& data);

}  // namespace command_line
