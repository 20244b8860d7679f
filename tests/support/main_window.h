// A real main window, created modelessly on the test thread so a test can send it messages,
// press its buttons and read its controls between its own message pumps.
#pragma once

#include <memory>
#include <string>

#include "app/tavrolin_dlg.h"
#include "common/resource.h"
#include "run/print_worker.h"
#include "support/ui.h"

class MainWindow {
public:
    // readPrintersAhead: the printers are read on their own thread before the window is
    // created, as the program does at start; otherwise the window reads them itself.
    explicit MainWindow(bool readPrintersAhead = false);
    ~MainWindow();

    CTavrolinDlg& dlg() { return *m_dlg; }
    HWND hwnd() const { return m_dlg->GetSafeHwnd(); }
    HWND item(int id) const { return ::GetDlgItem(hwnd(), id); }

    // Presses a push button the way a click does (BN_CLICKED through WM_COMMAND).
    void Click(int id);
    int RowCount();
    std::wstring Cell(int row, int column);
    std::wstring CountLabel() { return testing_ui::WindowText(item(IDC_FILE_COUNT)); }
    void AddRows(std::initializer_list<const wchar_t*> paths);
    // The tip the list asks its parent for, for `row`: its reason, when it has one.
    std::wstring Tip(int row);

private:
    std::unique_ptr<CTavrolinDlg> m_dlg;
};

// A run whose worker is the test, for as long as this lives: the window believes a worker runs
// (or, with `starts` false, that none could start), and the test posts what a worker would.
class FakeWorker {
public:
    explicit FakeWorker(bool starts = true);
    ~FakeWorker();
    FakeWorker(const FakeWorker&) = delete;
    FakeWorker& operator=(const FakeWorker&) = delete;

    // The run the window last handed a started worker.
    static const PrintJob& LastJob();

private:
    WorkerStarter m_real;
};
