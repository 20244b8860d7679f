// The shipped executable itself, not the library the other tests link: it loads the spooler,
// the common dialogs, the shell and COM only when it first calls them, and reads the printers
// on a thread of its own while its window is built. Here it starts, shows the spooler's
// printers with the default selected, and prints a document added through its file dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "app/resource.h"
#include "app/texts.h"
#include "support/officesim_control.h"
#include "support/spool_capture.h"
#include "support/ui.h"

namespace {

std::wstring BuildFolder() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.resize(dir.find_last_of(L'\\'));  // .../build/tests
    dir.resize(dir.find_last_of(L'\\'));  // .../build
    return dir;
}

class Process {
public:
    bool Start(const std::wstring& exe, const std::wstring& arguments = L"") {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        return ::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi);
    }
    // The exit code, or -1 when the process is still running after ms.
    long Wait(DWORD ms) {
        if (::WaitForSingleObject(m_pi.hProcess, ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(m_pi.hProcess, &code);
        return static_cast<long>(code);
    }
    ~Process() {
        if (!m_pi.hProcess) return;
        if (Wait(0) < 0) ::TerminateProcess(m_pi.hProcess, 1);
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
    }

private:
    PROCESS_INFORMATION m_pi{};
};

std::vector<std::wstring> SpoolerPrinters() {
    DWORD needed = 0, returned = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 5, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    std::vector<std::wstring> names;
    if (needed && ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 5, buffer.data(), needed,
                                  &needed, &returned)) {
        auto* printers = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) names.emplace_back(printers[i].pPrinterName);
    }
    return names;
}

// A combo box's items, read from another process (the system carries the text across).
std::vector<std::wstring> ComboItems(HWND box) {
    std::vector<std::wstring> items;
    const LRESULT count = ::SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (::SendMessageW(box, CB_GETLBTEXTLEN, i, 0) < 256)
            ::SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

std::wstring MakeDocument(const std::wstring& stem) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    wchar_t unique[64];
    swprintf(unique, 64, L"-%lu-%llu.docx", ::GetCurrentProcessId(), ::GetTickCount64());
    const std::wstring path = std::wstring(temp) + stem + unique;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char content[] = "a document to print\r\n";
    DWORD written = 0;
    ::WriteFile(file, content, sizeof(content) - 1, &written, nullptr);
    ::CloseHandle(file);
    return path;
}

}  // namespace

TEST(ShippedProgram, StartsWithThePrintersShownAndPrintsADocumentAddedThroughItsFileDialog) {
    ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
    ASSERT_TRUE(officesim::RegisterAll());
    officesim::ResetBehaviours();
    const std::wstring userDefault = officesim::DefaultPrinter();
    const std::wstring document = MakeDocument(L"shipped");
    const std::wstring title = document.substr(document.find_last_of(L'\\') + 1);

    Process program;
    ASSERT_TRUE(program.Start(BuildFolder() + L"\\tavrolin.exe"));
    HWND main = nullptr;
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return (main = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; },
                                      30000));

    // The printers read ahead reach the box in the spooler's order, the default selected.
    HWND printers = ::GetDlgItem(main, IDC_PRINTER);
    const std::vector<std::wstring> spooler = SpoolerPrinters();
    ASSERT_GE(spooler.size(), 3u);
    EXPECT_EQ(ComboItems(printers), spooler);
    const LRESULT selected = ::SendMessageW(printers, CB_GETCURSEL, 0, 0);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(ComboItems(printers)[static_cast<size_t>(selected)], userDefault);

    // A whole run through the real window: the file dialog, the chosen printer and copies, the
    // office server; each on its first use of the libraries it needs.
    const std::wstring chosen = L"Tavrolin-A";
    ASSERT_NE(chosen, userDefault) << "the test set-up makes another queue the default";
    Process driver;
    ASSERT_TRUE(driver.Start(BuildFolder() + L"\\demo_driver.exe", L"run " + chosen + L" 2 \"" + document + L"\""));
    EXPECT_EQ(driver.Wait(240000), 0) << "the driver could not add, print or see the run end";

    const std::vector<spool::Job> jobs = spool::WaitForJobs(title, 1, 60000);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].queue, chosen);
    EXPECT_EQ(jobs[0].copies, 2);
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault) << "the user's default printer was put back";

    // Enter ends the program without a question.
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(program.Wait(20000), 0);
    EXPECT_TRUE(officesim::WaitNoServers(10000));
    ::DeleteFileW(document.c_str());
}
