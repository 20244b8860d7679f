// Unattended runs against servers that behave like real office applications: documents with
// passwords, fields that change when printed, auto-run macros, external links, background
// printing, servers that stop answering and long prints that keep working. Every row must end
// truthfully and soon, only the printable documents may reach the queue, and the machine is
// left as it was found.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/texts.h"
#include "automation/convert_class.h"
#include "run/print_worker.h"
#include "support/main_window.h"
#include "support/officesim_control.h"
#include "support/officesim_documents.h"
#include "support/officesim_log.h"
#include "support/officesim_windows.h"
#include "support/spool_capture.h"

using testing_ui::ModalBox;
using testing_ui::ModalResponder;

namespace {

// The watchdog's silent limit for these tests; a prompt is given up on after a sixth of it.
constexpr const wchar_t* kWatchdogSeconds = L"6";

void Select(MainWindow& w, int box, const std::wstring& text) {
    const LRESULT i = ::SendMessageW(w.item(box), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(i, CB_ERR) << testing::PrintToString(text);
    ::SendMessageW(w.item(box), CB_SETCURSEL, i, 0);
}

class UnattendedRun : public testing::Test {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_SECONDS", kWatchdogSeconds);
        officesim::ResetBehaviours();
        ASSERT_TRUE(officesim::RegisterAll());
        officesim::ClearLog();
        userDefault = officesim::DefaultPrinter();
        chosen = userDefault == L"Tavrolin-A" ? L"测试打印机" : L"Tavrolin-A";
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_SECONDS", nullptr);
        officesim::ResetBehaviours();
        officesim::RegisterAll();
        EXPECT_TRUE(officesim::WaitNoServers(10000)) << "a server of the run was left behind";
        officesim::EndServers();
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault) << "the run left the default printer changed";
        officesim::SetDefaultPrinter(userDefault);
    }

    // Runs the window's list to its end with the given suite and copies.
    void RunList(MainWindow& w, const wchar_t* suite, int copies) {
        Select(w, IDC_SUITE, suite);
        Select(w, IDC_PRINTER, chosen);
        Select(w, IDC_COPIES, std::to_wstring(copies));
        w.Click(IDC_START);
        ASSERT_TRUE(w.dlg().Run().Active());
        ASSERT_TRUE(testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 600000)) << "the run never ended";
    }

    std::wstring userDefault, chosen;
};

struct Hostile {
    const wchar_t* stem;
    const wchar_t* extension;
    const wchar_t* traits;
    PrintOutcome outcome;
};

// One list of everything a real office application does to an unattended run.
const Hostile kHostile[] = {
    {L"plain", L".docx", L"", PrintOutcome::Printed},
    {L"password", L".docx", L"password=secret", PrintOutcome::NeedsPassword},
    {L"writepassword", L".doc", L"writepassword=secret", PrintOutcome::NeedsPassword},
    {L"fields", L".docx", L"fields", PrintOutcome::Printed},
    {L"macro", L".docx", L"macro fields", PrintOutcome::Printed},
    {L"silent", L".docx", L"hang=PrintOut", PrintOutcome::ServerNotAnswering},
    {L"unknown-dialog", L".doc", L"hang=Open:dialog", PrintOutcome::ServerNotAnswering},
    {L"long-print", L".docx", L"print=9", PrintOutcome::Printed},
    {L"links", L".xlsx", L"links", PrintOutcome::Printed},
    {L"sheet-password", L".xlsx", L"password=secret", PrintOutcome::NeedsPassword},
    {L"sheet-macro", L".xls", L"macro fields", PrintOutcome::Printed},
    {L"sheet-silent", L".xlsx", L"hang=Workbook.PrintOut", PrintOutcome::ServerNotAnswering},
    {L"background", L".pptx", L"spool=3", PrintOutcome::Printed},
    {L"deck-macro", L".ppt", L"macro", PrintOutcome::Printed},
    {L"deck-password", L".pptx", L"password=secret", PrintOutcome::ServerNotAnswering},
};

TEST_F(UnattendedRun, AHostileListEndsTruthfullyOnTheChosenQueueAndLeavesNothingBehind) {
    struct Round {
        const wchar_t* suite;
        int copies;
    } rounds[] = {{L"MS Office", 2}, {L"WPS", 1}};
    for (const Round& round : rounds) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(round.suite)));
        std::vector<std::unique_ptr<officesim::TraitDocument>> documents;
        std::map<std::wstring, PrintOutcome> expected;
        MainWindow w;
        for (const Hostile& h : kHostile) {
            documents.push_back(std::make_unique<officesim::TraitDocument>(h.stem, h.extension, h.traits));
            expected[documents.back()->Path()] = h.outcome;
        }
        // A document that went away after it was added.
        const std::wstring missing = documents.front()->Path() + L".gone.docx";
        expected[missing] = PrintOutcome::FileUnreadable;
        std::vector<std::wstring> paths{missing};
        for (const auto& d : documents) paths.push_back(d->Path());
        w.dlg().Documents().AddNewDocuments(paths);

        ModalResponder boxes([](const ModalBox&) { return IDOK; });
        const ULONGLONG start = ::GetTickCount64();
        RunList(w, round.suite, round.copies);
        std::printf("[ timing ] %ls: %zu documents in %llu ms\n", round.suite, paths.size(), ::GetTickCount64() - start);
        EXPECT_TRUE(boxes.Boxes().empty()) << "nobody is asked anything in an unattended run";

        for (int i = 0; i < w.RowCount(); ++i) {
            const std::wstring path = w.Cell(i, 0);
            const PrintOutcome want = expected.at(path);
            SCOPED_TRACE(testing::PrintToString(path));
            EXPECT_EQ(w.Cell(i, 1), want == PrintOutcome::Printed ? L"完成" : L"失败");
            EXPECT_EQ(w.dlg().Documents().ReasonAt(i), OutcomeReason(want));
        }

        // Exactly the printable documents reached the spooler, on the chosen queue, with the copies.
        for (const auto& d : documents) {
            const bool printable = expected.at(d->Path()) == PrintOutcome::Printed;
            const std::vector<spool::Job> jobs =
                printable ? spool::WaitForJobs(d->Name(), 1, 30000) : spool::FindJobs(d->Name());
            SCOPED_TRACE(testing::PrintToString(d->Name()));
            ASSERT_EQ(jobs.size(), printable ? 1u : 0u);
            if (printable) {
                EXPECT_EQ(jobs[0].queue, chosen);
                EXPECT_EQ(jobs[0].copies, round.copies);
            }
        }
        EXPECT_TRUE(officesim::WaitNoServers(10000)) << "a server of the run was left behind";
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault);
    }
}

TEST_F(UnattendedRun, AUsersOwnPowerPointKeepsRunningAndTheRunPrintsOnTheChosenPrinter) {
    // The user's PowerPoint started before the run found the user's default printer; the run's
    // presentations go to the chosen one all the same, and the user's copy is never ended.
    officesim::UserServer users(L"PowerPoint.Application");
    ASSERT_TRUE(users.Running());
    officesim::TraitDocument deck(L"users-deck", L".pptx", L"spool=2");
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({deck.Path()});
    RunList(w, L"MS Office", 1);

    EXPECT_EQ(w.Cell(0, 1), L"完成") << testing::PrintToString(w.dlg().Documents().ReasonAt(0));
    const std::vector<spool::Job> jobs = spool::WaitForJobs(deck.Name(), 1, 30000);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].queue, chosen);
    bool served = false;
    for (const auto& call : officesim::ReadLog(L"PowerPoint.Application")) served |= call.pid == users.Pid();
    EXPECT_TRUE(served) << "the run's presentation went to the user's running PowerPoint";
    testing_ui::Pump(1000);
    EXPECT_TRUE(users.Running()) << "the user's PowerPoint was ended";
    EXPECT_TRUE(users.Close());
}

TEST_F(UnattendedRun, AServerThatCannotStartIsReportedOnceARun) {
    officesim::Unregister(L"Word.Application");
    officesim::TraitDocument a(L"nostart-a", L".docx", L""), b(L"nostart-b", L".doc", L""),
        c(L"nostart-c", L".docx", L""), sheet(L"nostart-sheet", L".xlsx", L"");
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({a.Path(), b.Path(), sheet.Path(), c.Path()});

    ModalResponder boxes([](const ModalBox&) { return IDOK; });
    RunList(w, L"MS Office", 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u) << "one box for Word, however many Word documents";
    EXPECT_EQ(boxes.Boxes()[0].text, texts::kCannotStartMsWord);
    EXPECT_EQ(boxes.Boxes()[0].owner, w.hwnd());
    for (int i = 0; i < w.RowCount(); ++i) {
        const bool isSheet = w.Cell(i, 0) == sheet.Path();
        EXPECT_EQ(w.Cell(i, 1), isSheet ? L"完成" : L"失败") << i;
        EXPECT_EQ(w.dlg().Documents().ReasonAt(i), isSheet ? L"" : OutcomeReason(PrintOutcome::ServerCannotStart)) << i;
    }
}

TEST_F(UnattendedRun, AFailedRowTellsWhyInItsTip) {
    MainWindow w;
    const std::wstring missing = L"C:\\nowhere\\报告 缺失.docx";
    w.dlg().Documents().AddNewDocuments({missing});
    RunList(w, L"MS Office", 1);
    ASSERT_EQ(w.Cell(0, 1), L"失败");

    // The list asks its parent for the tip of the row under the pointer.
    wchar_t buffer[256] = L"";
    NMLVGETINFOTIPW tip{};
    tip.hdr.hwndFrom = w.item(IDC_DOCUMENT_LIST);
    tip.hdr.idFrom = IDC_DOCUMENT_LIST;
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.dwFlags = LVGIT_UNFOLDED;
    tip.pszText = buffer;
    tip.cchTextMax = 256;
    tip.iItem = 0;
    ::SendMessageW(w.hwnd(), WM_NOTIFY, IDC_DOCUMENT_LIST, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(std::wstring(buffer), OutcomeReason(PrintOutcome::FileUnreadable));
}

}  // namespace
