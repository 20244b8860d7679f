// A run cut off from outside (TerminateProcess, as Task Manager ends it) loses nothing: the next
// start puts the user's default printer back and offers the run's list again, with what became
// of each row. Records and journals are judged by their process: a running one is left alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "automation/printer_record.h"
#include "common/resource.h"
#include "common/texts.h"
#include "run/run_journal.h"
#include "support/files.h"
#include "support/officesim_control.h"
#include "support/officesim_documents.h"
#include "support/officesim_windows.h"
#include "support/printer_settings.h"
#include "support/program.h"
#include "support/spool_capture.h"
#include "support/ui.h"

using testing_program::AnswerBox;
using testing_program::BuildFolder;
using testing_program::ChildProcess;
using testing_program::ListColumn;

namespace {

using Column = std::vector<std::wstring>;

// The run journals in the program's folder (the run lock's file lives there too).
std::vector<std::wstring> JournalFiles() {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    HANDLE listing = ::FindFirstFileW((run_journal::Folder() + L"\\run-*.journal").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found.cFileName);
    } while (::FindNextFileW(listing, &found));
    ::FindClose(listing);
    return files;
}

void ForgetEverything() {
    testing_program::ForgetCutRuns();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrolin");
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tavrolin");
}

// The program's main window once it is up; null after 30 s.
HWND StartProgram(ChildProcess& program) {
    if (!program.Start(testing_program::ProgramPath())) return nullptr;
    HWND main = nullptr;
    testing_ui::PumpUntil([&] { return (main = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; }, 30000);
    return main;
}

void CloseProgram(ChildProcess& program) {
    ChildProcess driver;
    ASSERT_TRUE(driver.Start(BuildFolder() + L"\\demo_driver.exe", L"close"));
    EXPECT_EQ(driver.Wait(30000), 0);
    EXPECT_GE(program.Wait(20000), 0) << "the program did not end";
}

void Kill(ChildProcess& program) {
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, program.Id());
    ASSERT_NE(process, nullptr);
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
}

std::wstring SelectedText(HWND main, int box) {
    HWND combo = ::GetDlgItem(main, box);
    const auto chosen = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const Column items = testing_program::ComboItems(combo);
    return chosen >= 0 && static_cast<size_t>(chosen) < items.size() ? items[static_cast<size_t>(chosen)] : L"";
}

Column Column0(HWND main) { return ListColumn(::GetDlgItem(main, IDC_DOCUMENT_LIST), 0); }
Column Column1(HWND main) { return ListColumn(::GetDlgItem(main, IDC_DOCUMENT_LIST), 1); }

// A process id that is in use, with a start time it never had: what a reused id looks like.
ProcessIdentity ReusedId() { return {ThisProcess().id, ThisProcess().started - 1}; }

class AfterCut : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
        ASSERT_FALSE(run_journal::Folder().empty());
        ASSERT_TRUE(officesim::RegisterAll());
        officesim::ResetBehaviours();
        officesim::ClearLog();
        ForgetEverything();
        userDefault_ = officesim::DefaultPrinter();
        ASSERT_NE(userDefault_, chosen_);
        ASSERT_NE(userDefault_, other_);
    }
    void TearDown() override {
        officesim::EndServers();
        officesim::SetDefaultPrinter(userDefault_);
        ForgetEverything();
    }

    std::wstring userDefault_;
    const std::wstring chosen_ = L"Tavrolin-A";
    const std::wstring other_ = L"测试打印机";
};

TEST_F(AfterCut, AKilledRunsDefaultPrinterAndListComeBackAtTheNextStart) {
    struct Case {
        const char* name;
        int answer;
        bool userChoosesAnotherDefault;  // between the kill and the next start
    };
    const Case cases[] = {{"Yes", IDYES, false}, {"No, after the user chose another default", IDNO, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        officesim::TraitDocument first(L"cut-first", L".docx", L"");
        officesim::TraitDocument second(L"cut-second", L".docx", L"");
        officesim::TraitDocument slow(L"cut-slow", L".docx", L"print=60");
        const Column paths = {first.Path(), second.Path(), slow.Path()};
        {
            ChildProcess program;
            HWND main = StartProgram(program);
            ASSERT_NE(main, nullptr);
            // Each added file goes on top: added last to first, they print first to last.
            ChildProcess driver;
            ASSERT_TRUE(driver.Start(BuildFolder() + L"\\demo_driver.exe", L"start " + chosen_ + L" 2 \"" + slow.Path() +
                                                                                 L"\" \"" + second.Path() + L"\" \"" +
                                                                                 first.Path() + L"\""));
            ASSERT_EQ(driver.Wait(120000), 0);
            ASSERT_TRUE(testing_ui::PumpUntil(
                [&] {
                    return Column1(main) == Column{texts::kDone, texts::kDone, texts::kPrinting} &&
                           !officesim::ServerWindows().empty();
                },
                90000))
                << "the third document did not reach PrintOut";
            ASSERT_EQ(Column0(main), paths);
            EXPECT_EQ(officesim::DefaultPrinter(), chosen_) << "the run had swapped the default printer";
            EXPECT_EQ(printer_record::ReadAll().size(), 1u) << "no record of the swap";
            EXPECT_EQ(JournalFiles().size(), 1u) << "no journal of the run: " << testing::PrintToString(JournalFiles());
            Kill(program);
        }
        officesim::EndServers();
        ASSERT_EQ(officesim::DefaultPrinter(), chosen_) << "the cut left the chosen printer as the default";
        if (c.userChoosesAnotherDefault) {
            ASSERT_TRUE(officesim::SetDefaultPrinter(other_));
        }
        const std::wstring expectedDefault = c.userChoosesAnotherDefault ? other_ : userDefault_;

        {
            ChildProcess program;
            HWND main = StartProgram(program);
            ASSERT_NE(main, nullptr);
            EXPECT_EQ(officesim::DefaultPrinter(), expectedDefault);
            EXPECT_TRUE(printer_record::ReadAll().empty()) << "the record was not removed";
            EXPECT_TRUE(AnswerBox(program.Id(), texts::kOfferCutRun, c.answer, 10000)) << "the list was not offered";
            EXPECT_TRUE(testing_ui::PumpUntil([] { return JournalFiles().empty(); }, 10000)) << "the journal stayed";
            if (c.answer == IDYES) {
                EXPECT_EQ(Column0(main), paths);
                EXPECT_EQ(Column1(main), (Column{texts::kDone, texts::kDone, texts::kNotPrinted}));
                EXPECT_EQ(SelectedText(main, IDC_PRINTER), chosen_);
                EXPECT_EQ(SelectedText(main, IDC_COPIES), L"2");
            } else {
                EXPECT_TRUE(Column0(main).empty());
            }
            CloseProgram(program);
        }
        {
            // A further start finds nothing to do.
            ChildProcess program;
            HWND main = StartProgram(program);
            ASSERT_NE(main, nullptr);
            EXPECT_FALSE(AnswerBox(program.Id(), texts::kOfferCutRun, IDNO, 3000)) << "asked a second time";
            EXPECT_TRUE(Column0(main).empty());
            EXPECT_EQ(officesim::DefaultPrinter(), expectedDefault);
            CloseProgram(program);
        }
        officesim::SetDefaultPrinter(userDefault_);
    }
}

TEST_F(AfterCut, ARecordOfARunningProcessStaysAndOneOfAReusedIdIsActedOn) {
    // As if a run of this (running) process had swapped the default.
    ASSERT_TRUE(officesim::SetDefaultPrinter(chosen_));
    ASSERT_TRUE(printer_record::Write({ThisProcess(), userDefault_, chosen_}));
    {
        ChildProcess program;
        ASSERT_NE(StartProgram(program), nullptr);
        EXPECT_EQ(officesim::DefaultPrinter(), chosen_) << "a running process's swap was undone";
        EXPECT_EQ(printer_record::ReadAll().size(), 1u);
        CloseProgram(program);
    }
    ASSERT_TRUE(printer_record::Write({ReusedId(), userDefault_, chosen_}));
    {
        ChildProcess program;
        ASSERT_NE(StartProgram(program), nullptr);
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault_) << "the record of the id's earlier process was not acted on";
        const std::vector<printer_record::Record> left = printer_record::ReadAll();
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left[0].process.started, ThisProcess().started) << "the running process's record went";
        CloseProgram(program);
    }
}

// A run killed while a printer had two-sided and grey set for it: the next start puts the user's
// own settings back byte for byte, unless the user set the printer otherwise meanwhile.
TEST_F(AfterCut, AKilledRunsPrinterSettingsComeBackUnlessTheUserChangedThem) {
    using testing_printer::UserSettings;
    using testing_printer::With;
    const std::wstring printer = L"Tavrolin-Duplex";
    testing_printer::SettingsScope scope(printer);
    testing_printer::SetUserSettings(printer, With(scope.found(), DMDUP_SIMPLEX, DMCOLOR_COLOR));
    const std::vector<BYTE> keptUsers = testing_printer::KeptSettings(printer);
    const std::vector<BYTE> users = With(scope.found(), DMDUP_SIMPLEX, DMCOLOR_COLOR);
    const std::vector<BYTE> runs = With(scope.found(), DMDUP_VERTICAL, DMCOLOR_MONOCHROME);
    const std::vector<BYTE> changedSince = With(scope.found(), DMDUP_HORIZONTAL, DMCOLOR_COLOR);
    const std::vector<BYTE> duplexChanged = With(scope.found(), DMDUP_HORIZONTAL, DMCOLOR_MONOCHROME);
    const std::vector<BYTE> duplexKept = With(scope.found(), DMDUP_HORIZONTAL, DMCOLOR_COLOR);
    const WrittenFields written{DM_DUPLEX | DM_COLOR, DMDUP_VERTICAL, DMCOLOR_MONOCHROME};
    const struct {
        const char* name;
        const std::vector<BYTE>& left;  // the printer's settings when the program starts again
        const std::vector<BYTE>& expected;
    } cases[] = {
        {"left as the run set them", runs, users},
        {"both set otherwise by the user since", changedSince, changedSince},
        // The grey the run wrote is still there and goes; the two-sided setting is the user's.
        {"two-sided set otherwise since", duplexChanged, duplexKept},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // What the killed run left: its record, written before the change, and the change.
        testing_printer::SetUserSettings(printer, c.left);
        ASSERT_TRUE(officesim::SetDefaultPrinter(chosen_));
        ASSERT_TRUE(printer_record::Write(
            {ReusedId(), userDefault_, chosen_, printer_record::SettingsRecord{printer, users, written}}));

        ChildProcess program;
        ASSERT_NE(StartProgram(program), nullptr);
        EXPECT_EQ(UserSettings(printer), c.expected);
        if (&c.expected == &users) {
            EXPECT_EQ(testing_printer::KeptSettings(printer), keptUsers) << "not byte for byte";
        }
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault_);
        EXPECT_TRUE(printer_record::ReadAll().empty()) << "the record was not removed";
        CloseProgram(program);
    }
}

// A record as the version before printer settings wrote it still reads and is acted on.
TEST_F(AfterCut, ARecordOfTheVersionBeforeSettingsIsActedOn) {
    ASSERT_TRUE(officesim::SetDefaultPrinter(chosen_));
    const std::wstring data = L"saved:" + userDefault_ + L'\0' + L"chosen:" + chosen_ + L'\0' + L'\0';
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, printer_record::kKey, ReusedId().Text().c_str(), REG_MULTI_SZ,
                                data.c_str(), static_cast<DWORD>(data.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ASSERT_EQ(printer_record::ReadAll().size(), 1u);
    EXPECT_FALSE(printer_record::ReadAll()[0].settings);

    ChildProcess program;
    ASSERT_NE(StartProgram(program), nullptr);
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault_);
    EXPECT_TRUE(printer_record::ReadAll().empty());
    CloseProgram(program);
}

TEST_F(AfterCut, TornEmptyAndForeignJournalsGiveBackWhatTheyHoldAndTheProgramStarts) {
    testing_files::TempFolder folder(L"torn");
    const Column paths = {folder.File(L"a.docx"), folder.File(L"b.xlsx"), folder.File(L"c.pptx")};
    PrintOptions options;
    options.printer = other_;
    options.copies = 3;
    options.suite = kSuiteWps;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::string written = run_journal::HeaderText(paths, options) + run_journal::RowEndText(0, true, L"", now) +
                                run_journal::RowEndText(1, false, texts::kReasonNeedsPassword, now) +
                                run_journal::RowEndText(2, true, L"", now);
    struct Case {
        const char* name;
        std::string bytes;
        Column statuses;  // empty: nothing to offer
    };
    const Case cases[] = {
        {"cut in the last line", written.substr(0, written.size() - 5), {texts::kDone, texts::kFailed, texts::kNotPrinted}},
        {"cut in the list", written.substr(0, written.find("c.pptx")), {texts::kNotPrinted, texts::kNotPrinted}},
        {"empty", "", {}},
        {"another version", "Tavrolin run journal 99\n" + written.substr(written.find('\n') + 1), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(::CreateDirectoryW(run_journal::Folder().c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(testing_files::WriteAll(run_journal::FileFor(run_journal::Folder(), ReusedId()), c.bytes));
        ChildProcess program;
        HWND main = StartProgram(program);
        ASSERT_NE(main, nullptr) << "the program did not start";
        if (c.statuses.empty()) {
            EXPECT_FALSE(AnswerBox(program.Id(), texts::kOfferCutRun, IDYES, 3000)) << "asked about nothing";
            EXPECT_TRUE(Column0(main).empty());
        } else {
            EXPECT_TRUE(AnswerBox(program.Id(), texts::kOfferCutRun, IDYES, 10000));
            EXPECT_TRUE(testing_ui::PumpUntil([&] { return Column1(main).size() == c.statuses.size(); }, 10000));
            EXPECT_EQ(Column0(main), Column(paths.begin(), paths.begin() + static_cast<long>(c.statuses.size())));
            EXPECT_EQ(Column1(main), c.statuses);
            EXPECT_EQ(SelectedText(main, IDC_PRINTER), other_);
            EXPECT_EQ(SelectedText(main, IDC_COPIES), L"3");
            EXPECT_EQ(SelectedText(main, IDC_SUITE), texts::kSuiteNameWps);
        }
        EXPECT_TRUE(testing_ui::PumpUntil([] { return JournalFiles().empty(); }, 10000)) << "the journal stayed";
        CloseProgram(program);
    }
}

TEST_F(AfterCut, AProfileThatCannotBeWrittenPrintsAndRestoresAsBefore) {
    // A file where the journal's folder goes, and a volatile key where the record's key goes
    // (a key kept on disk cannot be made under a volatile one).
    ASSERT_TRUE(testing_files::WriteAll(run_journal::Folder(), "not a folder"));
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tavrolin", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    ASSERT_FALSE(printer_record::Write({ReusedId(), userDefault_, chosen_})) << "the key can still be written";

    officesim::TraitDocument document(L"locked-down", L".docx", L"");
    ChildProcess program;
    HWND main = StartProgram(program);
    ASSERT_NE(main, nullptr);
    ChildProcess driver;
    ASSERT_TRUE(driver.Start(BuildFolder() + L"\\demo_driver.exe", L"run " + chosen_ + L" 1 \"" + document.Path() + L"\""));
    ASSERT_EQ(driver.Wait(120000), 0);
    EXPECT_EQ(Column1(main), Column{texts::kDone});
    EXPECT_EQ(spool::WaitForJobs(document.Name(), 1, 30000).size(), 1u);
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault_);
    EXPECT_TRUE(printer_record::ReadAll().empty());
    EXPECT_EQ(testing_files::ReadAll(run_journal::Folder()), "not a folder");
    CloseProgram(program);
}

}  // namespace

namespace {

// The program with `arguments`, killed once its row reads 打印中 and its document's server shows
// its print progress (the chosen printer then stands in as the default).
void KillMidDocument(const std::wstring& arguments) {
    ChildProcess program;
    ASSERT_TRUE(program.Start(testing_program::ProgramPath(), arguments));
    HWND main = nullptr;
    ASSERT_TRUE(testing_ui::PumpUntil(
        [&] {
            if (!main) main = ::FindWindowW(nullptr, texts::kPrintCommandTitle);
            return main && Column1(main) == Column{texts::kPrinting} && !officesim::ServerWindows().empty();
        },
        90000))
        << "the document did not reach PrintOut";
    Kill(program);
}

// A journal of a gone process whose list holds `path`, written as a cut run leaves it.
std::wstring WriteCutJournal(const std::wstring& path) {
    PrintOptions options;
    options.printer = L"Tavrolin-A";
    const std::wstring file = run_journal::FileFor(run_journal::Folder(), ReusedId());
    ::CreateDirectoryW(run_journal::Folder().c_str(), nullptr);
    testing_files::WriteAll(file, run_journal::HeaderText({path}, options));
    return file;
}

}  // namespace

TEST_F(AfterCut, AWindowOpenWhenACommandRunIsKilledStartsItsRunOnTheUsersDefault) {
    officesim::TraitDocument slow(L"killed-command", L".docx", L"print=60");
    officesim::TraitDocument mine(L"window-after-kill", L".docx", L"");
    ChildProcess window;
    ASSERT_TRUE(window.Start(testing_program::ProgramPath(), L"\"" + mine.Path() + L"\""));
    HWND main = nullptr;
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return (main = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; }, 30000));

    KillMidDocument(L"/print /printer " + chosen_ + L" \"" + slow.Path() + L"\"");
    officesim::EndServers();
    officesim::WaitForGuards();
    ASSERT_EQ(officesim::DefaultPrinter(), chosen_) << "the killed run had not swapped the default";

    // The window's printer box shows the default it found at its start: the user's.
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return Column1(main) == Column{texts::kDone}; }, 120000));
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault_) << "the killed run's printer was taken for the user's default";
    EXPECT_TRUE(printer_record::ReadAll().empty());
    CloseProgram(window);
}

TEST_F(AfterCut, ACutRunsJournalStaysUntilItIsReadAndAnswered) {
    testing_files::TempFolder folder(L"kept-journal");
    const std::wstring document = folder.File(L"kept.docx");
    const std::wstring journal = WriteCutJournal(document);

    // Held by another program that lets others delete but not read (a backup, a scanner): the
    // start cannot read it, asks nothing, and leaves it for a later start.
    {
        HANDLE held = ::CreateFileW(journal.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ChildProcess program;
        ASSERT_NE(StartProgram(program), nullptr);
        EXPECT_FALSE(AnswerBox(program.Id(), texts::kOfferCutRun, IDNO, 3000)) << "offered a journal it could not read";
        CloseProgram(program);
        ::CloseHandle(held);
    }
    ASSERT_NE(::GetFileAttributesW(journal.c_str()), INVALID_FILE_ATTRIBUTES) << "an unreadable journal was deleted";

    // Killed while the question is open: the same offer at the next start.
    {
        ChildProcess program;
        ASSERT_NE(StartProgram(program), nullptr);
        ASSERT_TRUE(testing_ui::PumpUntil([&] { return testing_program::BoxOf(program.Id()) != nullptr; }, 10000));
        EXPECT_NE(::GetFileAttributesW(journal.c_str()), INVALID_FILE_ATTRIBUTES) << "the journal went before the answer";
        Kill(program);
    }
    {
        ChildProcess program;
        HWND main = StartProgram(program);
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(AnswerBox(program.Id(), texts::kOfferCutRun, IDYES, 10000)) << "the list was not offered again";
        EXPECT_TRUE(testing_ui::PumpUntil([&] { return Column0(main) == Column{document}; }, 10000));
        EXPECT_TRUE(testing_ui::PumpUntil([] { return JournalFiles().empty(); }, 10000)) << "the answered journal stayed";
        CloseProgram(program);
    }
}

TEST_F(AfterCut, ARunKilledWhileTwoSidedAndGreyStoodInLeavesTheUsersSettingsAtTheNextStart) {
    const std::wstring printer = L"Tavrolin-Duplex";
    testing_printer::SettingsScope scope(printer);
    const std::vector<BYTE> users = testing_printer::With(scope.found(), DMDUP_SIMPLEX, DMCOLOR_COLOR);
    testing_printer::SetUserSettings(printer, users);
    officesim::TraitDocument slow(L"killed-two-sided", L".docx", L"print=60");

    KillMidDocument(L"/print /printer " + printer + L" /duplex long /mono \"" + slow.Path() + L"\"");
    officesim::EndServers();
    officesim::WaitForGuards();
    ASSERT_NE(testing_printer::UserSettings(printer), users) << "the killed run had not set the printer's settings";
    ASSERT_FALSE(printer_record::ReadAll().empty()) << "no record of what the run changed";

    ChildProcess program;
    ASSERT_NE(StartProgram(program), nullptr);
    EXPECT_EQ(testing_printer::UserSettings(printer), users) << "the run's settings stayed";
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault_);
    EXPECT_TRUE(printer_record::ReadAll().empty());
    EXPECT_TRUE(AnswerBox(program.Id(), texts::kOfferCutRun, IDNO, 10000)) << "the killed run's list was not offered";
    CloseProgram(program);
}
