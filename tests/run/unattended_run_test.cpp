// Unattended runs against servers that behave like real office applications: documents with
// passwords, fields that change when printed, auto-run macros, external links, background
// printing, servers that stop answering and long prints that keep working. Every row must end
// truthfully and soon, only the printable documents may reach the queue, and the machine is
// left as it was found.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "automation/convert_class.h"
#include "common/resource.h"
#include "common/texts.h"
#include "run/outcome_text.h"
#include "run/print_worker.h"
#include "run/run_controller.h"
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
        // From a clean machine, whatever the test before left: a server, a user's document, a guard at work.
        officesim::EndServers();
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
    // Starts the list on the chosen printer.
    void StartList(MainWindow& w, const wchar_t* suite, int copies) {
        Select(w, IDC_SUITE, suite);
        Select(w, IDC_PRINTER, chosen);
        Select(w, IDC_COPIES, std::to_wstring(copies));
        w.Click(IDC_START);
        ASSERT_TRUE(w.dlg().Run().Active());
    }

    void RunList(MainWindow& w, const wchar_t* suite, int copies) {
        ASSERT_NO_FATAL_FAILURE(StartList(w, suite, copies));
        ASSERT_TRUE(testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 600000)) << "the run never ended";
        // The worker's own end: its clean-up of the run's servers is over once it returns.
        ASSERT_TRUE(w.dlg().Run().Shutdown(kStopWaitMs)) << "the worker did not end after the run";
    }

    std::wstring userDefault, chosen;
};

struct Hostile {
    const wchar_t* stem;
    const wchar_t* extension;
    const wchar_t* traits;
    PrintOutcome outcome;
    PrintOutcome wpsOutcome;  // where WPS ends differently
};
constexpr PrintOutcome kSame = static_cast<PrintOutcome>(-1);

// One list of everything a real office application does to an unattended run.
const Hostile kHostile[] = {
    {L"plain", L".docx", L"", PrintOutcome::Printed, kSame},
    {L"password", L".docx", L"password=secret", PrintOutcome::NeedsPassword, kSame},
    {L"writepassword", L".doc", L"writepassword=secret", PrintOutcome::NeedsPassword, kSame},
    {L"fields", L".docx", L"fields", PrintOutcome::Printed, kSame},
    {L"macro", L".docx", L"macro fields", PrintOutcome::Printed, kSame},
    {L"text-as-doc", L".doc", L"encoding", PrintOutcome::Printed, kSame},
    {L"silent", L".docx", L"hang=PrintOut", PrintOutcome::ServerNotAnswering, kSame},
    {L"unknown-dialog", L".doc", L"hang=Open:dialog", PrintOutcome::ServerNotAnswering, kSame},
    {L"long-print", L".docx", L"print=9", PrintOutcome::Printed, kSame},
    {L"users-letter", L".docx", L"userdoc fields", PrintOutcome::Printed, kSame},
    {L"links", L".xlsx", L"links", PrintOutcome::Printed, kSame},
    {L"sheet-password", L".xlsx", L"password=secret", PrintOutcome::NeedsPassword, kSame},
    {L"sheet-macro", L".xls", L"macro fields", PrintOutcome::Printed, kSame},
    {L"read-only-recommended", L".xlsx", L"readonlyrecommended", PrintOutcome::Printed, kSame},
    {L"in-use", L".xls", L"notify", PrintOutcome::Printed, kSame},
    {L"users-sheet", L".xlsx", L"userdoc", PrintOutcome::Printed, kSame},
    {L"sheet-silent", L".xlsx", L"hang=Workbook.PrintOut", PrintOutcome::ServerNotAnswering, kSame},
    {L"background", L".pptx", L"spool=3", PrintOutcome::Printed, kSame},
    {L"deck-macro", L".ppt", L"macro", PrintOutcome::Printed, kSame},
    // Microsoft PowerPoint is given an unused password in the file name and fails at once; WPS
    // is not, and its password prompt is given up on.
    {L"deck-password", L".pptx", L"password=secret", PrintOutcome::NeedsPassword, PrintOutcome::ServerNotAnswering},
    {L"users-deck", L".pptx", L"userdoc", PrintOutcome::Printed, kSame},
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
            const bool wps = std::wstring(round.suite) == L"WPS";
            expected[documents.back()->Path()] = wps && h.wpsOutcome != kSame ? h.wpsOutcome : h.outcome;
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
        // The user's documents that landed in the run's servers are still open, unsaved work and
        // all; the servers that hold them end once their user closes them.
        const std::vector<officesim::ServerWindow> users = officesim::UserDocumentWindows();
        EXPECT_EQ(users.size(), 3u) << "a user's document was closed by the run";
        for (const auto& call : officesim::ReadLog()) EXPECT_NE(call.result, L"discard:userdoc") << testing::PrintToString(officesim::Brief(call));
        for (const auto& window : users) EXPECT_TRUE(officesim::CloseUserDocument(window.hwnd, 10000));
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
    // Looked at once the worker has ended, after its end-of-run clean-up.
    EXPECT_TRUE(users.Running()) << "the user's PowerPoint was ended";
    EXPECT_TRUE(users.Close());
}

// The run's presentation went into the PowerPoint its user works in, and the call stops
// answering there: the run gives up on the call and never ends the user's program. The user
// started it before the run, or from the shell while the run's own was starting: it then serves
// the run's object as well, and the run's own start hands over to it.
TEST_F(UnattendedRun, AHungCallInTheUsersPowerPointIsGivenUpOnWithoutEndingIt) {
    for (const bool duringStart : {false, true}) {
        SCOPED_TRACE(duringStart ? "started during the run's start" : "running before the run");
        officesim::ClearLog();
        std::optional<officesim::UserServer> before;
        std::optional<officesim::StandInShell> shell;
        if (duringStart) {
            shell.emplace();
            officesim::Behaviour behaviour;
            behaviour.userCopyAtStart = L"PowerPoint.Application";
            officesim::SetBehaviour(L"PowerPoint.Application", behaviour);
        } else {
            before.emplace(L"PowerPoint.Application");
            ASSERT_TRUE(before->Running());
        }
        officesim::TraitDocument deck(L"users-hung-deck", L".pptx", L"hang=PrintOut");
        MainWindow w;
        w.dlg().Documents().AddNewDocuments({deck.Path()});
        ASSERT_NO_FATAL_FAILURE(StartList(w, L"MS Office", 1));
        // Past the silent limit and the sampling: the run has given up on the call by now.
        testing_ui::Pump(static_cast<DWORD>(std::stoi(kWatchdogSeconds)) * 1000 + 4000);
        std::vector<DWORD> users = duringStart ? shell->Children() : std::vector<DWORD>{before->Pid()};
        if (!duringStart && !before->Running()) users.clear();
        ASSERT_EQ(users.size(), 1u) << "the user's PowerPoint was ended";
        EXPECT_FALSE(officesim::ServerWindows(users[0]).empty()) << "the user's PowerPoint lost its window";
        bool served = false;
        for (const auto& call : officesim::ReadLog(L"PowerPoint.Application")) served |= call.pid == users[0];
        EXPECT_TRUE(served) << "the run's presentation did not go to the user's PowerPoint";

        // Under Wine the cancelled call stays blocked in the hung process until its user ends it.
        if (before) before->Close(2000);
        else officesim::EndServer(users[0]);
        ASSERT_TRUE(testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 60000)) << "the run never ended";
        ASSERT_TRUE(w.dlg().Run().Shutdown(kStopWaitMs));
        EXPECT_EQ(w.Cell(0, 1), L"失败");
        EXPECT_EQ(w.dlg().Documents().ReasonAt(0), OutcomeReason(PrintOutcome::ServerNotAnsweringInUse));
        officesim::ResetBehaviours();
        officesim::WaitForGuards();
    }
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

TEST_F(UnattendedRun, EachFailedRowTellsItsOwnReasonInItsTip) {
    officesim::Unregister(L"Excel.Application");
    officesim::TraitDocument locked(L"tip-password", L".docx", L"password=secret"), sheet(L"tip-sheet", L".xlsx", L""),
        plain(L"tip-plain", L".docx", L"");
    const std::wstring missing = L"C:\\nowhere\\报告 缺失.docx";
    const std::map<std::wstring, PrintOutcome> expected = {{missing, PrintOutcome::FileUnreadable},
                                                           {locked.Path(), PrintOutcome::NeedsPassword},
                                                           {sheet.Path(), PrintOutcome::ServerCannotStart},
                                                           {plain.Path(), PrintOutcome::Printed}};
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({plain.Path(), missing, sheet.Path(), locked.Path()});
    ModalResponder boxes([](const ModalBox&) { return IDOK; });
    RunList(w, L"MS Office", 1);

    ASSERT_EQ(w.RowCount(), 4);
    for (int row = 0; row < w.RowCount(); ++row) {
        const PrintOutcome want = expected.at(w.Cell(row, 0));
        SCOPED_TRACE(testing::Message() << "row " << row << ": " << testing::PrintToString(w.Cell(row, 0)));
        EXPECT_EQ(w.Cell(row, 1), want == PrintOutcome::Printed ? L"完成" : L"失败");
        EXPECT_EQ(w.Tip(row), OutcomeReason(want));
    }
}

// A document the user opened while the run was printing can land in the run's server: Word takes
// it into a running hidden Word, and one PowerPoint serves every client. It arrives with the
// run's Open, or while the run's document prints, after the count that followed Open. The run
// closes only its own document there, never tells that server to quit or closes every workbook,
// and never ends it.
TEST_F(UnattendedRun, AUsersDocumentThatLandedInTheRunsServerSurvivesTheRun) {
    const struct {
        const wchar_t* extension;
        const wchar_t* traits;
    } arrivals[] = {{L".docx", L"userdoc"}, {L".xlsx", L"userdoc"}, {L".pptx", L"userdoc"},
                    {L".docx", L"userdoc=print"}, {L".xlsx", L"userdoc=print"}};
    for (const auto& [extension, traits] : arrivals) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(extension) + L" " + traits));
        officesim::ClearLog();
        officesim::TraitDocument arrives(L"arrival", extension, traits);
        MainWindow w;
        w.dlg().Documents().AddNewDocuments({arrives.Path()});
        RunList(w, L"MS Office", 1);

        EXPECT_EQ(w.Cell(0, 1), L"完成") << testing::PrintToString(w.dlg().Documents().ReasonAt(0));
        EXPECT_EQ(spool::WaitForJobs(arrives.Name(), 1, 30000).size(), 1u);
        for (const auto& call : officesim::ReadLog()) EXPECT_NE(call.result, L"discard:userdoc") << testing::PrintToString(officesim::Brief(call));
        const std::vector<officesim::ServerWindow> users = officesim::UserDocumentWindows();
        ASSERT_EQ(users.size(), 1u) << "the user's document is gone after the run";
        // Its user closes it later; then nothing of the run is left.
        EXPECT_TRUE(officesim::CloseUserDocument(users[0].hwnd, 10000));
        EXPECT_TRUE(officesim::WaitNoServers(10000));
        officesim::WaitForGuards();
    }
}

// The user started their own copy of the application (from the shell, so its parent is the shell)
// during the seconds the run's server was starting: same program, but not the run's. A copy
// another program started hidden shows no window, so only whose it is can spare it.
TEST_F(UnattendedRun, AUsersOwnCopyStartedDuringAServerStartSurvivesTheRun) {
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "hidden" : "with its window");
        officesim::StandInShell shell;
        officesim::Behaviour behaviour;
        behaviour.userCopyAtStart = L"Excel.Application";
        behaviour.userCopyHidden = hidden;
        officesim::SetBehaviour(L"Excel.Application", behaviour);
        officesim::TraitDocument sheet(L"during-start", L".xlsx", L"");
        MainWindow w;
        w.dlg().Documents().AddNewDocuments({sheet.Path()});
        RunList(w, L"MS Office", 1);
        officesim::ResetBehaviours();

        EXPECT_EQ(w.Cell(0, 1), L"完成") << testing::PrintToString(w.dlg().Documents().ReasonAt(0));
        const std::vector<DWORD> copies = shell.Children();
        ASSERT_EQ(copies.size(), 1u) << "the user's copy was not started, or was ended with the run";
        const std::vector<officesim::ServerWindow> windows = officesim::ServerWindows(copies[0]);
        if (hidden) {
            // Whoever started it ends it; the shell goes when the user's session does.
            EXPECT_TRUE(windows.empty());
            EXPECT_TRUE(officesim::EndServer(copies[0]));
        } else {
            ASSERT_FALSE(windows.empty()) << "the user's copy shows no window";
            // Its user closes it; the shell goes when the user's session does.
            ::PostMessageW(windows[0].hwnd, WM_CLOSE, 0, 0);
        }
    }
    EXPECT_TRUE(officesim::WaitNoServers(10000));
}

// WPS as it is installed: the registered executable is a launcher that starts the real server and
// ends. A server behind it that hangs silently is still found, given up on and ended with the
// helpers it started; the next document gets a new server and prints.
TEST_F(UnattendedRun, AServerBehindALauncherThatHangsIsGivenUpOnAndNothingIsLeft) {
    ASSERT_TRUE(officesim::RegisterThroughLauncher(L"kWps.Application"));
    officesim::TraitDocument hung(L"launcher-silent", L".docx", L"hang=PrintOut"), next(L"launcher-next", L".doc", L"");
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({next.Path(), hung.Path()});  // the newest row is printed first
    const ULONGLONG start = ::GetTickCount64();
    RunList(w, L"WPS", 1);
    std::printf("[ timing ] a hung server behind a launcher and one more document: %llu ms\n",
                ::GetTickCount64() - start);

    for (int row = 0; row < w.RowCount(); ++row) {
        const bool isHung = w.Cell(row, 0) == hung.Path();
        SCOPED_TRACE(testing::PrintToString(w.Cell(row, 0)));
        EXPECT_EQ(w.dlg().Documents().ReasonAt(row),
                  OutcomeReason(isHung ? PrintOutcome::ServerNotAnswering : PrintOutcome::Printed));
    }
    EXPECT_EQ(spool::WaitForJobs(next.Name(), 1, 30000).size(), 1u);
    EXPECT_TRUE(spool::FindJobs(hung.Name()).empty());
    EXPECT_TRUE(officesim::WaitNoServers(5000)) << "a process of the hung server outlived the run";
}

// Only the server's own work keeps a call alive. WPS starts helpers (a print or cloud helper)
// once it runs: one that idles while its server hangs goes with it when that is given up on, and
// one that works keeps its server's slow print going. A job of this user's on the same queue,
// started before the server and growing while it hangs, is not the server's work.
TEST_F(UnattendedRun, OnlyTheServersOwnWorkKeepsItsCallAlive) {
    const struct {
        const char* name;
        const wchar_t* helper;
        const wchar_t* traits;
        bool jobBefore;
        PrintOutcome outcome;
    } rows[] = {
        {"a helper idles while its server hangs", L"idle", L"hang=PrintOut", false, PrintOutcome::ServerNotAnswering},
        {"a helper works while its server waits", L"9", L"", false, PrintOutcome::Printed},
        {"an earlier job grows on the queue while the server hangs", L"", L"hang=PrintOut", true,
         PrintOutcome::ServerNotAnswering},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        officesim::ResetBehaviours();
        officesim::Behaviour behaviour;
        behaviour.helper = row.helper;
        officesim::SetBehaviour(L"kWps.Application", behaviour);
        officesim::TraitDocument letter(L"own-work", L".docx", row.traits);
        MainWindow w;
        w.dlg().Documents().AddNewDocuments({letter.Path()});

        // The earlier job is written a chunk every half second until the run ends, for a minute at most.
        std::atomic<bool> runEnded{false}, outlasted{false};
        std::thread writer;
        HANDLE printer = nullptr;
        if (row.jobBefore) {
            ASSERT_TRUE(::OpenPrinterW(const_cast<wchar_t*>(chosen.c_str()), &printer, nullptr));
            DOC_INFO_1W doc{const_cast<wchar_t*>(L"earlier-job"), nullptr, const_cast<wchar_t*>(L"RAW")};
            ASSERT_NE(::StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc)), 0u);
            writer = std::thread([&] {
                const std::string chunk(4096, ' ');
                const ULONGLONG end = ::GetTickCount64() + 60000;
                while (!runEnded) {
                    if (::GetTickCount64() > end) {
                        outlasted = true;
                        break;
                    }
                    DWORD written = 0;
                    ::WritePrinter(printer, const_cast<char*>(chunk.data()), DWORD(chunk.size()), &written);
                    ::Sleep(500);
                }
            });
        }
        RunList(w, L"WPS", 1);
        runEnded = true;
        if (writer.joinable()) writer.join();
        if (printer) {
            ::AbortPrinter(printer);
            ::ClosePrinter(printer);
        }
        EXPECT_FALSE(outlasted) << "the run waited on a job that was not its server's";
        EXPECT_EQ(w.dlg().Documents().ReasonAt(0), OutcomeReason(row.outcome));
        const bool printed = row.outcome == PrintOutcome::Printed;
        EXPECT_EQ((printed ? spool::WaitForJobs(letter.Name(), 1, 30000) : spool::FindJobs(letter.Name())).size(),
                  printed ? 1u : 0u);
        EXPECT_TRUE(officesim::WaitNoServers(5000)) << "the server or its helper outlived the run";
        officesim::EndServers();
    }
}

// A licence or activation window while the server starts holds the activation: the server is
// given up on at the prompt limit, its rows say why, and the one box of the run says so.
TEST_F(UnattendedRun, AServerThatWaitsAtItsStartIsGivenUpOnOnceARun) {
    officesim::Behaviour behaviour;
    behaviour.startWindow = true;
    officesim::SetBehaviour(L"Word.Application", behaviour);
    officesim::TraitDocument a(L"start-window-a", L".docx", L""), b(L"start-window-b", L".doc", L""),
        sheet(L"start-window-sheet", L".xlsx", L"");
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({a.Path(), sheet.Path(), b.Path()});
    ModalResponder boxes([](const ModalBox&) { return IDOK; });
    // When the held server came up and when it was gone, seen from outside.
    std::atomic<bool> done{false};
    std::atomic<ULONGLONG> seen{0}, gone{0};
    std::thread watcher([&] {
        while (!done) {
            const bool running = !officesim::RunningServers().empty();
            if (running && !seen) seen = ::GetTickCount64();
            if (!running && seen && !gone) gone = ::GetTickCount64();
            ::Sleep(50);
        }
    });
    RunList(w, L"MS Office", 1);
    done = true;
    watcher.join();

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, ServerStartFailureText(DocumentKind::Word, kSuiteMsOffice, PrintOutcome::ServerStuckAtStart));
    for (int row = 0; row < w.RowCount(); ++row) {
        const bool isSheet = w.Cell(row, 0) == sheet.Path();
        SCOPED_TRACE(testing::PrintToString(w.Cell(row, 0)));
        EXPECT_EQ(w.dlg().Documents().ReasonAt(row),
                  OutcomeReason(isSheet ? PrintOutcome::Printed : PrintOutcome::ServerStuckAtStart));
    }
    // Ended at the prompt limit (1 s here) plus the sampling, well before the silent limit (6 s).
    // Wine's activation itself only returns after its own wait (30 s); Windows' when the server ends.
    ASSERT_NE(seen.load(), 0u);
    ASSERT_NE(gone.load(), 0u) << "the held server was never ended";
    std::printf("[ timing ] the held server ended %llu ms after it came up\n", gone.load() - seen.load());
    EXPECT_LT(gone.load() - seen.load(), 6000u);
    EXPECT_TRUE(officesim::WaitNoServers(5000));
}

// The person's stop during the second of five documents: the second is finished and printed, the
// rest are never started and say so, the run ends as any run does, and keeping what was not
// printed and starting again prints exactly those.
TEST_F(UnattendedRun, AStopLetsTheCurrentDocumentFinishAndTheRestIsPrintedNextTime) {
    officesim::TraitDocument a(L"stop-1", L".docx", L""), b(L"stop-2", L".docx", L"print=3"), c(L"stop-3", L".xlsx", L""),
        d(L"stop-4", L".doc", L""), e(L"stop-5", L".pptx", L"");
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({e.Path(), d.Path(), c.Path(), b.Path(), a.Path()});  // rows a..e
    ASSERT_NO_FATAL_FAILURE(StartList(w, L"MS Office", 1));
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return w.Cell(1, 1) == L"打印中"; }, 60000));
    testing_ui::Pump(1000);  // inside the second document's long PrintOut
    ModalResponder boxes([](const ModalBox&) { return IDOK; });
    w.Click(IDC_STOP_RUN);
    EXPECT_EQ(testing_ui::WindowText(w.item(IDC_STOP_RUN)), L"正在停止…");
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 60000)) << "the run never ended";
    ASSERT_TRUE(w.dlg().Run().Shutdown(kStopWaitMs));
    EXPECT_TRUE(boxes.Boxes().empty());

    const std::vector<std::wstring> statuses{L"完成", L"完成", L"未打印", L"未打印", L"未打印"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w.Cell(i, 1), statuses[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(spool::WaitForJobs(b.Name(), 1, 30000).size(), 1u) << "the document in progress was finished";
    EXPECT_EQ(spool::WaitForJobs(a.Name(), 1, 30000).size(), 1u);
    for (const auto* never : {&c, &d, &e}) EXPECT_TRUE(spool::FindJobs(never->Name()).empty());
    EXPECT_TRUE(officesim::WaitNoServers(10000)) << "a server of the stopped run was left";
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault);

    w.dlg().Documents().KeepNotPrinted();
    ASSERT_EQ(w.dlg().Documents().Paths(), (std::vector<std::wstring>{c.Path(), d.Path(), e.Path()}));
    RunList(w, L"MS Office", 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(w.Cell(i, 1), L"完成") << i;
    for (const auto* doc : {&c, &d, &e}) EXPECT_EQ(spool::WaitForJobs(doc->Name(), 1, 30000).size(), 1u);
    testing_ui::Pump(1000);
    for (const auto* doc : {&a, &b}) EXPECT_EQ(spool::FindJobs(doc->Name()).size(), 1u) << "printed twice";
}

// A stop pressed while the server hangs: the watchdog gives up on it as it would have anyway,
// that row fails with its reason, and the rest are never started.
TEST_F(UnattendedRun, AStopWhileTheServerHangsEndsWithinTheWatchdogsLimits) {
    officesim::TraitDocument hung(L"stop-hung", L".docx", L"hang=PrintOut"), next(L"stop-after", L".xlsx", L""),
        last(L"stop-last", L".doc", L"");
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({last.Path(), next.Path(), hung.Path()});
    ASSERT_NO_FATAL_FAILURE(StartList(w, L"MS Office", 1));
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return w.Cell(0, 1) == L"打印中"; }, 60000));
    testing_ui::Pump(1500);
    const ULONGLONG pressed = ::GetTickCount64();
    w.Click(IDC_STOP_RUN);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 60000)) << "the run never ended";
    const ULONGLONG took = ::GetTickCount64() - pressed;
    std::printf("[ timing ] the stopped run with a hung server ended %llu ms after the stop\n", took);
    // The silent limit is 6 s from the call's start, given up on within about a second more.
    EXPECT_LT(took, 6000u + 5000u);
    ASSERT_TRUE(w.dlg().Run().Shutdown(kStopWaitMs));
    EXPECT_EQ(w.Cell(0, 1), L"失败");
    EXPECT_EQ(w.dlg().Documents().ReasonAt(0), OutcomeReason(PrintOutcome::ServerNotAnswering));
    EXPECT_EQ(w.Cell(1, 1), L"未打印");
    EXPECT_EQ(w.Cell(2, 1), L"未打印");
    EXPECT_TRUE(spool::FindJobs(next.Name()).empty());
}

// A server that stays alive after its client let go (a stuck add-in) is ended when the run ends.
TEST_F(UnattendedRun, AServerThatOutlivesItsClientIsEndedWithTheRun) {
    officesim::Behaviour behaviour;
    behaviour.linger = true;
    officesim::SetBehaviour(L"Word.Application", behaviour);
    officesim::SetBehaviour(L"Excel.Application", behaviour);
    officesim::TraitDocument letter(L"lingering", L".docx", L""), sheet(L"lingering", L".xlsx", L"");
    MainWindow w;
    w.dlg().Documents().AddNewDocuments({letter.Path(), sheet.Path()});
    RunList(w, L"MS Office", 1);
    for (int row = 0; row < w.RowCount(); ++row) EXPECT_EQ(w.Cell(row, 1), L"完成") << row;
    EXPECT_TRUE(officesim::WaitNoServers(3000)) << "a server of the run outlived it";
}

}  // namespace
