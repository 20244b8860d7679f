#include "support/main_window.h"

#include <gtest/gtest.h>

MainWindow::MainWindow(bool readPrintersAhead) : m_dlg(std::make_unique<CTavrolinDlg>()) {
    if (readPrintersAhead) m_dlg->BeginReadingPrinters();
    if (!m_dlg->Create()) ADD_FAILURE() << "the main window could not be created";
    ::ShowWindow(hwnd(), SW_SHOW);
    testing_ui::Pump(50);
}

MainWindow::~MainWindow() {
    m_dlg.reset();
    testing_ui::Pump(20);
}

void MainWindow::Click(int id) {
    ::SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item(id)));
}

int MainWindow::RowCount() { return m_dlg->Documents().Control().GetItemCount(); }

std::wstring MainWindow::Cell(int row, int column) { return m_dlg->Documents().Control().GetItemText(row, column); }

void MainWindow::AddRows(std::initializer_list<const wchar_t*> paths) {
    for (const wchar_t* p : paths)
        if (!m_dlg->Documents().HasDocument(p)) m_dlg->Documents().InsertDocument(p);
    m_dlg->Documents().UpdateFileCount();
}

namespace {
PrintJob& HandedJob() {
    static PrintJob job;
    return job;
}
}  // namespace

FakeWorker::FakeWorker(bool starts) : m_real(WorkerStarterInUse()) {
    HandedJob() = {};
    WorkerStarterInUse() = starts ? +[](PrintWorker&, PrintJob job, HWND) {
        HandedJob() = std::move(job);
        return true;
    }
                                  : +[](PrintWorker&, PrintJob, HWND) { return false; };
}

const PrintJob& FakeWorker::LastJob() { return HandedJob(); }

FakeWorker::~FakeWorker() { WorkerStarterInUse() = m_real; }

std::wstring MainWindow::Tip(int row) {
    wchar_t buffer[256] = L"";
    NMLVGETINFOTIPW tip{};
    tip.hdr.hwndFrom = item(IDC_DOCUMENT_LIST);
    tip.hdr.idFrom = IDC_DOCUMENT_LIST;
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.dwFlags = LVGIT_UNFOLDED;
    tip.pszText = buffer;
    tip.cchTextMax = 256;
    tip.iItem = row;
    ::SendMessageW(hwnd(), WM_NOTIFY, IDC_DOCUMENT_LIST, reinterpret_cast<LPARAM>(&tip));
    return buffer;
}
