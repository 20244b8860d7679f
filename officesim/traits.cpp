#include "officesim/traits.h"

#include <algorithm>
#include <cwchar>
#include <sstream>

namespace officesim {

namespace {

constexpr char kMarker[] = "officesim:";

DWORD Milliseconds(const std::wstring& seconds) {
    double value = wcstod(seconds.c_str(), nullptr);
    return value > 0 ? DWORD(value * 1000 + 0.5) : 0;
}

std::wstring Wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

}  // namespace

HangSpec ParseHang(const std::wstring& text) {
    HangSpec spec;
    size_t colon = text.find(L':');
    spec.member = text.substr(0, colon);
    spec.dialog = colon != std::wstring::npos && _wcsicmp(text.c_str() + colon + 1, L"dialog") == 0;
    return spec;
}

Traits ParseTraits(const std::wstring& text) {
    Traits traits;
    std::wistringstream words(text);
    std::wstring word;
    while (words >> word) {
        size_t eq = word.find(L'=');
        std::wstring name = word.substr(0, eq);
        std::wstring value = eq == std::wstring::npos ? L"" : word.substr(eq + 1);
        if (name == L"password") {
            traits.hasPassword = true;
            traits.password = value;
        } else if (name == L"writepassword") {
            traits.hasWritePassword = true;
            traits.writePassword = value;
        } else if (name == L"fields") {
            traits.fields = true;
        } else if (name == L"macro") {
            traits.macro = true;
        } else if (name == L"links") {
            traits.links = true;
        } else if (name == L"encoding") {
            traits.encoding = true;
        } else if (name == L"readonlyrecommended") {
            traits.readOnlyRecommended = true;
        } else if (name == L"notify") {
            traits.notify = true;
        } else if (name == L"userdoc") {
            (value == L"print" ? traits.userDocumentAtPrint : traits.userDocument) = true;
        } else if (name == L"spool") {
            traits.spoolMs = Milliseconds(value);
        } else if (name == L"print") {
            traits.printMs = Milliseconds(value);
        } else if (name == L"pages") {
            traits.pages = int(std::clamp(wcstol(value.c_str(), nullptr, 10), 0L, 9999L));
        } else if (name == L"hang" && !value.empty()) {
            traits.hangs.push_back(ParseHang(value));
        }
    }
    return traits;
}

Traits ReadTraits(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string data(64 * 1024, '\0');
    DWORD read = 0;
    if (!ReadFile(file, data.data(), DWORD(data.size()), &read, nullptr)) read = 0;
    CloseHandle(file);
    data.resize(read);
    // The marker must start a line, so that a document's own text cannot trip it by accident.
    for (size_t at = data.find(kMarker); at != std::string::npos; at = data.find(kMarker, at + 1)) {
        if (at != 0 && data[at - 1] != '\n') continue;
        size_t start = at + sizeof(kMarker) - 1;
        size_t end = data.find_first_of("\r\n", start);
        return ParseTraits(Wide(data.substr(start, end == std::string::npos ? std::string::npos : end - start)));
    }
    return {};
}

}  // namespace officesim
