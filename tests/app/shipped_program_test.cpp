// The shipped executable itself, not the library the other tests link: it loads the spooler,
// the common dialogs, the shell and COM only when it first calls them, and reads the printers
// on a thread of its own while its window is built. Here it starts, shows the spooler's
// printers with the default selected, and prints a document added through its file dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/resource.h"
#include "common/texts.h"
#include "support/files.h"
#include "support/officesim_control.h"
#include "support/program.h"
#include "support/spool_capture.h"
#include "support/ui.h"

using testing_program::BuildFolder;
using testing_program::ChildProcess;
using testing_program::ComboItems;

TEST(ShippedProgram, StartsWithThePrintersShownAndPrintsADocumentAddedThroughItsFileDialog) {
    ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
    ASSERT_TRUE(officesim::RegisterAll());
    officesim::ResetBehaviours();
    const std::wstring userDefault = officesim::DefaultPrinter();
    const testing_files::TempDocument file(L"shipped", L".docx");
    const std::wstring& document = file.Path();
    const std::wstring& title = file.Name();

    ChildProcess program;
    ASSERT_TRUE(program.Start(testing_program::ProgramPath()));
    HWND main = nullptr;
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return (main = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; },
                                      30000));

    // The printers read ahead reach the box in the spooler's order, the default selected.
    HWND printers = ::GetDlgItem(main, IDC_PRINTER);
    const std::vector<std::wstring> spooler = testing_program::SpoolerPrinters();
    ASSERT_GE(spooler.size(), 3u);
    EXPECT_EQ(ComboItems(printers), spooler);
    const LRESULT selected = ::SendMessageW(printers, CB_GETCURSEL, 0, 0);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(ComboItems(printers)[static_cast<size_t>(selected)], userDefault);

    // A whole run through the real window: the file dialog, the chosen printer and copies, the
    // office server; each on its first use of the libraries it needs.
    const std::wstring chosen = L"Tavrolin-A";
    ASSERT_NE(chosen, userDefault) << "the test set-up makes another queue the default";
    ChildProcess driver;
    ASSERT_TRUE(driver.Start(BuildFolder() + L"\\demo_driver.exe", L"run " + chosen + L" 2 \"" + document + L"\""));
    EXPECT_EQ(driver.Wait(240000), 0) << "the driver could not add, print or see the run end";

    const std::vector<spool::Job> jobs = spool::WaitForJobs(title, 1, 60000);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].queue, chosen);
    EXPECT_EQ(jobs[0].copies, 2);
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault) << "the user's default printer was put back";

    // Enter asks, as every way out does; Yes ends the program.
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(testing_program::AnswerBox(program.Id(), L"您确定要退出吗 ?", IDYES, 10000));
    EXPECT_EQ(program.Wait(20000), 0);
    EXPECT_TRUE(officesim::WaitNoServers(10000));
}
