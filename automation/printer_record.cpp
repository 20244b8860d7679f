#include "automation/printer_record.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <optional>

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
    // Only as MultiString writes it, ends and all: a value cut short may have cut a printer's name.
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < data.size() && data[start] != L'\0') {
        const size_t end = data.find(L'\0', start);
        if (end == std::wstring::npos) return false;
        parts.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    if (start + 1 != data.size() || parts.size() != 2 || parts[0].rfind(kSaved, 0) != 0 ||
        parts[1].rfind(kChosen, 0) != 0)
        return false;
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

namespace {
// A value under the key, and the record it holds when it is one.
struct StoredValue {
    std::wstring name;
    std::optional<Record> record;
};

std::vector<StoredValue> ReadValues() {
    std::vector<StoredValue> values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return values;
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
                                &dataBytes) != ERROR_SUCCESS)
                continue;
            StoredValue value{std::wstring(name.c_str(), nameChars), std::nullopt};
            Record record;
            if (type == REG_MULTI_SZ && dataBytes % sizeof(wchar_t) == 0 && Parse(value.name, std::wstring(data.data(), dataBytes / sizeof(wchar_t)), record))
                value.record = std::move(record);
            values.push_back(std::move(value));
        }
    }
    ::RegCloseKey(key);
    return values;
}
}  // namespace

std::vector<Record> ReadAll() {
    std::vector<Record> records;
    for (StoredValue& value : ReadValues())
        if (value.record) records.push_back(std::move(*value.record));
    return records;
}

bool ShouldPutBack(const Record& record, const std::wstring& defaultNow) {
    return defaultNow == record.chosen && record.chosen != record.saved;
}

void ActOnRecordsOfGoneProcesses() {
    for (const StoredValue& value : ReadValues()) {
        ProcessIdentity process;
        if (!value.record) {
            // Nothing in it to act on. It goes unless a running process may have written it (a
            // later version's form, say), so that a damaged value does not stay for good.
            if (!ProcessIdentity::FromText(value.name, process) || ProcessGone(process))
                ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, value.name.c_str());
            continue;
        }
        const Record& record = *value.record;
        if (!ProcessGone(record.process)) continue;
        if (ShouldPutBack(record, CurrentDefaultPrinter())) PutBackDefaultPrinter(record.saved);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, value.name.c_str());
    }
}

}  // namespace printer_record
