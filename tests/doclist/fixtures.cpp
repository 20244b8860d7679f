#include "fixtures.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/files.h"

namespace fixtures {

namespace {

// Long paths need the long form for the file functions on Windows.
void SetWritten(const std::wstring& path, const SYSTEMTIME& local, DWORD flags) {
    SYSTEMTIME utc{};
    FILETIME ft{};
    ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(::SystemTimeToFileTime(&utc, &ft));
    HANDLE h = ::CreateFileW(testing_files::LongForm(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, flags, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot open " << ::GetLastError();
    EXPECT_TRUE(::SetFileTime(h, nullptr, nullptr, &ft));
    ::CloseHandle(h);
}
}  // namespace

SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

void MakeFile(const std::wstring& path, const SYSTEMTIME& written) {
    HANDLE h = ::CreateFileW(testing_files::LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot create a file, error " << ::GetLastError();
    ::CloseHandle(h);
    SetWritten(path, written, FILE_ATTRIBUTE_NORMAL);
}

void MakeFolder(const std::wstring& path, const SYSTEMTIME& written) {
    ASSERT_TRUE(::CreateDirectoryW(testing_files::LongForm(path).c_str(), nullptr)) << "error " << ::GetLastError();
    SetWritten(path, written, FILE_FLAG_BACKUP_SEMANTICS);
}


}  // namespace fixtures
