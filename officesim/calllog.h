// The call log: one UTF-8 line per call, fields separated by tabs (format in README.md).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace officesim {

// "[&|*]TYPE=value": & a by-reference variant (shown is the variant it refers to),
// * any other by-reference argument.
std::wstring FormatArgument(const VARIANT& v);

// Tabs, line breaks and other control characters in a field become ^I, ^J ...; ^ is ^^.
std::wstring EscapeField(const std::wstring& text);

std::wstring DefaultPrinterName();

void AppendLogLine(const std::vector<std::wstring>& fields);

}  // namespace officesim
