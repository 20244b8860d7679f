// "/print" from outside: real launches of the shipped program, the jobs the CUPS queues received,
// the report it wrote, its exit code, the boxes it did not show and the lines its console got.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>  // SetDefaultPrinter is its macro, as in the support library

#include <algorithm>
#include <map>
#include <thread>
#include <string>
#include <vector>

#include "common/resource.h"
#include "common/texts.h"
#include "run/run_journal.h"
#include "run/run_lock.h"
#include "support/files.h"
#include "support/officesim_control.h"
#include "support/officesim_documents.h"
#include "support/officesim_log.h"
#include "support/officesim_windows.h"
#include "support/program.h"
#include "support/report.h"
#include "support/spool_capture.h"
#include "support/ui.h"

using testing_program::ChildProcess;
using testing_program::ProgramPath;
using Names = std::vector<std::wstring>;

namespace {

constexpr DWORD kRunWaitMs = 180000;

std::wstring Quoted(const std::wstring& name) { return L"\"" + name + L"\""; }

// path -> {status, reason} of a report.
std::map<std::wstring, std::pair<std::wstring, std::wstring>> ReportByPath(const std::wstring& path) {
    std::map<std::wstring, std::pair<std::wstring, std::wstring>> byPath;
    for (const Names& row : testing_report::Rows(path))
        if (row.size() == 10) byPath[row[0]] = {row[1], row[2]};
    return byPath;
}

HWND WindowOf(DWORD pid, const wchar_t* title) {
    HWND window = ::FindWindowW(nullptr, title);
    DWORD owner = 0;
    if (window) ::GetWindowThreadProcessId(window, &owner);
    return owner == pid ? window : nullptr;
}

HWND WaitForWindow(DWORD pid, const wchar_t* title) {
    HWND window = nullptr;
    testing_ui::PumpUntil([&] { return (window = WindowOf(pid, title)) != nullptr; }, 30000);
    return window;
}

Names Column(HWND main, int column) { return testing_program::ListColumn(::GetDlgItem(main, IDC_DOCUMENT_LIST), column); }

bool AnyRowSays(HWND main, const std::wstring& status) {
    for (const std::wstring& s : Column(main, 1))
        if (s == status) return true;
    return false;
}

// The row whose status reads 打印中; empty when none does.
std::wstring PrintingRow(HWND main) {
    const Names paths = Column(main, 0), statuses = Column(main, 1);
    for (size_t i = 0; i < paths.size() && i < statuses.size(); ++i)
        if (statuses[i] == texts::kPrinting) return paths[i];
    return {};
}

bool CloseHangs() {
    for (const officesim::LoggedCall& call : officesim::ReadLog())
        if (call.dispid == 1105 && call.result == L"hang") return true;
    return false;
}

class PrintCommand : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
        officesim::ResetBehaviours();
        officesim::RegisterAll();
        officesim::ClearLog();
        userDefault = officesim::DefaultPrinter();
        ASSERT_FALSE(userDefault.empty());
    }
    void TearDown() override {
        officesim::ResetBehaviours();
        officesim::RegisterAll();
        EXPECT_TRUE(officesim::WaitNoServers(15000)) << "a server was left behind";
        officesim::EndServers();
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault) << "the run left the default printer changed";
        officesim::SetDefaultPrinter(userDefault);
        // A "/print" killed mid-run leaves its list for the next start with a window.
        testing_program::ForgetCutRuns();
    }
    std::wstring userDefault;
};

}  // namespace

TEST_F(PrintCommand, AFolderAndTwoFilesPrintOnTheNamedPrinterWithTheirCopies) {
    const std::wstring token = testing_files::UniquePart();
    testing_files::TempFolder temp(L"print-folder 打印");
    const std::wstring inFolder1 = temp.File(L"docs\\a-" + token + L".docx");
    const std::wstring inFolder2 = temp.File(L"docs\\b-" + token + L".xlsx");
    temp.File(L"docs\\notes-" + token + L".txt");
    temp.File(L"docs\\deeper\\c-" + token + L".docx");  // sub-folders are not scanned
    const std::wstring file1 = temp.File(L"d-" + token + L".doc");
    const std::wstring file2 = temp.File(L"e-" + token + L".pptx");
    const std::wstring report = temp / L"结果 report.csv";
    const std::wstring second = L"Tavrolin-A";
    ASSERT_NE(userDefault, second);

    ChildProcess program;
    {
        testing_files::CurrentDirectory cd(temp.Path());
        // The printer in another letter case, a relative folder, the report relative too.
        ASSERT_TRUE(program.Start(ProgramPath(), L"/PRINT /printer tavrolin-a /copies 2 /report \"结果 report.csv\" docs " +
                                                     Quoted(file1) + L" " + Quoted(file2)));
    }
    EXPECT_EQ(program.Wait(kRunWaitMs), 0);

    spool::WaitForJobs(token, 4, 30000);
    testing_ui::Pump(500);  // no fifth job comes late
    const std::vector<spool::Job> jobs = spool::FindJobs(token);
    std::map<std::wstring, int> copiesByName;
    for (const spool::Job& job : jobs) {
        EXPECT_EQ(job.queue, second) << testing::PrintToString(job.title);
        for (const std::wstring& path : {inFolder1, inFolder2, file1, file2})
            if (job.title.find(path.substr(path.find_last_of(L'\\') + 1)) != std::wstring::npos) copiesByName[path] += job.copies;
    }
    EXPECT_EQ(jobs.size(), 4u);
    EXPECT_EQ(copiesByName, (std::map<std::wstring, int>{{inFolder1, 2}, {inFolder2, 2}, {file1, 2}, {file2, 2}}));

    const auto rows = testing_report::Rows(report);
    ASSERT_EQ(rows.size(), 4u) << testing::PrintToString(testing_files::ReadAll(report));
    std::map<std::wstring, Names> byPath;
    for (const Names& row : rows) byPath[row[0]] = row;
    for (const std::wstring& path : {inFolder1, inFolder2, file1, file2}) {
        SCOPED_TRACE(testing::PrintToString(path));
        ASSERT_EQ(byPath.count(path), 1u);
        const Names& row = byPath[path];
        ASSERT_EQ(row.size(), 10u);
        EXPECT_EQ(row[1], texts::kDone);
        EXPECT_EQ(row[2], L"");
        EXPECT_EQ(row[3], second);
        EXPECT_EQ(row[4], L"2");
        EXPECT_EQ(row[5], texts::kSuiteNameMsOffice);
        EXPECT_FALSE(row[6].empty());
        // Settings left alone read as the printer's own, and every page.
        EXPECT_EQ(row[7], texts::kPrinterDefaultSetting);
        EXPECT_EQ(row[8], texts::kPrinterDefaultSetting);
        EXPECT_EQ(row[9], texts::kAllPages);
    }
}

TEST_F(PrintCommand, FailuresBecomeRowsReasonsAndExitCodeOneWithoutABox) {
    testing_files::TempFolder temp(L"print-failures");
    const std::wstring missing = temp / L"gone.docx";
    officesim::TraitDocument locked(L"locked", L".docx", L"password=secret");
    const std::wstring sheet = temp.File(L"sheet.xlsx");
    // A list typed by hand: UTF-16, a relative entry, a blank line.
    const std::wstring list = temp / L"列表.txt";
    const std::wstring listText = L"\xFEFFgone.docx\r\n\r\n\"" + locked.Path() + L"\"\r\nsheet.xlsx\r\n";
    ASSERT_TRUE(testing_files::WriteAll(
        list, std::string(reinterpret_cast<const char*>(listText.data()), listText.size() * sizeof(wchar_t))));
    const std::wstring report = temp / L"report.csv";
    ASSERT_TRUE(officesim::Unregister(L"Excel.Application"));

    ChildProcess program;
    ASSERT_TRUE(program.Start(ProgramPath(), L"/print /list " + Quoted(list) + L" /report " + Quoted(report)));
    long code = -1;
    bool boxSeen = false;
    const ULONGLONG end = ::GetTickCount64() + kRunWaitMs;
    while ((code = program.Wait(100)) < 0 && ::GetTickCount64() < end) {
        if (testing_program::BoxOf(program.Id())) boxSeen = true;
        if (!officesim::ServerWindows(0).empty()) boxSeen = true;
    }
    EXPECT_FALSE(boxSeen) << "a box or a server's window was shown";
    EXPECT_EQ(code, 1);

    const auto byPath = ReportByPath(report);
    EXPECT_EQ(byPath.size(), 3u) << testing::PrintToString(testing_files::ReadAll(report));
    using Row = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(byPath.at(missing), (Row{texts::kFailed, texts::kReasonFileUnreadable}));
    EXPECT_EQ(byPath.at(locked.Path()), (Row{texts::kFailed, texts::kReasonNeedsPassword}));
    EXPECT_EQ(byPath.at(sheet), (Row{texts::kFailed, texts::kReasonServerCannotStart}));
}

TEST_F(PrintCommand, ExitCodesForArgumentsPrinterAndNothingToPrint) {
    testing_files::TempFolder temp(L"print-codes");
    // A name no other test prints: the spool folder is shared and never emptied.
    const std::wstring docName = L"codes-" + testing_files::UniquePart() + L".docx";
    const std::wstring doc = temp.File(docName);
    const std::wstring emptyFolder = temp.Folder(L"empty");
    const std::wstring notes = temp.File(L"notes.txt");
    const std::wstring report = temp / L"never.csv";
    struct Case {
        std::wstring arguments;
        long code;
    };
    const Case cases[] = {
        {L"/print /copies 0 " + Quoted(doc), 2},
        {L"/print /copies abc " + Quoted(doc), 2},
        {L"/print /copies 301 " + Quoted(doc), 2},
        {L"/print /frob " + Quoted(doc), 2},
        {L"/print " + Quoted(doc) + L" /printer", 2},
        {L"/print /suite libre " + Quoted(doc), 2},
        {L"/print /duplex both " + Quoted(doc), 2},
        {L"/print /duplex " + Quoted(doc), 2},
        {L"/print /color /mono " + Quoted(doc), 2},
        {L"/print /pages 0 " + Quoted(doc), 2},
        {L"/print /pages 5-2 " + Quoted(doc), 2},
        {L"/print /pages a " + Quoted(doc), 2},
        {L"/print /pages 1-99999 " + Quoted(doc), 2},
        {L"/print /list " + Quoted(temp / L"no list.txt") + L" " + Quoted(doc), 2},
        {L"/print /printer \"No Such Printer\" " + Quoted(doc), 3},
        // A label printer prints on one side only, in black.
        {L"/print /printer Tavrolin-Label /duplex long " + Quoted(doc), 3},
        {L"/print /printer Tavrolin-Label /duplex short " + Quoted(doc), 3},
        {L"/print /printer Tavrolin-Label /color " + Quoted(doc), 3},
        {L"/print " + Quoted(notes) + L" " + Quoted(emptyFolder), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        ChildProcess program;
        ASSERT_TRUE(program.Start(ProgramPath(), c.arguments + L" /report " + Quoted(report)));
        EXPECT_EQ(program.Wait(30000), c.code);
        EXPECT_EQ(::GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES) << "a report for a run that never was";
    }
    EXPECT_TRUE(spool::FindJobs(docName).empty());
}

TEST_F(PrintCommand, OneRunAtATimeAcrossTheWindowAndTheCommand) {
    const std::wstring token = testing_files::UniquePart();
    officesim::TraitDocument slow(L"slow-" + token, L".xlsx", L"print=6");
    testing_files::TempFolder temp(L"print-lock");
    const std::wstring other = temp.File(L"other-" + token + L".docx");
    const std::wstring report = temp / L"busy.csv";

    // A run in the window: a "/print" meanwhile ends at once with 5 and touches nothing.
    ChildProcess window;
    ASSERT_TRUE(window.Start(ProgramPath(), Quoted(slow.Path())));
    HWND main = WaitForWindow(window.Id(), texts::kMainTitle);
    ASSERT_NE(main, nullptr);
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return AnyRowSays(main, texts::kPrinting); }, 30000));
    {
        ChildProcess command;
        ASSERT_TRUE(command.Start(ProgramPath(), L"/print /printer Tavrolin-A /report " + Quoted(report) + L" " + Quoted(other)));
        EXPECT_EQ(command.Wait(30000), 5);
    }
    EXPECT_EQ(::GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Column(main, 0), (Names{slow.Path()})) << "the command handed its names to the window";
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return Column(main, 1) == Names{texts::kDone}; }, kRunWaitMs));
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault) << "the window's run did not end on the user's printer";
    EXPECT_TRUE(spool::FindJobs(L"other-" + token).empty());
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(testing_program::AnswerBox(window.Id(), texts::kConfirmExit, IDYES, 10000));
    EXPECT_EQ(window.Wait(20000), 0);

    // A "/print" run: a plain launch opens a window of its own, whose 开始打印 says so and starts nothing.
    ChildProcess command;
    ASSERT_TRUE(command.Start(ProgramPath(), L"/print " + Quoted(slow.Path())));
    HWND printing = WaitForWindow(command.Id(), texts::kPrintCommandTitle);
    ASSERT_NE(printing, nullptr);
    EXPECT_TRUE(::IsIconic(printing));
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return AnyRowSays(printing, texts::kPrinting); }, 30000));
    {
        ChildProcess plain;
        ASSERT_TRUE(plain.Start(ProgramPath(), Quoted(other)));
        HWND own = WaitForWindow(plain.Id(), texts::kMainTitle);
        ASSERT_NE(own, nullptr) << "the plain launch handed its names over instead of opening a window";
        EXPECT_EQ(Column(own, 0), (Names{other}));
        EXPECT_EQ(Column(printing, 0), (Names{slow.Path()}));
        ::PostMessageW(own, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
        EXPECT_TRUE(testing_program::AnswerBox(plain.Id(), texts::kAnotherRunActive, IDOK, 15000));
        EXPECT_EQ(Column(own, 1), (Names{texts::kPending}));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(own, IDC_START))) << "the refused run locked the window";
        ::PostMessageW(own, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(testing_program::AnswerBox(plain.Id(), texts::kConfirmExit, IDYES, 10000));
        EXPECT_EQ(plain.Wait(20000), 0);
    }
    EXPECT_EQ(command.Wait(kRunWaitMs), 0);
    EXPECT_TRUE(spool::FindJobs(L"other-" + token).empty());

    // The window closed before its run ended, and a "/print" killed mid-run, leave the lock free.
    ChildProcess killed;
    ASSERT_TRUE(killed.Start(ProgramPath(), L"/print " + Quoted(slow.Path())));
    HWND dying = WaitForWindow(killed.Id(), texts::kPrintCommandTitle);
    ASSERT_NE(dying, nullptr);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return AnyRowSays(dying, texts::kPrinting); }, 30000));
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, killed.Id());
    ASSERT_NE(process, nullptr);
    ::TerminateProcess(process, 9);
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
    officesim::EndServers();
    officesim::WaitForGuards();
    officesim::SetDefaultPrinter(userDefault);
    ChildProcess after;
    ASSERT_TRUE(after.Start(ProgramPath(), L"/print " + Quoted(other)));
    EXPECT_EQ(after.Wait(kRunWaitMs), 0) << "a killed run kept the lock";
}

namespace {

// What a command run by cmd.exe in this test's console wrote to `out`, read in the console's
// code page as a person's cmd would show it; the command's exit code through cmd's.
struct CmdResult {
    long code = -1;
    std::wstring text;
};

// Bytes a console program wrote, read in the console's code page.
std::wstring ConsoleText(const std::string& bytes) {
    const UINT page = ::GetConsoleOutputCP();
    const int size = ::MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) ::MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

CmdResult RunInCmd(const std::wstring& arguments, const std::wstring& out) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
    CmdResult result;
    ChildProcess shell;
    if (!shell.Start(cmd, L"/c \"" + Quoted(ProgramPath()) + L" " + arguments + L" > " + Quoted(out) + L"\"")) return result;
    result.code = shell.Wait(kRunWaitMs);
    result.text = ConsoleText(testing_files::ReadAll(out));
    return result;
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

}  // namespace

TEST_F(PrintCommand, TheConsoleGetsTheUsageAndTheResultInItsCodePage) {
    testing_files::TempFolder temp(L"print-console 控制台");
    const std::wstring doc = temp.File(L"报告 一.docx");
    const std::wstring out = temp / L"输出.txt";

    const CmdResult bad = RunInCmd(L"/print /copies 0 " + Quoted(doc), out);
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(Contains(bad.text, std::wstring(texts::kArgBadCopies) + L"0\r\n")) << testing::PrintToString(bad.text);
    EXPECT_TRUE(Contains(bad.text, L"用法：tavrolin.exe")) << testing::PrintToString(bad.text);
    EXPECT_TRUE(Contains(bad.text, L"/print [/printer 名称]")) << testing::PrintToString(bad.text);

    const CmdResult good = RunInCmd(L"/print " + Quoted(doc), out);
    EXPECT_EQ(good.code, 0);
    EXPECT_EQ(good.text, L"打印结束：成功 1 个，失败 0 个\r\n");

    const CmdResult failed = RunInCmd(L"/print " + Quoted(temp / L"不在.docx") + L" " + Quoted(doc), out);
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(Contains(failed.text, L"失败：" + (temp / L"不在.docx") + L"（" + texts::kReasonFileUnreadable + L"）\r\n"))
        << testing::PrintToString(failed.text);
    EXPECT_TRUE(Contains(failed.text, L"打印结束：成功 1 个，失败 1 个\r\n")) << testing::PrintToString(failed.text);
}

namespace {

std::wstring Line(const wchar_t* start, const std::wstring& path, const wchar_t* why) {
    return start + path + L"（" + why + L"）\r\n";
}

// The paths of a report's rows, in order.
Names ReportPaths(const std::wstring& report) {
    Names paths;
    for (const Names& row : testing_report::Rows(report)) paths.push_back(row.empty() ? L"" : row[0]);
    return paths;
}

// Which of `paths` each of the jobs titled with `token` printed, in the order the spooler took them.
Names JobOrder(const std::wstring& token, const Names& paths) {
    std::vector<spool::Job> jobs = spool::WaitForJobs(token, paths.size(), 60000);
    std::sort(jobs.begin(), jobs.end(), [](const spool::Job& a, const spool::Job& b) { return a.id < b.id; });
    Names order;
    for (const spool::Job& job : jobs) {
        std::wstring which = L"? " + job.title;
        for (const std::wstring& path : paths)
            if (job.title.find(path.substr(path.find_last_of(L'\\') + 1)) != std::wstring::npos) which = path;
        order.push_back(which);
    }
    return order;
}

void SetWriteTime(const std::wstring& path, WORD year) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = 3;
    time.wDay = 1;
    FILETIME written{};
    ASSERT_TRUE(::SystemTimeToFileTime(&time, &written));
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
    ::CloseHandle(file);
}

}  // namespace

TEST_F(PrintCommand, EveryNameIsARowOrASkippedLine) {
    const std::wstring token = testing_files::UniquePart();
    testing_files::TempFolder temp(L"print-accounted 名称");
    const std::wstring good = temp.File(L"good-" + token + L".xlsx");
    const std::wstring goneFolder = temp / L"不在的文件夹";
    const std::wstring manual = temp.File(L"manual-" + token + L".pdf");
    const std::wstring goneDoc = temp / (L"gone-" + token + L".docx");
    const std::wstring report = temp / L"report.csv";
    const std::wstring out = temp / L"out.txt";

    const CmdResult mixed = RunInCmd(L"/print " + Quoted(good) + L" " + Quoted(goneFolder) + L" " + Quoted(manual) + L" " +
                                         Quoted(goneDoc) + L" /report " + Quoted(report),
                                     out);
    EXPECT_EQ(mixed.code, 1);
    EXPECT_EQ(mixed.text, Line(texts::kSkippedLine, manual, texts::kSkippedNotADocument) +
                              Line(texts::kFailedLine, goneFolder, texts::kReasonNameMissing) +
                              Line(texts::kFailedLine, goneDoc, texts::kReasonFileUnreadable) +
                              L"打印结束：成功 1 个，失败 2 个\r\n");
    const auto rows = testing_report::Rows(report);
    ASSERT_EQ(rows.size(), 3u) << testing::PrintToString(testing_files::ReadAll(report));
    EXPECT_EQ(rows[0][0], good);
    EXPECT_EQ(rows[0][1], texts::kDone);
    EXPECT_EQ((Names{rows[1][0], rows[1][1], rows[1][2]}), (Names{goneFolder, texts::kFailed, texts::kReasonNameMissing}));
    EXPECT_EQ((Names{rows[2][0], rows[2][1], rows[2][2]}), (Names{goneDoc, texts::kFailed, texts::kReasonFileUnreadable}));
    EXPECT_EQ(spool::WaitForJobs(token, 1, 30000).size(), 1u);
    EXPECT_TRUE(officesim::ReadLog(L"Word.Application").empty()) << "a server was asked for a missing document";

    // Nothing printable at all: 4, and the report still holds the name that failed.
    const std::wstring notes = temp.File(L"notes.txt");
    const std::wstring gonePdf = temp / L"gone.pdf";
    const CmdResult nothing = RunInCmd(L"/print " + Quoted(notes) + L" " + Quoted(gonePdf) + L" /report " + Quoted(report), out);
    EXPECT_EQ(nothing.code, 4);
    EXPECT_EQ(nothing.text, Line(texts::kSkippedLine, notes, texts::kSkippedNotADocument) +
                                Line(texts::kFailedLine, gonePdf, texts::kReasonNameMissing) + texts::kNothingToPrint + L"\r\n");
    EXPECT_EQ(ReportByPath(report),
              (std::map<std::wstring, std::pair<std::wstring, std::wstring>>{{gonePdf, {texts::kFailed, texts::kReasonNameMissing}}}));
}

TEST_F(PrintCommand, NamesAndListEntriesPrintInTheOrderGiven) {
    testing_files::TempFolder temp(L"print-order 顺序");
    const std::wstring report = temp / L"order.csv";

    // Names that sort neither way they are given, and a folder whose older document 添加目录 puts first.
    const std::wstring token = testing_files::UniquePart();
    const std::wstring b = temp.File(L"b-" + token + L".docx");
    const std::wstring newer = temp.File(L"docs\\d-" + token + L".docx");
    const std::wstring older = temp.File(L"docs\\e-" + token + L".docx");
    SetWriteTime(newer, 2021);
    SetWriteTime(older, 2020);
    const std::wstring c = temp.File(L"c-" + token + L".xlsx");
    const std::wstring a = temp.File(L"a-" + token + L".pptx");
    {
        ChildProcess program;
        ASSERT_TRUE(program.Start(ProgramPath(), L"/print " + Quoted(b) + L" " + Quoted(temp / L"docs") + L" " + Quoted(c) +
                                                     L" " + Quoted(a) + L" /report " + Quoted(report)));
        EXPECT_EQ(program.Wait(kRunWaitMs), 0);
        const Names given{b, older, newer, c, a};
        EXPECT_EQ(JobOrder(token, given), given);
        EXPECT_EQ(ReportPaths(report), given);
    }

    const std::wstring listToken = testing_files::UniquePart();
    const Names entries{temp.File(L"q-" + listToken + L".xlsx"), temp.File(L"p-" + listToken + L".docx"),
                        temp.File(L"r-" + listToken + L".pptx")};
    const std::wstring list = temp / L"列表.txt";
    ASSERT_TRUE(testing_files::WriteAll(list, testing_files::Narrow(entries[0] + L"\r\n" + entries[1] + L"\r\n" + entries[2])));
    {
        ChildProcess program;
        ASSERT_TRUE(program.Start(ProgramPath(), L"/print /list " + Quoted(list) + L" /report " + Quoted(report)));
        EXPECT_EQ(program.Wait(kRunWaitMs), 0);
        EXPECT_EQ(JobOrder(listToken, entries), entries);
        EXPECT_EQ(ReportPaths(report), entries);
    }
}

TEST_F(PrintCommand, RowsTheRunDidNotReachMakeTheExitCodeOne) {
    const std::wstring token = testing_files::UniquePart();
    officesim::TraitDocument slow(L"slow-" + token, L".xlsx", L"print=4");
    testing_files::TempFolder temp(L"print-stopped");
    const std::wstring later = temp.File(L"later-" + token + L".docx");
    const std::wstring report = temp / L"stopped.csv";

    // Stopped from its window by someone at the machine: what was printing ends, the rest is not reached.
    ChildProcess program;
    ASSERT_TRUE(program.Start(ProgramPath(), L"/print " + Quoted(slow.Path()) + L" " + Quoted(later) + L" /report " + Quoted(report)));
    HWND window = WaitForWindow(program.Id(), texts::kPrintCommandTitle);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return AnyRowSays(window, texts::kPrinting); }, 30000));
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_STOP_RUN, BN_CLICKED), 0);
    EXPECT_EQ(program.Wait(kRunWaitMs), 1);
    using Row = std::pair<std::wstring, std::wstring>;
    const auto byPath = ReportByPath(report);
    EXPECT_EQ(byPath.size(), 2u) << testing::PrintToString(testing_files::ReadAll(report));
    EXPECT_EQ(byPath.count(slow.Path()) ? byPath.at(slow.Path()).first : L"", texts::kDone);
    EXPECT_EQ(byPath.count(later) ? byPath.at(later) : Row{}, (Row{texts::kNotPrinted, L""}));
}

namespace {

// A printer of the tests set to work offline through the spooler, as a person does in its
// queue's menu; set back whatever happens.
class OfflinePrinter {
public:
    explicit OfflinePrinter(const std::wstring& name) : m_name(name) { m_set = Mark(true); }
    ~OfflinePrinter() {
        if (m_set) Mark(false);
    }
    bool Set() const { return m_set; }

private:
    bool Mark(bool offline) {
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        if (!::OpenPrinterW(const_cast<wchar_t*>(m_name.c_str()), &printer, &access)) return false;
        DWORD needed = 0;
        ::GetPrinterW(printer, 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        bool done = false;
        if (needed >= sizeof(PRINTER_INFO_2W) && ::GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
            auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
            info->pSecurityDescriptor = nullptr;  // left as it is
            if (offline)
                info->Attributes |= PRINTER_ATTRIBUTE_WORK_OFFLINE;
            else
                info->Attributes &= ~PRINTER_ATTRIBUTE_WORK_OFFLINE;
            done = ::SetPrinterW(printer, 2, buffer.data(), 0) != FALSE;
        }
        ::ClosePrinter(printer);
        return done;
    }
    std::wstring m_name;
    bool m_set = false;
};

}  // namespace

TEST_F(PrintCommand, APrinterInTroubleRefusesTheRunWithThreeAndSaysWhy) {
    // CUPS's paused queues read as ready through Wine's spooler (checked: Status 0); the
    // spooler's own "work offline" is what it reports.
    testing_files::TempFolder temp(L"print-offline");
    const std::wstring doc = temp.File(L"offline-" + testing_files::UniquePart() + L".docx");
    const std::wstring report = temp / L"never.csv";
    const std::wstring printer = L"测试打印机";
    OfflinePrinter offline(printer);
    ASSERT_TRUE(offline.Set());
    const CmdResult refused = RunInCmd(L"/print /printer " + Quoted(printer) + L" " + Quoted(doc) + L" /report " + Quoted(report),
                                       temp / L"out.txt");
    EXPECT_EQ(refused.code, 3);
    EXPECT_EQ(refused.text, texts::kPrinterQuestionStart + printer + texts::kPrinterQuestionState + texts::kPrinterOffline + L"。\r\n");
    EXPECT_EQ(::GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(spool::FindJobs(doc.substr(doc.find_last_of(L'\\') + 1)).empty());
}

TEST_F(PrintCommand, AWindowThatCannotBeMadeIsNoSuccess) {
    // A program with no display to reach gets no window, as one started where there is no desktop.
    // Wine's X11 driver takes the display from the process's Unix environment, which a Windows
    // parent cannot change: a Unix shell starts cmd, and the program, without one.
    const std::wstring shell = L"Z:\\bin\\sh";
    if (::GetFileAttributesW(shell.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no Unix shell to start it from";
    const std::wstring token = testing_files::UniquePart();
    testing_files::TempFolder temp(L"print-nowindow");
    const std::wstring doc = temp.File(L"nowindow-" + token + L".docx");
    // Under /tmp, whose Unix name the shell and whose Windows name this test both know.
    const std::wstring unixBase = L"/tmp/tavrolin-nowindow-" + token;
    auto windowsName = [](std::wstring unixName) {
        std::replace(unixName.begin(), unixName.end(), L'/', L'\\');
        return L"Z:" + unixName;
    };
    const std::wstring out = windowsName(unixBase + L".out"), windowsCode = windowsName(unixBase + L".code");
    const std::wstring script = windowsName(unixBase + L".sh");
    // One argument each: wine quotes what needs it for cmd, and cmd takes the ">" as its own.
    auto sh = [](const std::wstring& argument) { return L" '" + argument + L"'"; };
    ASSERT_TRUE(testing_files::WriteAll(script, testing_files::Narrow(L"env -u DISPLAY wine cmd /c" + sh(ProgramPath()) +
                                                                      L" /print" + sh(doc) + sh(L">") + sh(out) +
                                                                      L"\necho $? > " + unixBase + L".code\n")));
    ChildProcess starter;
    ASSERT_TRUE(starter.Start(shell, unixBase + L".sh"));
    starter.Wait(kRunWaitMs);
    // The shell's handle may be let go before its own children end: the code file says it is over.
    testing_ui::PumpUntil([&] { return !testing_files::ReadAll(windowsCode).empty(); }, kRunWaitMs);
    const std::string codeText = testing_files::ReadAll(windowsCode);
    const std::wstring text = ConsoleText(testing_files::ReadAll(out));
    for (const std::wstring& made : {script, windowsCode, out}) ::DeleteFileW(made.c_str());
    EXPECT_EQ(codeText, "3\n");
    EXPECT_EQ(text, std::wstring(texts::kNoWindow) + L"\r\n");
    EXPECT_TRUE(spool::FindJobs(L"nowindow-" + token).empty());
}

namespace {

// The pseudo console's functions are declared only for newer SDK targets than the build's; taken
// from kernel32 by name.
using PseudoConsole = void*;
using CreatePseudoConsoleFn = HRESULT(WINAPI*)(COORD, HANDLE, HANDLE, DWORD, PseudoConsole*);
using ClosePseudoConsoleFn = void(WINAPI*)(PseudoConsole);
// ProcThreadAttributeValue(22, FALSE, TRUE, FALSE)
constexpr DWORD_PTR kAttributePseudoConsole = 0x00020016;

template <typename Fn>
Fn Kernel32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
}

// What a command run by cmd.exe showed on the screen of a console of its own (a pseudo console
// whose screen this test reads), as the console sends it: UTF-8 text among terminal sequences.
std::string ScreenOf(const std::wstring& command) {
    const auto createPseudoConsole = Kernel32<CreatePseudoConsoleFn>("CreatePseudoConsole");
    const auto closePseudoConsole = Kernel32<ClosePseudoConsoleFn>("ClosePseudoConsole");
    if (!createPseudoConsole || !closePseudoConsole) return "no pseudo console";
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
    if (!::CreatePipe(&inRead, &inWrite, nullptr, 0) || !::CreatePipe(&outRead, &outWrite, nullptr, 0)) return "no pipes";
    PseudoConsole console = nullptr;
    if (FAILED(createPseudoConsole(COORD{200, 50}, inRead, outWrite, 0, &console))) return "no pseudo console";
    ::CloseHandle(inRead);
    ::CloseHandle(outWrite);
    std::string screen;
    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(outRead, buffer, sizeof(buffer), &got, nullptr) && got > 0) screen.append(buffer, got);
    });

    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<BYTE> attributes(size);
    STARTUPINFOEXW start{};
    start.StartupInfo.cb = sizeof(start);
    // None of this test's own handles: what cmd writes goes where the command sends it.
    start.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    start.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    ::InitializeProcThreadAttributeList(start.lpAttributeList, 1, 0, &size);
    ::UpdateProcThreadAttribute(start.lpAttributeList, 0, kAttributePseudoConsole, console, sizeof(console),
                                nullptr, nullptr);
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    std::wstring line = L"cmd.exe /c \"" + command + L"\"";
    PROCESS_INFORMATION process{};
    if (::CreateProcessW((std::wstring(system) + L"\\cmd.exe").c_str(), line.data(), nullptr, nullptr, FALSE,
                         EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &start.StartupInfo, &process)) {
        ::WaitForSingleObject(process.hProcess, kRunWaitMs);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else {
        screen = "cmd did not start";
    }
    ::DeleteProcThreadAttributeList(start.lpAttributeList);
    closePseudoConsole(console);
    reader.join();
    ::CloseHandle(inWrite);
    ::CloseHandle(outRead);
    return screen;
}

}  // namespace

TEST_F(PrintCommand, OutputSentToNulReachesNoScreen) {
    testing_files::TempFolder temp(L"print-nul");
    const std::wstring doc = temp.File(L"x.docx");
    // Refused at once for its copies, so nothing prints; the line is what matters.
    const std::wstring command = Quoted(ProgramPath()) + L" /print /copies 0 " + Quoted(doc);
    const std::string said = testing_files::Narrow(texts::kArgBadCopies);

    const std::string shown = ScreenOf(command + L" > CON");
    EXPECT_NE(shown.find(said), std::string::npos) << "the screen is not read: " << testing::PrintToString(shown);
    const std::string hidden = ScreenOf(command + L" > NUL");
    EXPECT_EQ(hidden.find(said), std::string::npos) << testing::PrintToString(hidden);
}

TEST_F(PrintCommand, ADocumentThatPrintedWhileTheCommandWasClosedReadsDone) {
    struct Case {
        const char* name;
        const wchar_t* traits;
        bool (*reached)();  // the printing document is where the case closes the window
    };
    const Case cases[] = {
        {"in PrintOut", L"print=2", [] { return !officesim::ServerWindows().empty(); }},
        {"in Close", L"hang=Document.Close", CloseHangs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        officesim::ClearLog();
        // Both alike, so whichever prints first is the one the close catches.
        officesim::TraitDocument a(L"closed-a", L".docx", c.traits), b(L"closed-b", L".docx", c.traits);
        testing_files::TempFolder temp(L"closed-report");
        const std::wstring report = temp / L"report.csv";

        ChildProcess program;
        ASSERT_TRUE(program.Start(ProgramPath(), L"/print /report " + Quoted(report) + L" " + Quoted(a.Path()) + L" " +
                                                     Quoted(b.Path())));
        HWND main = WaitForWindow(program.Id(), texts::kPrintCommandTitle);
        ASSERT_NE(main, nullptr);
        std::wstring printing;
        ASSERT_TRUE(testing_ui::PumpUntil([&] { return !(printing = PrintingRow(main)).empty() && c.reached(); }, 60000));
        const std::wstring other = printing == a.Path() ? b.Path() : a.Path();
        // What the window's close box, "taskkill" without /f and a log-off's close all send.
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.Wait(kRunWaitMs), 1) << "a row was not printed";

        const std::wstring printedName = printing.substr(printing.find_last_of(L'\\') + 1);
        EXPECT_EQ(spool::WaitForJobs(printedName, 1, 30000).size(), 1u) << "the document's job did not reach the queue";
        EXPECT_TRUE(spool::FindJobs(other.substr(other.find_last_of(L'\\') + 1)).empty());
        std::map<std::wstring, std::wstring> status;
        for (const Names& row : testing_report::Rows(report))
            if (row.size() >= 2) status[row[0]] = row[1];
        EXPECT_EQ(status, (std::map<std::wstring, std::wstring>{{printing, texts::kDone}, {other, texts::kNotPrinted}}))
            << testing::PrintToString(testing_files::ReadAll(report));
        officesim::EndServers();
    }
}

TEST_F(PrintCommand, ARunOfTheSameUserInAnotherSessionHoldsTheLock) {
    // Another session's run holds the lock file; its session's mutex is not ours to see.
    ASSERT_FALSE(RunLock::FilePath().empty());
    ::CreateDirectoryW(run_journal::Folder().c_str(), nullptr);
    HANDLE held = ::CreateFileW(RunLock::FilePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    officesim::TraitDocument document(L"other-session", L".docx", L"");
    testing_files::TempFolder temp(L"other-session");
    const std::wstring report = temp / L"report.csv";
    {
        ChildProcess command;
        ASSERT_TRUE(command.Start(ProgramPath(), L"/print /report " + Quoted(report) + L" " + Quoted(document.Path())));
        EXPECT_EQ(command.Wait(60000), 5);
    }
    EXPECT_EQ(::GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES);

    ChildProcess window;
    ASSERT_TRUE(window.Start(ProgramPath(), Quoted(document.Path())));
    HWND main = WaitForWindow(window.Id(), texts::kMainTitle);
    ASSERT_NE(main, nullptr);
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    EXPECT_TRUE(testing_program::AnswerBox(window.Id(), texts::kAnotherRunActive, IDOK, 15000));
    EXPECT_EQ(Column(main, 1), Names{texts::kPending});
    EXPECT_TRUE(spool::FindJobs(document.Name()).empty());

    // Once the other run lets go, the window's run goes ahead.
    ::CloseHandle(held);
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    EXPECT_TRUE(testing_ui::PumpUntil([&] { return Column(main, 1) == Names{texts::kDone}; }, kRunWaitMs));
    EXPECT_EQ(spool::WaitForJobs(document.Name(), 1, 30000).size(), 1u);
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(testing_program::AnswerBox(window.Id(), texts::kConfirmExit, IDYES, 10000));
    EXPECT_EQ(window.Wait(20000), 0);
}
