#include "automation/printer_record.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>

#include "automation/default_printer.h"

namespace printer_record {

namespace {
constexpr const wchar_t kSaved[] = L"saved:";
constexpr const wchar_t kChosen[] = L"chosen:";
constexpr const wchar_t kSettings[] = L"settings:";
constexpr const wchar_t kUser[] = L"user:";
constexpr const wchar_t kWritten[] = L"written:";

std::wstring Hex(const std::vector<BYTE>& bytes) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    for (BYTE b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

bool FromHex(const std::wstring& text, std::vector<BYTE>& bytes) {
    auto digit = [](wchar_t c) -> int {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        return -1;
    };
    if (text.size() % 2) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
    }
    return true;
}

std::wstring WrittenText(const WrittenFields& w) {
    wchar_t text[64];
    swprintf(text, 64, L"%lx,%x,%x", static_cast<unsigned long>(w.fields), static_cast<unsigned>(static_cast<unsigned short>(w.duplex)),
             static_cast<unsigned>(static_cast<unsigned short>(w.color)));
    return text;
}

bool FromWrittenText(const std::wstring& text, WrittenFields& w) {
    unsigned long fields = 0;
    unsigned duplex = 0, color = 0;
    wchar_t end = 0;
    if (swscanf(text.c_str(), L"%lx,%x,%x%lc", &fields, &duplex, &color, &end) != 3) return false;
    w.fields = fields;
    w.duplex = static_cast<short>(duplex);
    w.color = static_cast<short>(color);
    return true;
}

// "saved:..." NUL "chosen:..." NUL [settings entries NUL] NUL: no entry is ever empty (each has
// its prefix), so none ends the list early.
std::wstring MultiString(const Record& record) {
    std::vector<std::wstring> parts{kSaved + record.saved, kChosen + record.chosen};
    if (record.settings) {
        parts.push_back(kSettings + record.settings->printer);
        parts.push_back(kUser + Hex(record.settings->user));
        parts.push_back(kWritten + WrittenText(record.settings->written));
    }
    std::wstring data;
    for (const std::wstring& part : parts) {
        data += part;
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    return data;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

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
    if (start + 1 != data.size() || (parts.size() != 2 && parts.size() != 5) || !StartsWith(parts[0], kSaved) ||
        !StartsWith(parts[1], kChosen))
        return false;
    record.saved = parts[0].substr(std::size(kSaved) - 1);
    record.chosen = parts[1].substr(std::size(kChosen) - 1);
    if (parts.size() == 5) {
        if (!StartsWith(parts[2], kSettings) || !StartsWith(parts[3], kUser) || !StartsWith(parts[4], kWritten))
            return false;
        SettingsRecord settings;
        settings.printer = parts[2].substr(std::size(kSettings) - 1);
        if (settings.printer.empty() || !FromHex(parts[3].substr(std::size(kUser) - 1), settings.user) ||
            !FromWrittenText(parts[4].substr(std::size(kWritten) - 1), settings.written))
            return false;
        record.settings = std::move(settings);
    }
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

std::optional<Record> Read(const ProcessIdentity& process) {
    for (Record& record : ReadAll())
        if (record.process.id == process.id && record.process.started == process.started) return std::move(record);
    return std::nullopt;
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
        if (record.settings) {
            const SettingsRecord& s = *record.settings;
            if (const std::optional<std::vector<BYTE>> now = ReadUserPrinterSettings(s.printer))
                if (const auto settings = SettingsToPutBack(*now, s.user, s.written))
                    WriteUserPrinterSettings(s.printer, *settings);
        }
        if (ShouldPutBack(record, CurrentDefaultPrinter())) PutBackDefaultPrinter(record.saved);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, value.name.c_str());
    }
}

}  // namespace printer_record
