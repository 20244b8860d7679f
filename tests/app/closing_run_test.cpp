// What a run leaves on record when it is cut short in the program's own hands: closed while a
// document is in the office application, or refused because a run of the same user holds the
// lock from another session. Real launches of the shipped program, the jobs CUPS received, the
// report and the exit code.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>  // SetDefaultPrinter is its macro, as in the support library

#include <map>
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

HWND WindowOf(DWORD pid, const wchar_t* title) {
    HWND window = nullptr;
    testing_ui::PumpUntil(
        [&] {
            window = ::FindWindowW(nullptr, title);
            DWORD owner = 0;
            if (window) ::GetWindowThreadProcessId(window, &owner);
            return window && owner == pid;
        },
        30000);
    return window;
}

Names Column(HWND main, int column) { return testing_program::ListColumn(::GetDlgItem(main, IDC_DOCUMENT_LIST), column); }

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

class ClosingRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
        officesim::ResetBehaviours();
        officesim::RegisterAll();
        officesim::ClearLog();
        userDefault = officesim::DefaultPrinter();
    }
    void TearDown() override {
        EXPECT_TRUE(officesim::WaitNoServers(15000)) << "a server was left behind";
        officesim::EndServers();
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault) << "the run left the default printer changed";
        officesim::SetDefaultPrinter(userDefault);
        testing_program::ForgetCutRuns();
    }
    std::wstring userDefault;
};

}  // namespace

TEST_F(ClosingRun, ADocumentThatPrintedWhileTheCommandWasClosedReadsDone) {
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
        HWND main = WindowOf(program.Id(), texts::kPrintCommandTitle);
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

TEST_F(ClosingRun, ARunOfTheSameUserInAnotherSessionHoldsTheLock) {
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
    HWND main = WindowOf(window.Id(), texts::kMainTitle);
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
