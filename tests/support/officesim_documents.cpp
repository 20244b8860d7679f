#include "officesim_documents.h"

#include <windows.h>

#include "support/files.h"

namespace officesim {

bool WriteDocument(const std::wstring& path, const std::wstring& traits) {
    std::string data = "officesim test document\r\nofficesim: " + testing_files::Narrow(traits) + "\r\n";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data.data(), DWORD(data.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == data.size();
}

TraitDocument::TraitDocument(const std::wstring& stem, const std::wstring& extension, const std::wstring& traits) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    static int counter = 0;
    name_ = stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L"-" +
            std::to_wstring(++counter) + extension;
    path_ = std::wstring(dir) + name_;
    WriteDocument(path_, traits);
}

TraitDocument::~TraitDocument() { DeleteFileW(path_.c_str()); }

}  // namespace officesim
