#include "temp_documents.h"

#include <windows.h>

#include <cwchar>

#include "support/files.h"

namespace {

// The long form lets every call below work on paths past MAX_PATH.
void MakeFolders(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        ::CreateDirectoryW(testing_files::LongForm(path.substr(0, at)).c_str(), nullptr);
    ::CreateDirectoryW(testing_files::LongForm(path).c_str(), nullptr);
}

}  // namespace

TempDocuments::TempDocuments(const std::wstring& stem) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    wchar_t unique[64];
    swprintf(unique, 64, L"-%lu-%llu 命令行", ::GetCurrentProcessId(), ::GetTickCount64());
    m_path = std::wstring(temp) + stem + unique;
    if (!m_path.empty() && m_path.back() == L'\\') m_path.pop_back();
    MakeFolders(m_path);
}

TempDocuments::~TempDocuments() { testing_files::RemoveTree(m_path); }

std::wstring TempDocuments::File(const std::wstring& relative) const {
    const std::wstring path = m_path + L"\\" + relative;
    MakeFolders(path.substr(0, path.find_last_of(L'\\')));
    HANDLE file = ::CreateFileW(testing_files::LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char content[] = "a document\r\n";
    DWORD written = 0;
    ::WriteFile(file, content, sizeof(content) - 1, &written, nullptr);
    ::CloseHandle(file);
    return path;
}

std::wstring TempDocuments::Folder(const std::wstring& relative) const {
    const std::wstring path = m_path + L"\\" + relative;
    MakeFolders(path);
    return path;
}

CurrentDirectory::CurrentDirectory(const std::wstring& path) {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    m_previous.resize(needed);
    m_previous.resize(::GetCurrentDirectoryW(needed, m_previous.data()));
    ::SetCurrentDirectoryW(path.c_str());
}

CurrentDirectory::~CurrentDirectory() { ::SetCurrentDirectoryW(m_previous.c_str()); }
