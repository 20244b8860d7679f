// Hostile input by the thousand: the program's own readers of list files, "/print" command lines,
// run journals and printer-swap records, each fed generated inputs from a fixed seed, with every
// reader's promises checked on every input. Each reader's batch runs in a child process, so a crash
// is counted and the batch goes on from the next input.
//   bench_inputs.exe [seed] [inputs per reader] [one reader: list_file, print_request, command_line, journal, printer_record]
// The printer records are written under HKCU in the prefix the bench runs in; the default printer
// and whatever the key held are put back at the end.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "automation/default_printer.h"
#include "automation/printer_record.h"
#include "bench_common.h"
#include "doclist/list_file.h"
#include "framework/process_identity.h"
#include "framework/whole_file.h"
#include "run/run_journal.h"

namespace {

// What a child shares with the bench: where it is, and what it has found so far.
struct Shared {
    volatile LONG64 next;  // the input being tried; a crash skips it
    volatile LONG64 tried;
    volatile LONG64 violations;
    volatile LONG64 exceptions;
    volatile LONG done;
};

Shared* g_shared = nullptr;
// A few examples of each kind of violation go to the error output, to start the search from.
constexpr int kExamples = 2;
std::vector<std::pair<std::string, int>> g_examplesShown;

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Each input has a generator of its own, so a batch can go on from any input after a crash.
class Random {
public:
    Random(std::uint64_t seed, std::uint64_t parser, std::uint64_t index) : m_engine(Mix(Mix(seed ^ parser) + index)) {}
    size_t Below(size_t n) { return n ? static_cast<size_t>(m_engine() % n) : 0; }
    bool OneIn(size_t n) { return Below(n) == 0; }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(N)]; }
    std::uint64_t Next() { return m_engine(); }

private:
    std::mt19937_64 m_engine;
};

std::string Narrow(const std::wstring& text) {
    std::string out = InCodePage(text.substr(0, 160), CP_UTF8);
    for (char& c : out)
        if (c >= 0 && c < 0x20) c = '?';
    return out;
}

void Violation(const char* parser, std::uint64_t index, const std::string& what) {
    g_shared->violations = g_shared->violations + 1;
    const std::string kind = what.substr(0, what.find_first_of(":(\""));
    auto shown = std::find_if(g_examplesShown.begin(), g_examplesShown.end(), [&](const auto& k) { return k.first == kind; });
    if (shown == g_examplesShown.end()) shown = g_examplesShown.insert(g_examplesShown.end(), {kind, 0});
    if (shown->second++ < kExamples) std::fprintf(stderr, "%s input %llu: %s\n", parser, static_cast<unsigned long long>(index), what.c_str());
}

enum Parser { kList, kPrint, kArguments, kJournal, kRecords, kParsers };
const char* const kNames[] = {"list_file", "print_request", "command_line", "journal", "printer_record"};

// ---------------------------------------------------------------------------------------------
// List files

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// "X:\..." or "\\server\share..." (the same behind "\\?\" or "\\?\UNC\"), no "." or ".." segment
// left, no NUL.
bool IsFullPath(const std::wstring& path, std::string* why) {
    if (path.empty()) return *why = "empty", false;
    if (path.find(L'\0') != std::wstring::npos) return *why = "NUL inside", false;
    std::wstring rest = path;
    if (rest.starts_with(L"\\\\?\\UNC\\")) rest = L"\\\\" + rest.substr(8);
    else if (rest.starts_with(L"\\\\?\\") || rest.starts_with(L"\\\\.\\")) rest = rest.substr(4);
    size_t segmentsFrom = 0;
    const bool drive = rest.size() >= 3 && ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'a' && rest[0] <= L'z')) &&
                       rest[1] == L':' && IsSlash(rest[2]);
    if (drive) {
        segmentsFrom = 3;
    } else if (rest.size() >= 2 && IsSlash(rest[0]) && IsSlash(rest[1])) {
        const size_t server = 2;
        size_t at = server;
        while (at < rest.size() && !IsSlash(rest[at])) ++at;
        const std::wstring serverName = rest.substr(server, at - server);
        if (serverName.empty() || serverName == L"." || serverName == L"?" || serverName == L"..") return *why = "no server", false;
        if (at >= rest.size()) return *why = "no share", false;
        const size_t share = at + 1;
        at = share;
        while (at < rest.size() && !IsSlash(rest[at])) ++at;
        if (at == share) return *why = "no share", false;
        segmentsFrom = share;
    } else {
        return *why = "not rooted on a drive or a share", false;
    }
    for (size_t at = segmentsFrom; at <= rest.size();) {
        size_t end = at;
        while (end < rest.size() && !IsSlash(rest[end])) ++end;
        const std::wstring segment = rest.substr(at, end - at);
        if (segment == L"." || segment == L"..") return *why = "a . or .. segment left", false;
        at = end + 1;
    }
    return true;
}

std::wstring LongName(Random& r, size_t length) {
    std::wstring name;
    name.reserve(length);
    const wchar_t pieces[] = {L'a', L'长', L'\\', L'.', L' ', L'b'};
    while (name.size() < length) name += r.Pick(pieces);
    return name;
}

std::wstring ListLine(Random& r) {
    static const wchar_t* const forms[] = {
        L"C:\\报告\\a.docx", L"a.docx", L"sub\\b.xlsx", L"..\\c.pptx", L"..\\..\\..\\..\\..\\..\\d.doc", L"\\dir\\e.docx",
        L"/g.ppt", L"//srv/share/h.doc", L"\\\\srv\\share\\i.xls", L"\\\\srv\\share\\..\\..\\j.doc", L"\\\\srv", L"\\\\srv\\",
        L"\\\\", L"\\\\\\x", L"\\\\?\\C:\\a\\..\\b.docx", L"\\\\?\\C:\\k.docx", L"\\\\?\\UNC\\srv\\share\\l.doc",
        L"\\\\?\\UNC\\srv\\share\\..\\m.doc", L"\\\\?\\", L"\\\\?\\UNC\\", L"\\\\.\\C:\\n.doc", L"\\\\.\\COM1", L"\\\\.\\pipe\\x",
        L"E:o.docx", L"E:", L"E:..\\p.doc", L"1:\\q.doc", L":\\r.doc", L"C:\\s\\.\\..\\t.doc", L"..", L".", L"\\..\\..",
        L"\"", L"\"\"", L"\" \"", L"\"C:\\u.doc\"", L"\"v.doc", L"w.doc\"", L"  x.doc  ", L"\t", L"\u3000", L"",
        L"C:\\a\\...\\y.doc", L"C:\\a\\z.doc.", L"C:\\a\\ .. \\z.doc", L"\\\\srv\\share\\a\\..", L"C:\\..\\..", L"C:/a/../../b",
        L"\\\\?\\C:", L"\\\\?\\C:\\", L"\\\\?\\UNC\\srv", L"C:\\con", L"nul", L"C:\\a:b", L"C:\\a*?<>|.doc",
    };
    std::wstring line = r.Pick(forms);
    switch (r.Below(12)) {
    case 0: if (r.OneIn(10)) line += LongName(r, 40000); break;  // a line of 40,000 characters
    case 1: if (r.OneIn(10)) line = LongName(r, 40000) + L"\\..\\" + line; break;
    case 2: line.insert(r.Below(line.size() + 1), 1, L'\0'); break;
    case 3: line = L"  \"" + line + L"\"\t"; break;
    case 4: {
        std::wstring chain;
        for (size_t i = r.Below(40); i > 0; --i) chain += r.OneIn(2) ? L"..\\" : L"../";
        line = chain + line;
        break;
    }
    case 5: line += L"\\" + std::wstring(r.Below(300), L'a'); break;
    default: break;
    }
    return line;
}

std::string ListBytes(Random& r) {
    if (r.OneIn(6)) {
        std::string bytes(r.Below(300), '\0');
        for (char& c : bytes) c = static_cast<char>(r.Below(256));
        if (r.OneIn(2)) {  // random bytes behind a mark
            const char* const marks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
            bytes = r.Pick(marks) + bytes;
        }
        return bytes;
    }
    std::wstring text;
    const wchar_t* const ends[] = {L"\r\n", L"\n", L"\r", L"\n\r", L"\r\r\n"};
    for (size_t lines = 1 + r.Below(6); lines > 0; --lines) text += ListLine(r) + r.Pick(ends);
    if (r.OneIn(3)) text.pop_back();
    std::string bytes;
    switch (r.Below(6)) {
    case 0: bytes = "\xEF\xBB\xBF" + InCodePage(text, CP_UTF8); break;
    case 1: bytes = InCodePage(text, CP_UTF8); break;
    case 2: bytes = InCodePage(text, CP_ACP); break;
    default: {
        const bool big = r.OneIn(2);
        bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t c : text) {
            const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            bytes += big ? hi : lo;
            bytes += big ? lo : hi;
        }
    }
    }
    switch (r.Below(8)) {
    case 0: bytes = bytes.substr(std::min(bytes.size(), r.Below(4))); break;           // a torn mark
    case 1: bytes = std::string(r.OneIn(2) ? "\xFF\xFE" : "\xEF\xBB\xBF") + bytes; break;  // mixed marks
    case 2: if (!bytes.empty()) bytes.pop_back(); break;                               // odd-length UTF-16
    case 3: bytes.insert(r.Below(bytes.size() + 1), 1, '\0'); break;
    case 4: bytes = bytes.substr(0, r.Below(bytes.size() + 1)); break;
    default: break;
    }
    return bytes;
}

void TryListFile(std::uint64_t index, Random& r) {
    static const wchar_t* const folders[] = {L"D:\\lists\\weekly", L"\\\\nas\\team\\lists", L"C:", L"\\\\?\\D:\\lists",
                                             L"\\\\?\\UNC\\nas\\team\\lists", L"D:\\a\\b\\c\\d\\e\\f"};
    const std::string bytes = ListBytes(r);
    const std::wstring folder = r.Pick(folders);
    for (const doclist::ListEntry& entry : doclist::ListFileEntries(bytes, folder)) {
        if (entry.refused) {
            if (entry.path.empty()) Violation("list", index, "a refused entry with no line");
            continue;
        }
        std::string why;
        if (!IsFullPath(entry.path, &why)) Violation("list", index, why + ": \"" + Narrow(entry.path) + "\"");
    }
}

// ---------------------------------------------------------------------------------------------
// "/print" command lines

const wchar_t* const kValueSwitches[] = {L"/printer", L"/copies", L"/suite", L"/report", L"/list", L"/duplex", L"/pages"};

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) { return ::CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL; }
bool IsValueSwitch(const std::wstring& a) {
    return std::any_of(std::begin(kValueSwitches), std::end(kValueSwitches), [&](const wchar_t* s) { return EqualsNoCase(a, s); });
}

std::wstring RandomCase(Random& r, std::wstring text) {
    for (wchar_t& c : text)
        if (r.OneIn(3)) c = static_cast<wchar_t>(::towupper(c));
    return text;
}

std::wstring ArgumentValue(Random& r) {
    static const wchar_t* const values[] = {
        L"3", L"1", L"300", L"301", L"0", L"-1", L"+3", L"007", L"0x10", L"1.5", L" 3", L"３", L"٣", L"abc", L"", L"ms",
        L"wps", L"MS", L"office", L"long", L"short", L"none", L"NONE", L"both", L"2-5", L"5-2", L"1-9999", L"1-10000",
        L"0-3", L"3-", L"-", L"－", L"2－5", L"  ", L"\u3000", L"1-2-3", L"a.doc", L"列表.txt", L"Tavrolin-A", L"-x",
        L"\"q\"", L"99999999999999999999", L"4294967297",
    };
    switch (r.Below(10)) {
    case 0: return std::wstring(1 + r.Below(40000), L'9');
    case 1: return std::wstring(1 + r.Below(60), static_cast<wchar_t>(L'0' + r.Below(10))) + L"-" + std::to_wstring(r.Next() % 20000);
    default: return r.Pick(values);
    }
}

std::vector<std::wstring> PrintArguments(Random& r) {
    static const wchar_t* const switches[] = {L"/printer", L"/copies", L"/suite", L"/report", L"/list", L"/duplex",
                                              L"/color", L"/mono", L"/pages", L"/print", L"/foo", L"/", L"//print",
                                              L"/copies:3", L"/?"};
    std::vector<std::wstring> arguments;
    if (!r.OneIn(8)) arguments.push_back(RandomCase(r, L"/print"));
    for (size_t n = r.Below(12); n > 0; --n) {
        switch (r.Below(4)) {
        case 0: arguments.push_back(ArgumentValue(r)); break;  // a name, or a value where none belongs
        default: {
            arguments.push_back(RandomCase(r, r.Pick(switches)));
            if (!r.OneIn(4)) arguments.push_back(ArgumentValue(r));  // otherwise missing: the next switch or the end
        }
        }
    }
    return arguments;
}

// ParsePrint's promises: values in range unless there are errors; every argument a switch, a
// switch's value, or a name, in order; every unknown switch and missing value an error.
void CheckPrint(const char* parser, std::uint64_t index, const std::vector<std::wstring>& arguments) {
    const command_line::ParsedPrint parsed = command_line::ParsePrint(arguments);
    const command_line::PrintRequest& q = parsed.request;
    if (parsed.errors.empty()) {
        const bool pagesOk = (q.pages.from == 0 && q.pages.to == 0) ||
                             (q.pages.from >= 1 && q.pages.from <= q.pages.to && q.pages.to <= kMaxPage);
        if (q.copies < 1 || q.copies > command_line::kMaxCopies || (q.suite != 0 && q.suite != 1) ||
            static_cast<int>(q.duplex) < 0 || q.duplex > Duplex::ShortEdge || static_cast<int>(q.color) < 0 ||
            q.color > ColorMode::Mono || !pagesOk)
            Violation(parser, index, "a request without errors holds a value out of range: copies " + std::to_string(q.copies) +
                                         ", suite " + std::to_string(q.suite) + ", duplex " + std::to_string(static_cast<int>(q.duplex)) +
                                         ", color " + std::to_string(static_cast<int>(q.color)) + ", pages " + std::to_string(q.pages.from) +
                                         "-" + std::to_string(q.pages.to));
    }
    std::vector<command_line::LaunchItem> items;
    size_t faults = 0;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& a = arguments[i];
        if (a.empty() || a[0] != L'/') {
            items.push_back({a, false});
            continue;
        }
        if (!IsValueSwitch(a)) {
            if (!EqualsNoCase(a, L"/print") && !EqualsNoCase(a, L"/color") && !EqualsNoCase(a, L"/mono")) ++faults;
            continue;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 1][0] == L'/') {
            ++faults;
            if (i + 1 < arguments.size() && arguments[i + 1].empty()) ++i;
            continue;
        }
        ++i;
        if (EqualsNoCase(a, L"/list")) items.push_back({arguments[i], true});
    }
    if (q.items != items) Violation(parser, index, "names and lists not accounted for in the order given");
    size_t names = 0;
    for (const auto& item : q.items) names += item.list ? 0 : 1;
    if (q.names.size() != names || q.lists.size() != q.items.size() - names)
        Violation(parser, index, "names or lists differ from the items");
    if (parsed.errors.size() < faults) Violation(parser, index, "an unknown switch or a missing value without an error");
}

void TryPrint(std::uint64_t index, Random& r) { CheckPrint("print", index, PrintArguments(r)); }

// An argument quoted the way CommandLineToArgvW reads it back: backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            if (c == L'"') out.append(backslashes + 1, L'\\');
            backslashes = 0;
        }
        out.push_back(c);
    }
    out.append(backslashes, L'\\');
    return out + L"\"";
}

void TryArguments(std::uint64_t index, Random& r) {
    const wchar_t* const programs[] = {L"\"C:\\Program Files\\Tavrolin\\tavrolin.exe\"", L"tavrolin.exe", L"\"tavrolin.exe\""};
    std::wstring line = r.Pick(programs);
    if (r.OneIn(2)) {
        // Arguments quoted properly read back as they were (without NULs, which a command line cannot hold).
        std::vector<std::wstring> arguments = PrintArguments(r);
        for (std::wstring& a : arguments) {
            a.erase(std::remove(a.begin(), a.end(), L'\0'), a.end());
            if (r.OneIn(4)) a += r.OneIn(2) ? L"\\" : L"\"x\\\"";
            line += L" " + Quoted(a);
        }
        const std::vector<std::wstring> back = command_line::Arguments(line.c_str());
        if (back != arguments) Violation("arguments", index, "quoted arguments did not read back: " + Narrow(line));
        CheckPrint("arguments", index, back);
        return;
    }
    const wchar_t pieces[] = {L' ', L'\t', L'"', L'\\', L'/', L'a', L'中', L'1', L'-'};
    static const wchar_t* const words[] = {L"/print", L"/copies", L"/pages", L"/list", L"/printer", L"/mono", L"\"\"", L"\\\\\""};
    for (size_t n = r.Below(40); n > 0; --n) {
        if (r.OneIn(4)) line += r.Pick(words);
        else line.push_back(r.Pick(pieces));
    }
    if (r.OneIn(50)) line += std::wstring(20000, L'"');
    CheckPrint("arguments", index, command_line::Arguments(line.c_str()));
}

// ---------------------------------------------------------------------------------------------
// Run journals

struct ExpectedRow {
    std::wstring path;
    run_journal::RowState state = run_journal::RowState::NotPrinted;
    std::wstring reason;
    size_t rowLineEnd = 0;    // the offset just past the row's line
    size_t stateLineEnd = 0;  // the same for the line that ended it; 0 while none did
};

std::wstring JournalText(Random& r) {
    static const wchar_t* const texts[] = {L"C:\\a.docx", L"D:\\报告\\一 月.xlsx", L"\\\\srv\\share\\b.pptx", L"a\tb", L"100%",
                                           L"%41", L"line\nend", L"\r", L"%", L"%0", L" ", L"x"};
    std::wstring text = r.Pick(texts);
    if (r.OneIn(8)) text += std::wstring(r.Below(5000), L'长');
    return text;
}

std::string ValidJournal(Random& r, std::vector<ExpectedRow>& rows) {
    std::vector<std::wstring> paths;
    for (size_t n = r.Below(9); n > 0; --n) paths.push_back(JournalText(r));
    PrintOptions options{L"Tavrolin-A", static_cast<std::int32_t>(1 + r.Below(300)), static_cast<std::int32_t>(r.Below(2))};
    std::string bytes = run_journal::HeaderText(paths, options);
    // Where each row line ends: the header ends with them, in order.
    rows.assign(paths.size(), {});
    size_t end = bytes.size();
    for (size_t i = paths.size(); i > 0; --i) {
        rows[i - 1].path = paths[i - 1];
        rows[i - 1].rowLineEnd = end;
        end = bytes.rfind('\n', end - 2) + 1;
    }
    std::vector<size_t> order(paths.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[r.Below(i)]);
    order.resize(r.Below(order.size() + 1));
    for (size_t i : order) {
        const bool printed = r.OneIn(2);
        SYSTEMTIME at{2024, 3, 0, 5, 10, 20, 30, 0};
        const std::wstring reason = printed ? L"" : JournalText(r);
        bytes += run_journal::RowEndText(i, printed, reason, at);
        rows[i].state = printed ? run_journal::RowState::Printed : run_journal::RowState::Failed;
        rows[i].reason = reason;
        rows[i].stateLineEnd = bytes.size();
    }
    return bytes;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

// Promises that hold whatever the bytes: rows only from whole row lines, states only from whole
// "printed"/"failed" lines naming that row.
void CheckJournalLines(std::uint64_t index, const std::string& bytes, const run_journal::Journal& journal) {
    const std::vector<std::string> lines = Lines(bytes);
    if (lines.empty() || lines[0] != "Tavrolin run journal 1") {
        if (!journal.rows.empty()) Violation("journal", index, "rows from a journal of another version");
        return;
    }
    size_t rowLines = 0;
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].starts_with("row\t") && lines[i].size() > 4 && lines[i].find('\t', 4) == std::string::npos) ++rowLines;
    if (journal.rows.size() != rowLines) Violation("journal", index, "rows not one for each whole row line");
    for (size_t i = 0; i < journal.rows.size(); ++i) {
        if (journal.rows[i].path.empty()) Violation("journal", index, "a row without a path");
        if (journal.rows[i].state == run_journal::RowState::NotPrinted) continue;
        const std::string key = journal.rows[i].state == run_journal::RowState::Printed ? "printed\t" : "failed\t";
        const std::string prefix = key + std::to_string(i) + "\t";
        if (std::none_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }))
            Violation("journal", index, "a row state no whole line gave");
    }
}

void TryJournal(std::uint64_t index, Random& r) {
    std::vector<ExpectedRow> rows;
    std::string bytes = ValidJournal(r, rows);
    const size_t mode = r.Below(8);
    // Cut at a byte: exactly the rows whose lines are whole, with the states whose lines are.
    auto checkCut = [&](size_t cut) {
        const run_journal::Journal journal = run_journal::Read(bytes.substr(0, cut));
        const bool versionWhole = cut > bytes.find('\n');
        size_t expected = 0;
        while (versionWhole && expected < rows.size() && rows[expected].rowLineEnd <= cut) ++expected;
        if (journal.rows.size() != expected) {
            Violation("journal", index, "a cut journal's rows are not the whole lines' (" + std::to_string(journal.rows.size()) +
                                            " for " + std::to_string(expected) + ")");
            return;
        }
        for (size_t i = 0; i < expected; ++i) {
            const run_journal::Row& got = journal.rows[i];
            const bool ended = rows[i].stateLineEnd != 0 && rows[i].stateLineEnd <= cut;
            if (got.path != rows[i].path) Violation("journal", index, "a row's path changed");
            if (got.state != (ended ? rows[i].state : run_journal::RowState::NotPrinted) || (ended && got.reason != rows[i].reason))
                Violation("journal", index, "a row state the whole journal does not give");
        }
    };
    if (mode == 0 && r.OneIn(8) && bytes.size() <= 3000) {  // one journal in 64 (short ones) cut at every byte
        for (size_t cut = 0; cut <= bytes.size(); ++cut) checkCut(cut);
        return;
    }
    if (mode <= 3) {
        checkCut(mode == 0 ? bytes.size() : r.Below(bytes.size() + 1));
        return;
    }
    if (mode == 4) {  // a foreign version: nothing
        const char* const versions[] = {"Tavrolin run journal 2", "Tavrolin run journal 1 ", "Tavrolin run journal 1\r",
                                        "\xEF\xBB\xBFTavrolin run journal 1", "tavrolin run journal 1", "Tavrolin run journal 10",
                                        "Tavrolin run journal"};
        bytes = r.Pick(versions) + bytes.substr(bytes.find('\n'));
        const run_journal::Journal journal = run_journal::Read(bytes);
        if (!journal.rows.empty() || journal.options.copies != 1 || !journal.options.printer.empty())
            Violation("journal", index, "a journal of another version was read");
        return;
    }
    std::vector<std::string> lines = Lines(bytes);
    if (mode == 5) {  // duplicated lines
        for (size_t n = 1 + r.Below(3); n > 0 && lines.size() > 1; --n) {
            const std::string copy = lines[1 + r.Below(lines.size() - 1)];
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(1 + r.Below(lines.size())), copy);
        }
        bytes.clear();
        for (const std::string& l : lines) bytes += l + "\n";
    } else {  // random mutations
        for (size_t n = 1 + r.Below(6); n > 0 && !bytes.empty(); --n) {
            const size_t at = r.Below(bytes.size());
            switch (r.Below(6)) {
            case 0: bytes[at] = static_cast<char>(r.Below(256)); break;
            case 1: bytes.insert(at, 1, r.OneIn(2) ? '\n' : '\t'); break;
            case 2: bytes.erase(at, r.Below(20)); break;
            case 3: bytes.insert(at, 1, '\0'); break;
            case 4: bytes.insert(at, r.OneIn(2) ? "printed\t" + std::to_string(r.Next() % 12) + "\t2024-01-01 00:00:00\n"
                                                : "failed\t-1\tx\ty\n"); break;
            default: bytes.insert(at, "%"); break;
            }
        }
    }
    CheckJournalLines(index, bytes, run_journal::Read(bytes));
}

// ---------------------------------------------------------------------------------------------
// Printer-swap records

struct Printers {
    std::wstring chosen, badSaved, goodSaved;  // empty: too few printers to see the default move
};

std::vector<std::wstring> PrinterNames() {
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::wstring> names;
    if (needed && ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed, &needed, &count))
        for (DWORD i = 0; i < count; ++i) names.emplace_back(reinterpret_cast<PRINTER_INFO_4W*>(buffer.data())[i].pPrinterName);
    return names;
}

// The test queues scripts/lib.sh makes when they are there (the scheduler is shared, and other
// queues may come and go meanwhile), else the first three the spooler lists.
Printers ChoosePrinters() {
    const std::vector<std::wstring> names = PrinterNames();
    const std::wstring own[] = {L"Tavrolin-B", L"Tavrolin-A", L"测试打印机"};
    if (std::all_of(std::begin(own), std::end(own), [&](const std::wstring& n) { return std::find(names.begin(), names.end(), n) != names.end(); }))
        return {own[0], own[1], own[2]};
    if (names.size() < 3) return {};
    return {names[0], names[1], names[2]};
}

struct Value {
    std::wstring name;
    DWORD type = REG_MULTI_SZ;
    std::vector<BYTE> data;
};

std::vector<Value> KeyValues() {
    std::vector<Value> values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, printer_record::kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        std::vector<wchar_t> name(16384);
        DWORD nameChars = static_cast<DWORD>(name.size()), type = 0, bytes = 0;
        if (::RegEnumValueW(key, i, name.data(), &nameChars, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
        Value v{std::wstring(name.data(), nameChars), type, std::vector<BYTE>(bytes)};
        nameChars = static_cast<DWORD>(name.size());
        ::RegEnumValueW(key, i, name.data(), &nameChars, nullptr, &type, v.data.data(), &bytes);
        values.push_back(std::move(v));
    }
    ::RegCloseKey(key);
    return values;
}

void ClearKey() {
    for (const Value& v : KeyValues()) ::RegDeleteKeyValueW(HKEY_CURRENT_USER, printer_record::kKey, v.name.c_str());
}

void Put(const Value& v) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, printer_record::kKey, v.name.c_str(), v.type, v.data.empty() ? nullptr : v.data.data(),
                      static_cast<DWORD>(v.data.size()));
}

std::vector<BYTE> Bytes(const std::wstring& text) {
    const BYTE* at = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(at, at + text.size() * sizeof(wchar_t));
}

std::wstring Multi(const std::wstring& saved, const std::wstring& chosen) {
    return L"saved:" + saved + std::wstring(1, L'\0') + L"chosen:" + chosen + std::wstring(2, L'\0');
}

// A record of a gone process: this process's id with another start time, as a reused id.
std::wstring GoneName(Random& r) {
    return ProcessIdentity{ThisProcess().id, ThisProcess().started + 1 + r.Next() % 1000000}.Text();
}

Value BadValue(Random& r, const Printers& p) {
    const std::wstring gone = GoneName(r);
    const std::wstring good = Multi(p.badSaved, p.chosen);
    const std::wstring self = ThisProcess().Text();
    switch (r.Below(16)) {
    case 0: return {gone, REG_MULTI_SZ, {}};                                   // no data
    case 1: return {gone, REG_SZ, Bytes(good)};                                // wrong types
    case 2: return {gone, REG_EXPAND_SZ, Bytes(good)};
    case 3: return {gone, REG_BINARY, Bytes(good)};
    case 4: return {gone, REG_DWORD, {1, 0, 0, 0}};
    case 5: return {gone, REG_MULTI_SZ, Bytes(Multi(p.badSaved, L""))};       // no printer swapped in
    case 6: return {gone, REG_MULTI_SZ, Bytes(L"chosen:" + p.chosen + std::wstring(1, L'\0') + L"saved:" + p.badSaved + std::wstring(2, L'\0'))};
    case 7: return {gone, REG_MULTI_SZ, Bytes(Multi(p.badSaved, p.chosen) + L"extra" + std::wstring(2, L'\0'))};
    case 8: return {gone, REG_MULTI_SZ, Bytes(L"saved:" + p.badSaved + std::wstring(1, L'\0'))};
    case 9: {  // odd byte counts and a missing end
        std::vector<BYTE> bytes = Bytes(good);
        bytes.resize(bytes.size() - 1 - r.Below(6));
        return {gone, REG_MULTI_SZ, bytes};
    }
    case 10: return {gone, REG_MULTI_SZ, Bytes(L"saved:" + std::wstring(100000, L'长') + std::wstring(1, L'\0') + L"chosen:" + std::wstring(100000, L'x') + std::wstring(2, L'\0'))};
    default: {  // malformed names over a record that would otherwise be acted on
        static const wchar_t* const names[] = {L"", L"abc", L"12", L"-1", L"1-", L"1--2", L" 1-2", L"1-2 ", L"１-２", L"1-2-3",
                                               L"4294967296-1", L"99999999999999999999-5", L"1-99999999999999999999999",
                                               L"1-02", L"00-1"};
        std::wstring name = r.Pick(names);
        if (r.OneIn(3)) name = L"0" + gone;   // the same identity, written with a leading zero
        if (r.OneIn(8)) name = std::wstring(16000, L'7') + L"-1";
        if (r.OneIn(8)) name = L"0" + self;  // this (running) process, not in its own form
        return {name, REG_MULTI_SZ, Bytes(good)};
    }
    }
}

// One round: a few records written, the start-up's act-on path run, the key and the default looked at.
void TryRecords(std::uint64_t index, Random& r, const Printers& p, std::uint64_t* values) {
    ClearKey();
    if (!p.chosen.empty()) MakeDefaultPrinter(p.chosen);
    const std::wstring before = CurrentDefaultPrinter();
    std::vector<Value> round;
    bool good = false;
    const size_t count = 1 + r.Below(8);
    for (size_t i = 0; i < count; ++i) {
        if (!good && r.OneIn(10)) {
            good = true;
            round.push_back({GoneName(r), REG_MULTI_SZ, Bytes(Multi(p.goodSaved, p.chosen.empty() ? L"none" : p.chosen))});
        } else {
            round.push_back(BadValue(r, p));
        }
    }
    for (const Value& v : round) Put(v);
    *values += round.size();
    printer_record::ActOnRecordsOfGoneProcesses();
    const std::wstring after = CurrentDefaultPrinter();
    if (!p.chosen.empty()) {
        const std::wstring expected = good ? p.goodSaved : before;
        if (after != expected) {
            std::string values;
            for (const Value& v : round) values += " " + Narrow(v.name.substr(0, 30)) + "/" + std::to_string(v.type) + "/" + std::to_string(v.data.size());
            Violation("records", index, "the default printer is \"" + Narrow(after) + "\", not \"" + Narrow(expected) + "\" after" + values);
        }
    }
    for (const Value& v : KeyValues())
        if (v.name != ThisProcess().Text()) Violation("records", index, "a record was left: \"" + Narrow(v.name) + "\"");
}

// ---------------------------------------------------------------------------------------------


int Child(Parser parser, std::uint64_t seed, std::uint64_t count) {
    const Printers printers = parser == kRecords ? ChoosePrinters() : Printers{};
    std::uint64_t recordValues = static_cast<std::uint64_t>(g_shared->tried);
    for (std::uint64_t i = static_cast<std::uint64_t>(g_shared->next); parser == kRecords ? recordValues < count : i < count; ++i) {
        g_shared->next = static_cast<LONG64>(i);
        Random r(seed, parser, i);
        try {
            switch (parser) {
            case kList: TryListFile(i, r); break;
            case kPrint: TryPrint(i, r); break;
            case kArguments: TryArguments(i, r); break;
            case kJournal: TryJournal(i, r); break;
            default: TryRecords(i, r, printers, &recordValues); break;
            }
        } catch (const std::exception& e) {
            g_shared->exceptions = g_shared->exceptions + 1;
            std::fprintf(stderr, "%s input %llu: %s\n", kNames[parser], static_cast<unsigned long long>(i), e.what());
        } catch (...) {
            g_shared->exceptions = g_shared->exceptions + 1;
            std::fprintf(stderr, "%s input %llu: an exception\n", kNames[parser], static_cast<unsigned long long>(i));
        }
        g_shared->tried = parser == kRecords ? static_cast<LONG64>(recordValues) : static_cast<LONG64>(i + 1);
    }
    if (parser == kRecords) ClearKey();
    g_shared->done = 1;
    return 0;
}

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

struct Figures {
    std::uint64_t tried = 0, crashes = 0, violations = 0;
    double ms = 0;
};

Figures RunBatch(Parser parser, std::uint64_t seed, std::uint64_t count) {
    const std::wstring mapping = L"Local\\tavrolin-bench-inputs-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE file = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), mapping.c_str());
    auto* shared = static_cast<Shared*>(::MapViewOfFile(file, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    *shared = Shared{};
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    Figures figures;
    const double start = bench::NowMs();
    while (!shared->done) {
        std::wstring command = L"\"" + std::wstring(self) + L"\" child " + std::to_wstring(parser) + L" " + std::to_wstring(seed) +
                               L" " + std::to_wstring(count) + L" " + mapping;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) break;
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        if (shared->done) break;
        ++figures.crashes;
        std::fprintf(stderr, "%s input %lld: the process ended with 0x%08lX\n", kNames[parser], static_cast<long long>(shared->next),
                     static_cast<unsigned long>(code));
        if (figures.crashes >= 20) break;  // something is broken throughout; the figures say so
        shared->next = shared->next + 1;
        if (parser != kRecords) shared->tried = shared->next;
    }
    figures.ms = bench::NowMs() - start;
    figures.tried = static_cast<std::uint64_t>(shared->tried);
    figures.violations = static_cast<std::uint64_t>(shared->violations);
    figures.crashes += static_cast<std::uint64_t>(shared->exceptions);
    ::UnmapViewOfFile(shared);
    ::CloseHandle(file);
    return figures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 6 && std::wcscmp(argv[1], L"child") == 0) {
        ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        ::SetUnhandledExceptionFilter(EndOnCrash);
        HANDLE file = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, argv[5]);
        if (!file) return 2;
        g_shared = static_cast<Shared*>(::MapViewOfFile(file, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
        return Child(static_cast<Parser>(std::wcstoul(argv[2], nullptr, 10)), std::wcstoull(argv[3], nullptr, 10),
                     std::wcstoull(argv[4], nullptr, 10));
    }
    const std::uint64_t seed = argc > 1 ? std::wcstoull(argv[1], nullptr, 10) : 20240611;
    const std::uint64_t count = argc > 2 ? std::wcstoull(argv[2], nullptr, 10) : 100000;
    const std::string only = argc > 3 ? InCodePage(argv[3], CP_UTF8) : "";  // one reader alone, by its name
    std::printf("# seed %llu (bench_inputs.exe %llu %llu repeats this run)\n", static_cast<unsigned long long>(seed),
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(count));
    bench::Report("inputs_seed", static_cast<double>(seed), "seed");

    // What the records batch changes is put back whatever becomes of it.
    const std::wstring defaultBefore = CurrentDefaultPrinter();
    const std::vector<Value> keyBefore = KeyValues();
    const Printers printers = ChoosePrinters();
    if (printers.chosen.empty())
        std::fprintf(stderr, "fewer than 3 printers: the records batch cannot see the default printer move\n");
    bench::Report("printers_for_records", printers.chosen.empty() ? 0 : 3, "printers");

    std::uint64_t failures = 0;
    for (int p = 0; p < kParsers; ++p) {
        if (!only.empty() && only != kNames[p]) continue;
        const Figures f = RunBatch(static_cast<Parser>(p), seed, count);
        const std::string name = kNames[p];
        bench::Report((name + "_inputs").c_str(), static_cast<double>(f.tried), "inputs");
        bench::Report((name + "_crashes").c_str(), static_cast<double>(f.crashes), "crashes");
        bench::Report((name + "_violations").c_str(), static_cast<double>(f.violations), "violations");
        bench::Report((name + "_time").c_str(), f.ms, "ms");
        failures += f.crashes + f.violations + (f.tried < count ? 1 : 0);
    }

    ClearKey();
    for (const Value& v : keyBefore) Put(v);
    if (CurrentDefaultPrinter() != defaultBefore) PutBackDefaultPrinter(defaultBefore);
    const bool restored = CurrentDefaultPrinter() == defaultBefore;
    bench::Report("default_printer_restored", restored ? 1 : 0, "bool");
    std::printf("inputs_verdict %llu failures (%s)\n", static_cast<unsigned long long>(failures + (restored ? 0 : 1)),
                failures == 0 && restored ? "every invariant held" : "see above");
    return failures == 0 && restored ? 0 : 1;
}
