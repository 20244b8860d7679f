// Runs the printers the way the print worker does: on a thread of their own with its own
// apartment, while this (the UI) thread keeps pumping.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "automation/convert_class.h"
#include "support/ui.h"

namespace automation_test {

struct Outcome {
    bool printed = false;
    PrintOutcome outcome = PrintOutcome::Failed;
    std::vector<testing_ui::ModalBox> boxes;  // boxes the printing thread showed, answered OK
    std::vector<std::wstring> defaultAtBox;   // the default printer while each box was open
    ULONGLONG ms = 0;                         // how long the printer call took
};

class PrintingThread {
public:
    PrintingThread(DocumentKind kind, std::wstring path, PrintOptions options);
    ~PrintingThread();
    PrintingThread(const PrintingThread&) = delete;
    PrintingThread& operator=(const PrintingThread&) = delete;

    bool finished() const { return m_done; }
    // Pumps this thread until the printer returned (or timeoutMs passed: then fails the test
    // and leaves the thread to the caller's clean-up).
    Outcome Wait(DWORD timeoutMs = 120000);

private:
    Outcome m_outcome;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// One document, start to end.
Outcome Print(DocumentKind kind, const std::wstring& path, const PrintOptions& options);

// The spooler's default printer, read and set straight through the spooler API, not
// through the code under test. (Named apart from SetDefaultPrinter, which winspool.h turns
// into SetDefaultPrinterW wherever it is included first.)
std::wstring SystemDefault();
void SetSystemDefault(const std::wstring& name);
// Leaves the user with no default printer, as a fresh account or a removed printer does.
void ClearSystemDefault();

// Makes a printer the default for a scope and puts the one found back.
class SystemDefaultScope {
public:
    explicit SystemDefaultScope(const std::wstring& name) : m_saved(SystemDefault()) { SetSystemDefault(name); }
    ~SystemDefaultScope() { SetSystemDefault(m_saved); }
    SystemDefaultScope(const SystemDefaultScope&) = delete;
    SystemDefaultScope& operator=(const SystemDefaultScope&) = delete;

private:
    std::wstring m_saved;
};

}  // namespace automation_test
