// Paths past MAX_PATH: the file functions take them in the \\?\ form.
#pragma once

#include <string>

// `path` made full against the current directory (GetFullPathNameW, at any length); empty when
// it cannot be.
std::wstring FullPathName(const std::wstring& path);

// `path` in the form the file functions take past MAX_PATH (\\?\ and the full path); a
// shorter path comes back unchanged.
std::wstring LongPathForm(const std::wstring& path);
