#include "support/files.h"

#include <windows.h>

#include <cwchar>

namespace testing_files {

std::string ReadAll(const std::wstring& path) {
    std::string data;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return data;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) data.append(buffer, read);
    ::CloseHandle(file);
    return data;
}

std::wstring LongForm(const std::wstring& path) { return L"\\\\?\\" + path; }

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW(LongForm(path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileW(LongForm(child).c_str());
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(LongForm(path).c_str());
}

std::wstring Wide(const std::string& utf8) {
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring UniquePart() {
    static LONG counter = 0;
    LARGE_INTEGER clock{};
    ::QueryPerformanceCounter(&clock);
    wchar_t part[64];
    swprintf(part, 64, L"%lu-%llx-%ld", ::GetCurrentProcessId(), static_cast<unsigned long long>(clock.QuadPart) & 0xffffffffffULL,
             ::InterlockedIncrement(&counter));
    return part;
}

namespace {

std::wstring TempPath() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring path = temp;
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// Every folder on the way to `path`, and `path` itself.
void MakeFolders(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        ::CreateDirectoryW(LongForm(path.substr(0, at)).c_str(), nullptr);
    ::CreateDirectoryW(LongForm(path).c_str(), nullptr);
}

}  // namespace

bool WriteAll(const std::wstring& path, const std::string& content) {
    HANDLE file = ::CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == content.size();
}

TempFolder::TempFolder(const std::wstring& stem) : m_path(TempPath() + L"\\tavrolin-" + UniquePart() + L"-" + stem) {
    MakeFolders(m_path);
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

std::wstring TempFolder::File(const std::wstring& relative, const std::string& content) const {
    const std::wstring path = *this / relative;
    MakeFolders(path.substr(0, path.find_last_of(L'\\')));
    WriteAll(path, content);
    return path;
}

std::wstring TempFolder::Folder(const std::wstring& relative) const {
    const std::wstring path = *this / relative;
    MakeFolders(path);
    return path;
}

TempDocument::TempDocument(const std::wstring& stem, const std::wstring& extension, const std::string& content)
    : m_name(stem + L"-" + UniquePart() + extension) {
    m_path = TempPath() + L"\\" + m_name;
    WriteAll(m_path, content);
}

TempDocument::~TempDocument() { ::DeleteFileW(LongForm(m_path).c_str()); }

CurrentDirectory::CurrentDirectory(const std::wstring& path) {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    m_previous.resize(needed);
    m_previous.resize(::GetCurrentDirectoryW(needed, m_previous.data()));
    ::SetCurrentDirectoryW(path.c_str());
}

CurrentDirectory::~CurrentDirectory() { ::SetCurrentDirectoryW(m_previous.c_str()); }

std::string Utf16WithMark(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

}  // namespace testing_files
