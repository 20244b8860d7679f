#include "framework/whole_file.h"

#include <algorithm>
#include <cstdio>

#include "framework/long_path.h"
#include "framework/scoped.h"

namespace {

// The folder part of a path, with its trailing separator; empty for a bare name.
std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

FileWriteCall& FileWriteInUse() {
    static FileWriteCall write = &::WriteFile;
    return write;
}

DWORD WriteWholeFile(const std::wstring& target, const std::string& bytes) {
    // The temporary file sits in the target's folder, so the rename never crosses volumes.
    wchar_t suffix[48];
    swprintf(suffix, 48, L".%lu-%llu.tmp", ::GetCurrentProcessId(), static_cast<unsigned long long>(::GetTickCount64()));
    const std::wstring folder = FolderOf(target);
    const size_t nameStart = folder.size();
    const std::wstring temp = LongPathForm(folder + L"~" + target.substr(nameStart) + suffix);
    const std::wstring destination = LongPathForm(target);

    UniqueHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file) return ::GetLastError();
    DWORD error = 0;
    size_t done = 0;
    while (done < bytes.size() && !error) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!FileWriteInUse()(file.get(), bytes.data() + done, chunk, &written, nullptr)) error = ::GetLastError();
        else if (written == 0) error = ERROR_WRITE_FAULT;
        done += written;
    }
    if (!error && !::FlushFileBuffers(file.get())) error = ::GetLastError();
    file.reset();
    if (!error && !::MoveFileExW(temp.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error) ::DeleteFileW(temp.c_str());
    return error;
}

DWORD ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    UniqueHandle file(::CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return ::GetLastError();
    // A list or a journal is small; anything past a gigabyte is not one of ours.
    if (size.QuadPart > (1LL << 30)) return ERROR_FILE_TOO_LARGE;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) return ::GetLastError();
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return 0;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) {
        wchar_t number[32];
        swprintf(number, 32, L"%lu", error);
        text = number;
    }
    return text;
}

std::string InCodePage(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromCodePage(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}
