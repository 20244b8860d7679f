#include "run/result_csv.h"

#include <cstdio>

#include "common/texts.h"
#include "framework/whole_file.h"

std::wstring CsvField(const std::wstring& value) {
    std::wstring field = value;
    // A spreadsheet evaluates a cell that starts like a formula, whatever the quotes; the
    // apostrophe is its own mark for "text".
    if (!field.empty() && (field[0] == L'=' || field[0] == L'+' || field[0] == L'-' || field[0] == L'@'))
        field.insert(field.begin(), L'\'');
    if (field.find_first_of(L",\"\r\n") == std::wstring::npos) return field;
    std::wstring quoted = L"\"";
    for (wchar_t c : field) {
        if (c == L'"') quoted += L'"';
        quoted += c;
    }
    quoted += L'"';
    return quoted;
}

std::wstring CsvTime(const SYSTEMTIME& t) {
    if (t.wYear == 0) return {};
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::string ResultCsv(const std::vector<ResultRecord>& records) {
    const wchar_t* const header[] = {texts::kColumnPath, texts::kColumnStatus, texts::kCsvReason, texts::kCsvPrinter,
                                     texts::kCsvCopies,  texts::kCsvSuite,    texts::kCsvTime,   texts::kCsvDuplex,
                                     texts::kCsvColor,   texts::kCsvPages};
    std::wstring text;
    for (const wchar_t* h : header) {
        if (!text.empty()) text += L',';
        text += CsvField(h);
    }
    text += L"\r\n";
    for (const ResultRecord& r : records) {
        const std::wstring copies = r.copies > 0 ? std::to_wstring(r.copies) : std::wstring();
        for (const std::wstring* field : {&r.path, &r.status, &r.reason, &r.printer, &copies, &r.suite}) {
            text += CsvField(*field);
            text += L',';
        }
        text += CsvField(CsvTime(r.ended));
        // Added after the first seven, so that a script reading those by position still reads them.
        for (const std::wstring* field : {&r.duplex, &r.color, &r.pages}) {
            text += L',';
            text += CsvField(*field);
        }
        text += L"\r\n";
    }
    return "\xEF\xBB\xBF" + Utf8(text);
}

std::wstring ResultFileName(const SYSTEMTIME& t) {
    wchar_t text[64];
    swprintf(text, 64, L"%ls %04u-%02u-%02u %02u%02u.csv", texts::kResultFilePrefix, t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute);
    return text;
}
