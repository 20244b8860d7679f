#include "automation/printer_record.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "automation/default_printer.h"

namespace printer_record {

namespace {
constexpr const wchar_t kSaved[] = L"saved:";
constexpr const wchar_t kChosen[] = L"chosen:";

// "saved:..." NUL "chosen:..." NUL NUL: neither string is ever empty, so neither ends the list.
std::wstring MultiString(const Record& record) {
    std::wstring data = kSaved + record.saved;
    data.push_back(L'\0');
    data += kChosen + record.chosen;
    data.push_back(L'\0');
    data.push_back(L'\0');
    return data;
}

bool Parse(const std::wstring& name, const std::wstring& data, Record& record) {
    if (!ProcessIdentity::FromText(name, record.process)) return false;
    std::vector<std::wstring> parts;
    for (size_t start = 0; start < data.size() && data[start] != L'\0';) {
        const size_t end = std::min(data.find(L'\0', start), data.size());
        parts.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() != 2 || parts[0].rfind(kSaved, 0) != 0 || parts[1].rfind(kChosen, 0) != 0) return false;
    record.saved = parts[0].substr(std::size(kSaved) - 1);
    record.chosen = parts[1].substr(std::size(kChosen) - 1);
    return !record.chosen.empty();
}
}  // namespace

bool Write(const Record& record) {
    const std::wstring data = MultiString(record);
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, record.process.Text().c_str(), REG_MULTI_SZ, data.c_str(),
                             static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void Remove(const ProcessIdentity& process) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, process.Text().c_str());
}

std::vector<Record> ReadAll() {
    std::vector<Record> records;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return records;
    DWORD count = 0, longestName = 0, longestData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, &longestData,
                           nullptr, nullptr) == ERROR_SUCCESS) {
        std::wstring name(longestName + 1, L'\0');
        std::wstring data(longestData / sizeof(wchar_t) + 2, L'\0');
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameChars = static_cast<DWORD>(name.size());
            DWORD dataBytes = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
            DWORD type = 0;
            std::fill(data.begin(), data.end(), L'\0');
            if (::RegEnumValueW(key, i, name.data(), &nameChars, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                &dataBytes) != ERROR_SUCCESS ||
                type != REG_MULTI_SZ)
                continue;
            Record record;
            if (Parse(std::wstring(name.c_str(), nameChars), std::wstring(data.data(), dataBytes / sizeof(wchar_t)), record))
                records.push_back(std::move(record));
        }
    }
    ::RegCloseKey(key);
    return records;
}

bool ShouldPutBack(const Record& record, const std::wstring& defaultNow) {
    return defaultNow == record.chosen && record.chosen != record.saved;
}

void ActOnRecordsOfGoneProcesses() {
    for (const Record& record : ReadAll()) {
        if (!ProcessGone(record.process)) continue;
        if (ShouldPutBack(record, CurrentDefaultPrinter())) PutBackDefaultPrinter(record.saved);
        Remove(record.process);
    }
}

}  // namespace printer_record
