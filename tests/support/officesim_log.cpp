#include "officesim_log.h"
#include "support/files.h"

#include "officesim/shared.h"

namespace officesim {

namespace {

// Undoes the caret escapes: ^^ is ^, ^I a tab, ^J a line feed ...
std::wstring Unescape(const std::wstring& field) {
    std::wstring out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == L'^' && i + 1 < field.size()) {
            ++i;
            out += field[i] == L'^' ? L'^' : wchar_t(field[i] ^ 0x40);
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::wstring> SplitTabs(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find(L'\t', start);
        fields.push_back(Unescape(line.substr(start, tab - start)));
        if (tab == std::wstring::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

std::vector<LoggedCall> ReadLog() {
    std::vector<LoggedCall> calls;
    std::string data = testing_files::ReadAll(LogPath());
    // Only complete lines: a server may be writing the last one right now.
    for (size_t start = 0, end; (end = data.find('\n', start)) != std::string::npos; start = end + 1) {
        std::vector<std::wstring> f = SplitTabs(testing_files::Wide(data.substr(start, end - start)));
        if (f.size() < 7) continue;
        LoggedCall call;
        call.pid = std::wcstoul(f[0].c_str(), nullptr, 10);
        call.progId = f[1];
        call.object = f[2];
        call.dispid = std::wcstol(f[3].c_str(), nullptr, 10);
        call.kind = f[4];
        call.result = f[5];
        call.printer = f[6];
        call.args.assign(f.begin() + 7, f.end());
        calls.push_back(std::move(call));
    }
    return calls;
}

std::vector<LoggedCall> ReadLog(const std::wstring& progId) {
    std::vector<LoggedCall> calls;
    for (LoggedCall& call : ReadLog())
        if (call.progId == progId) calls.push_back(std::move(call));
    return calls;
}

std::wstring Brief(const LoggedCall& call) {
    return call.object + L" " + std::to_wstring(call.dispid) + L" " + call.kind;
}

std::wstring RefArg(const std::wstring& typeAndValue) { return L"&" + typeAndValue; }

namespace {

std::wstring WithArgs(std::wstring text, const std::vector<std::wstring>& args) {
    for (const std::wstring& arg : args) text += L" " + arg;
    return text;
}

}  // namespace

std::wstring Line(const LoggedCall& call) { return WithArgs(Brief(call), call.args); }

std::wstring Line(const ExpectedCall& call) {
    return WithArgs(call.object + L" " + std::to_wstring(call.dispid) + L" " + call.kind, call.args);
}

std::vector<std::wstring> Lines(const std::vector<LoggedCall>& calls) {
    std::vector<std::wstring> lines;
    for (const LoggedCall& call : calls) lines.push_back(Line(call));
    return lines;
}

std::vector<std::wstring> Lines(const std::vector<ExpectedCall>& calls) {
    std::vector<std::wstring> lines;
    for (const ExpectedCall& call : calls) lines.push_back(Line(call));
    return lines;
}

std::string Describe(const std::vector<LoggedCall>& calls) {
    std::string text;
    for (const LoggedCall& call : calls)
        text += "  " + testing_files::Narrow(Brief(call) + L" -> " + call.result + L" @" + call.printer +
                                             WithArgs(L"", call.args)) + "\n";
    return text.empty() ? "  (no calls)\n" : text;
}

std::vector<std::wstring> Repeat(const std::wstring& text, size_t n) { return std::vector<std::wstring>(n, text); }

std::vector<std::wstring> Join(std::initializer_list<std::vector<std::wstring>> parts) {
    std::vector<std::wstring> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace officesim
