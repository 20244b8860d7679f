#include "fixtures.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fixtures {

namespace {
// Long paths need the verbatim prefix for the file functions on Windows.
std::wstring Verbatim(const std::wstring& path) { return L"\\\\?\\" + path; }

void DeleteTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW(Verbatim(path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(child);
            else
                ::DeleteFileW(Verbatim(child).c_str());
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(Verbatim(path).c_str());
}

void SetWritten(const std::wstring& path, const SYSTEMTIME& local, DWORD flags) {
    SYSTEMTIME utc{};
    FILETIME ft{};
    ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(::SystemTimeToFileTime(&utc, &ft));
    HANDLE h = ::CreateFileW(Verbatim(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, flags, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot open " << ::GetLastError();
    EXPECT_TRUE(::SetFileTime(h, nullptr, nullptr, &ft));
    ::CloseHandle(h);
}
}  // namespace

TempFolder::TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"tavrolin-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
    DeleteTree(m_path);
    if (!::CreateDirectoryW(Verbatim(m_path).c_str(), nullptr)) ADD_FAILURE() << "cannot create the folder";
}

TempFolder::~TempFolder() { DeleteTree(m_path); }

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
    HANDLE h = ::CreateFileW(Verbatim(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot create a file, error " << ::GetLastError();
    ::CloseHandle(h);
    SetWritten(path, written, FILE_ATTRIBUTE_NORMAL);
}

void MakeFolder(const std::wstring& path, const SYSTEMTIME& written) {
    ASSERT_TRUE(::CreateDirectoryW(Verbatim(path).c_str(), nullptr)) << "error " << ::GetLastError();
    SetWritten(path, written, FILE_FLAG_BACKUP_SEMANTICS);
}


}  // namespace fixtures
