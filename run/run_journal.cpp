#include "run/run_journal.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "framework/whole_file.h"

namespace run_journal {

namespace {
constexpr char kVersionLine[] = "Tavrolin run journal 1";
constexpr const wchar_t* kFilePrefix = L"run-";
constexpr const wchar_t* kFileSuffix = L".journal";

// A field never holds the tab and the line end that frame it: control characters and '%' are
// written as %XX.
std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c < 0x20 || c == L'%') {
            wchar_t code[4];
            std::swprintf(code, 4, L"%%%02X", static_cast<unsigned>(c));
            out += code;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<wchar_t>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string Line(const std::vector<std::wstring>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) line.push_back('\t');
        line += Utf8(Escape(fields[i]));
    }
    line.push_back('\n');
    return line;
}

std::vector<std::wstring> Fields(const std::wstring& line) {
    std::vector<std::wstring> fields;
    for (size_t start = 0;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(Unescape(line.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start)));
        if (tab == std::wstring::npos) return fields;
        start = tab + 1;
    }
}

// A whole decimal number within [low, high], or nothing.
std::optional<long long> Number(const std::wstring& text, long long low, long long high) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::wstring TimeText(const SYSTEMTIME& t) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

SYSTEMTIME TimeFrom(const std::wstring& text) {
    SYSTEMTIME t{};
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::swscanf(text.c_str(), L"%4u-%2u-%2u %2u:%2u:%2u", &year, &month, &day, &hour, &minute, &second) == 6) {
        t.wYear = static_cast<WORD>(year);
        t.wMonth = static_cast<WORD>(month);
        t.wDay = static_cast<WORD>(day);
        t.wHour = static_cast<WORD>(hour);
        t.wMinute = static_cast<WORD>(minute);
        t.wSecond = static_cast<WORD>(second);
    }
    return t;
}

}  // namespace

std::wstring Folder() {
    // The environment's answer needs no shell library at start-up; the shell's is the fallback.
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(buffer, length) + L"\\Tavrolin";
}

std::wstring FileFor(const std::wstring& folder, const ProcessIdentity& process) {
    return folder + L"\\" + kFilePrefix + process.Text() + kFileSuffix;
}

std::string HeaderText(const std::vector<std::wstring>& paths, const PrintOptions& options) {
    std::string text = std::string(kVersionLine) + "\n";
    text += Line({L"printer", options.printer});
    text += Line({L"copies", std::to_wstring(options.copies)});
    text += Line({L"suite", std::to_wstring(options.suite)});
    // Lines an earlier version does not know, and passes over.
    text += Line({L"duplex", std::to_wstring(static_cast<int>(options.duplex))});
    text += Line({L"color", std::to_wstring(static_cast<int>(options.color))});
    text += Line({L"pages", std::to_wstring(options.pages.from), std::to_wstring(options.pages.to)});
    for (const std::wstring& path : paths) text += Line({L"row", path});
    return text;
}

std::string RowEndText(size_t index, bool printed, const std::wstring& reason, const SYSTEMTIME& endedAt) {
    if (printed) return Line({L"printed", std::to_wstring(index), TimeText(endedAt)});
    return Line({L"failed", std::to_wstring(index), TimeText(endedAt), reason});
}

Journal Read(const std::string& bytes) {
    Journal journal;
    size_t start = bytes.find('\n');
    if (start == std::string::npos || bytes.compare(0, start, kVersionLine) != 0) return journal;
    ++start;
    // Everything after the last line end is a line the cut tore.
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::wstring> f = Fields(FromUtf8(bytes.substr(start, end - start)));
        const std::wstring& key = f[0];
        if (key == L"row" && f.size() == 2 && !f[1].empty()) {
            Row row;
            row.path = f[1];
            journal.rows.push_back(std::move(row));
        } else if (key == L"printer" && f.size() == 2) {
            journal.options.printer = f[1];
        } else if (key == L"copies" && f.size() == 2) {
            if (auto n = Number(f[1], 1, 300)) journal.options.copies = static_cast<std::int32_t>(*n);
        } else if (key == L"suite" && f.size() == 2) {
            if (auto n = Number(f[1], 0, 0x7FFFFFFF)) journal.options.suite = static_cast<std::int32_t>(*n);
        } else if (key == L"duplex" && f.size() == 2) {
            if (auto n = Number(f[1], 0, static_cast<long long>(Duplex::ShortEdge))) journal.options.duplex = static_cast<Duplex>(*n);
        } else if (key == L"color" && f.size() == 2) {
            if (auto n = Number(f[1], 0, static_cast<long long>(ColorMode::Mono))) journal.options.color = static_cast<ColorMode>(*n);
        } else if (key == L"pages" && f.size() == 3) {
            const auto from = Number(f[1], 1, kMaxPage), to = Number(f[2], 1, kMaxPage);
            if (from && to && *from <= *to) journal.options.pages = {static_cast<std::int32_t>(*from), static_cast<std::int32_t>(*to)};
        } else if ((key == L"printed" && f.size() == 3) || (key == L"failed" && f.size() == 4)) {
            const auto index = Number(f[1], 0, static_cast<long long>(journal.rows.size()) - 1);
            if (!index) continue;
            Row& row = journal.rows[static_cast<size_t>(*index)];
            row.state = key == L"printed" ? RowState::Printed : RowState::Failed;
            row.ended = TimeFrom(f[2]);
            row.reason = key == L"failed" ? f[3] : L"";
        }
    }
    return journal;
}

void Writer::Begin(const std::vector<std::wstring>& paths, const PrintOptions& options) {
    End();
    const std::wstring folder = Folder();
    if (folder.empty()) return;
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return;
    const std::wstring path = FileFor(folder, ThisProcess());
    if (WriteWholeFile(path, HeaderText(paths, options)) != 0) return;
    m_path = path;
    m_file.reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

void Writer::RowEnded(size_t index, bool printed, const std::wstring& reason) {
    if (!m_file) return;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::string line = RowEndText(index, printed, reason, now);
    DWORD written = 0;
    if (::WriteFile(m_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) ::FlushFileBuffers(m_file.get());
}

void Writer::End() {
    m_file.reset();
    if (m_path.empty()) return;
    ::DeleteFileW(m_path.c_str());
    m_path.clear();
}

std::optional<CutRun> FindCutRun(const std::wstring& folder) {
    std::optional<CutRun> newest;
    ULONGLONG newestStart = 0;
    if (folder.empty()) return newest;
    WIN32_FIND_DATAW found{};
    FindHandle listing(::FindFirstFileW((folder + L"\\" + kFilePrefix + L"*" + kFileSuffix).c_str(), &found));
    if (!listing.valid()) return newest;
    const size_t prefix = std::wcslen(kFilePrefix), suffix = std::wcslen(kFileSuffix);
    do {
        const std::wstring name = found.cFileName;
        ProcessIdentity process;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() <= prefix + suffix ||
            name.compare(0, prefix, kFilePrefix) != 0 ||
            name.compare(name.size() - suffix, suffix, kFileSuffix) != 0 ||
            !ProcessIdentity::FromText(name.substr(prefix, name.size() - prefix - suffix), process) || !ProcessGone(process))
            continue;
        const std::wstring path = folder + L"\\" + name;
        std::string bytes;
        // One that cannot be read now (held open by a backup or a scanner) waits for a later start.
        if (ReadWholeFile(path, bytes) != 0) continue;
        Journal journal = Read(bytes);
        if (journal.rows.empty()) {
            ::DeleteFileW(path.c_str());
            continue;
        }
        if (!newest || process.started > newestStart) {
            newestStart = process.started;
            newest = CutRun{path, std::move(journal)};
        }
    } while (::FindNextFileW(listing.get(), &found));
    return newest;
}

}  // namespace run_journal
