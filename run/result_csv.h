// The record of a run as a CSV file that Excel and WPS open without a question: UTF-8 with a
// byte-order mark, CRLF lines, fields quoted where RFC 4180 needs it, and no field that the
// spreadsheet would take for a formula.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One row of the record: the list row and what its last run left.
struct ResultRecord {
    std::wstring path;
    std::wstring status;   // the row's status as the list shows it
    std::wstring reason;   // the row's tip; empty for a printed row
    std::wstring printer;  // the run's settings; empty (and copies 0) for a row no run reached
    int copies = 0;
    std::wstring suite;
    SYSTEMTIME ended{};    // local time the row ended; all zero when it did not
    std::wstring duplex;   // the run's two-sided, colour and page range settings in words; empty
    std::wstring color;    // for a row no run reached
    std::wstring pages;
};

// One field as it goes into a line: a leading =, +, - or @ (which a spreadsheet would evaluate)
// is kept as text by a leading apostrophe, and a field holding a comma, a quote or a line break
// is quoted, its quotes doubled.
std::wstring CsvField(const std::wstring& value);

// "YYYY-MM-DD HH:MM:SS", or empty for an all-zero time.
std::wstring CsvTime(const SYSTEMTIME& time);

// The whole file: the byte-order mark, the header line and one line per record, in order.
std::string ResultCsv(const std::vector<ResultRecord>& records);

// The name the Save dialog proposes: "打印结果 YYYY-MM-DD HHMM.csv" for the given local time.
std::wstring ResultFileName(const SYSTEMTIME& now);
