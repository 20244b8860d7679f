// Small real fixtures for the document list tests: temporary folders with files whose
// last-write times the test sets, and drops built the way the shell builds them.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "support/drop.h"
#include <vector>

namespace fixtures {

// A fresh folder under the temporary folder, deleted with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// A local calendar time, to the millisecond.
SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour = 12, WORD minute = 0, WORD second = 0, WORD ms = 0);

// Creates an empty file (or a folder) at `path`, last written at the local time `written`.
void MakeFile(const std::wstring& path, const SYSTEMTIME& written);
void MakeFolder(const std::wstring& path, const SYSTEMTIME& written);


}  // namespace fixtures
