// The shipped program started with names on its command line, a second launch handing its names
// to the running window, and the usage box: real processes, the list read from outside.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/resource.h"
#include "common/texts.h"
#include "support/files.h"
#include "support/program.h"
#include "support/ui.h"

using testing_program::ChildProcess;
using testing_program::ProgramPath;
using Names = std::vector<std::wstring>;

namespace {

std::wstring Quoted(const std::wstring& name) { return L"\"" + name + L"\""; }

HWND WaitForMainWindow(DWORD pid) {
    HWND main = nullptr;
    testing_ui::PumpUntil(
        [&] {
            main = ::FindWindowW(nullptr, texts::kMainTitle);
            DWORD owner = 0;
            if (main) ::GetWindowThreadProcessId(main, &owner);
            return main && owner == pid;
        },
        30000);
    return main;
}

Names ListedPaths(HWND main) { return testing_program::ListColumn(::GetDlgItem(main, IDC_DOCUMENT_LIST), 0); }

// Enter asks, as every way out does; Yes ends the program.
void EndProgram(ChildProcess& program, HWND main) {
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(testing_program::AnswerBox(program.Id(), texts::kConfirmExit, IDYES, 10000));
    EXPECT_EQ(program.Wait(20000), 0);
}

}  // namespace

TEST(LaunchWithNames, CommandLineNamesAreAddedInOrderByTheDropsRules) {
    ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
    testing_files::TempFolder temp(L"cmdline-start 命令行");
    const std::wstring first = temp.File(L"第一 份.docx");
    const std::wstring relative = temp.File(L"相对\\second.xls");
    const std::wstring deep = temp.File(std::wstring(150, L'深') + L"\\" + std::wstring(150, L'长') + L".pptx");
    ASSERT_GT(deep.size(), 300u);
    const std::wstring text = temp.File(L"notes.txt");
    const std::wstring folder = temp.Folder(L"a folder");

    ChildProcess program;
    {
        testing_files::CurrentDirectory cd(temp.Path());
        const std::wstring arguments = Quoted(first) + L" 相对\\second.xls " + Quoted(text) + L" " + Quoted(folder) +
                                       L" " + Quoted(first) + L" " + Quoted(deep);
        ASSERT_TRUE(program.Start(ProgramPath(), arguments));
    }
    HWND main = WaitForMainWindow(program.Id());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ListedPaths(main), (Names{deep, relative, first}));
    EXPECT_EQ(testing_ui::WindowText(::GetDlgItem(main, IDC_FILE_COUNT)), L"3");
    EndProgram(program, main);
}

TEST(LaunchWithNames, ASecondLaunchHandsItsNamesToTheRunningWindowAndEnds) {
    ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
    testing_files::TempFolder temp(L"cmdline-second 命令行");
    const std::wstring first = temp.File(L"first.doc");
    const std::wstring second = temp.File(L"第 二.xlsx");
    const std::wstring third = temp.File(L"third.pptx");

    ChildProcess running;
    ASSERT_TRUE(running.Start(ProgramPath(), Quoted(first)));
    HWND main = WaitForMainWindow(running.Id());
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(ListedPaths(main), (Names{first}));

    {
        ChildProcess again;
        testing_files::CurrentDirectory cd(temp.Path());
        ASSERT_TRUE(again.Start(ProgramPath(), L"\"第 二.xlsx\" first.doc third.pptx"));
        EXPECT_EQ(again.Wait(30000), 0) << "the second launch ends by itself";
    }
    EXPECT_TRUE(testing_ui::PumpUntil([&] { return ListedPaths(main).size() == 3; }, 5000));
    EXPECT_EQ(ListedPaths(main), (Names{third, second, first}));
    EXPECT_EQ(testing_ui::WindowText(::GetDlgItem(main, IDC_FILE_COUNT)), L"3");
    EXPECT_EQ(::GetForegroundWindow(), main) << "the running window comes to the front";
    EXPECT_LT(running.Wait(0), 0) << "the first instance keeps running";

    // Without names a second launch only brings the window forward, as before.
    {
        ChildProcess bare;
        ASSERT_TRUE(bare.Start(ProgramPath()));
        EXPECT_EQ(bare.Wait(30000), 0);
    }
    EXPECT_EQ(ListedPaths(main).size(), 3u);
    EndProgram(running, main);
}

TEST(LaunchWithNames, UsageBoxWithoutWindowOrMutex) {
    ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
    for (const wchar_t* form : {L"/?", L"--help"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(form)));
        ChildProcess program;
        ASSERT_TRUE(program.Start(ProgramPath(), std::wstring(L"C:\\a.doc ") + form));
        HWND box = nullptr;
        ASSERT_TRUE(testing_ui::PumpUntil([&] { return (box = testing_program::BoxOf(program.Id())) != nullptr; }, 30000));
        const testing_ui::ModalBox seen = testing_ui::Describe(box);
        EXPECT_EQ(seen.caption, L"tavrolin");
        EXPECT_TRUE(seen.hasIcon);
        EXPECT_EQ(seen.buttonIds, std::vector<int>{IDOK});
        EXPECT_EQ(seen.text.rfind(L"用法：tavrolin.exe", 0), 0u) << testing::PrintToString(seen.text);
        EXPECT_NE(seen.text.find(L"发送到"), std::wstring::npos);

        // While it is open the program holds no mutex and shows no main window.
        HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, texts::kSingleInstanceMutex);
        EXPECT_EQ(mutex, nullptr) << "the usage box took the single-instance mutex";
        if (mutex) ::CloseHandle(mutex);
        EXPECT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr);

        EXPECT_TRUE(testing_program::AnswerBox(program.Id(), seen.text, IDOK, 5000));
        EXPECT_EQ(program.Wait(20000), 0);
    }
}

TEST(LaunchWithNames, ListFilesStandForTheirEntriesAtStartAndInAHandOver) {
    ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
    testing_files::TempFolder temp(L"cmdline-list 列表");
    const std::wstring first = temp.File(L"第一.docx");
    const std::wstring firstToo = temp.File(L"第一续.doc");
    const std::wstring second = temp.File(L"sub\\second.xlsx");
    const std::wstring third = temp.File(L"third.pptx");
    // UTF-8 with relative entries (read in the file's order, the first again) and a folder the drop
    // rule leaves out; the second in UTF-16.
    ASSERT_TRUE(testing_files::WriteAll(temp / L"one.txt",
                                        testing_files::Narrow(L"\xFEFF第一.docx\r\n\r\nsub\r\n第一续.doc\r\n第一.docx\r\n")));
    const std::wstring two = L"\xFEFFsecond.xlsx\r\n";
    ASSERT_TRUE(testing_files::WriteAll(temp / L"sub\\two.txt",
                                        std::string(reinterpret_cast<const char*>(two.data()), two.size() * sizeof(wchar_t))));

    ChildProcess running;
    {
        testing_files::CurrentDirectory cd(temp.Path());
        ASSERT_TRUE(running.Start(ProgramPath(), L"/list one.txt"));
    }
    HWND main = WaitForMainWindow(running.Id());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ListedPaths(main), (Names{first, firstToo}));

    {
        ChildProcess again;
        testing_files::CurrentDirectory cd(temp.Path());
        ASSERT_TRUE(again.Start(ProgramPath(), L"third.pptx /list \"" + temp / L"sub\\two.txt" + L"\""));
        EXPECT_EQ(again.Wait(30000), 0);
    }
    EXPECT_TRUE(testing_ui::PumpUntil([&] { return ListedPaths(main).size() == 4; }, 5000));
    EXPECT_EQ(ListedPaths(main), (Names{second, third, first, firstToo}));
    EndProgram(running, main);
}
