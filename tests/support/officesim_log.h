// Reads officesim's call log: one entry per automation call a server answered.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace officesim {

struct LoggedCall {
    DWORD pid = 0;              // the server process
    std::wstring progId;        // the role, "Word.Application" ...
    std::wstring object;        // "Application", "Documents", "Workbook" ...
    DISPID dispid = 0;
    std::wstring kind;          // "method", "get", "put", or flags joined by "|"
    std::wstring result;        // "0x00000000", an error HRESULT, or "hang" / "crash"
    std::wstring printer;       // the system default printer when the call arrived
    std::vector<std::wstring> args;  // declared order, "[&|*]TYPE=value" as in the README
};

// Every entry of the log (LogPath()), oldest first; empty when there is no log.
std::vector<LoggedCall> ReadLog();

// The entries of one role, in order.
std::vector<LoggedCall> ReadLog(const std::wstring& progId);

// "Documents 19 method" : the call's object, DISPID and kind, for comparing sequences.
std::wstring Brief(const LoggedCall& call);

// One call as the log must show it: what `LoggedCall` says of the call itself.
struct ExpectedCall {
    std::wstring object;
    DISPID dispid = 0;
    std::wstring kind;
    std::vector<std::wstring> args;  // as the log writes them
};

// "Documents 19 method &BSTR=C:\a.docx &I2=0": a call and its arguments on one line, so two
// sequences compare as lists of lines and a difference reads as one.
std::wstring Line(const LoggedCall& call);
std::wstring Line(const ExpectedCall& call);
std::vector<std::wstring> Lines(const std::vector<LoggedCall>& calls);
std::vector<std::wstring> Lines(const std::vector<ExpectedCall>& calls);

// The calls with what they were answered and the default printer of the moment, one a line,
// for a failure message.
std::string Describe(const std::vector<LoggedCall>& calls);

// An argument text n times, and lists of argument texts joined, for writing long sequences.
std::vector<std::wstring> Repeat(const std::wstring& text, size_t n);
std::vector<std::wstring> Join(std::initializer_list<std::vector<std::wstring>> parts);

// Argument texts as the log writes them.
std::wstring RefArg(const std::wstring& typeAndValue);  // "&" + typeAndValue
inline const wchar_t kMissing[] = L"ERROR=0x80020004";   // DISP_E_PARAMNOTFOUND

}  // namespace officesim
