// The built executables as separate processes, and what the spooler and a combo box hold,
// for tests that look at the program from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_program {

// The build folder: the one above the test programs' own.
std::wstring BuildFolder();
// The shipped program in the build folder.
std::wstring ProgramPath();

// A child process, ended when the object goes if it still runs.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
    // The exit code, or -1 while the process still runs after ms.
    long Wait(DWORD ms);
    DWORD Id() const { return m_pi.dwProcessId; }

private:
    PROCESS_INFORMATION m_pi{};
};

// The printers, local and connected, in the spooler's order.
std::vector<std::wstring> SpoolerPrinters();

// The visible dialog box that process `pid` shows, if any; its main window (a dialog too) is not
// one.
HWND BoxOf(DWORD pid);

// Waits for a message box of process `pid` whose text is `text` and presses `button` in it
// (IDYES, IDNO, IDOK ...); false when none came up within timeoutMs.
bool AnswerBox(DWORD pid, const std::wstring& text, int button, DWORD timeoutMs);

// A combo box's items (from this process or another: the system carries the text across).
std::vector<std::wstring> ComboItems(HWND box);

// One column of a list view's rows, top first, from this process or another. List-view
// messages carry pointers that the system does not carry across, so the item and its text
// buffer live in the list's own process for the read.
std::vector<std::wstring> ListColumn(HWND list, int column);

// Forgets what a run cut off from outside leaves for the next start (the default printer's
// records and the run journals), so that a start after a test that killed the program asks
// nothing and puts nothing back.
void ForgetCutRuns();

}  // namespace testing_program
