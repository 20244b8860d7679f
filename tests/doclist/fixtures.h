// Small real fixtures for the document list tests: temporary folders with files whose
// last-write times the test sets, and drops built the way the shell builds them.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "support/drop.h"
#include "support/files.h"

namespace fixtures {

// Fresh folders under the temporary folder, removed with everything in them at the end.
using testing_files::TempFolder;

// A local calendar time, to the millisecond.
SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour = 12, WORD minute = 0, WORD second = 0, WORD ms = 0);

// Creates an empty file (or a folder) at `path`, last written at the local time `written`.
void MakeFile(const std::wstring& path, const SYSTEMTIME& written);
void MakeFolder(const std::wstring& path, const SYSTEMTIME& written);

}  // namespace fixtures
