// Starting a print run, following its progress and animating the busy indicator.
#include "app/resource.h"
#include "app/tavrolin_dlg.h"
#include "app/texts.h"
#include "framework/thread.h"
#include "run/busy_indicator.h"
#include "run/print_worker.h"
#include "run/run_state.h"

namespace {
constexpr UINT_PTR kBusyTimer = 1;
constexpr UINT kBusyPeriodMs = 1000;

// Disabled for the whole run, enabled again at its end, always in this order.
constexpr int kLockedControls[] = {IDC_ADD_FILES, IDC_REMOVE_FILE, IDC_CLEAR_LIST, IDC_START, IDC_ADD_FOLDER, IDC_COPIES};

void EnableLockedControls(HWND dlg, bool enable) {
    for (int id : kLockedControls) ::EnableWindow(::GetDlgItem(dlg, id), enable ? TRUE : FALSE);
}
}  // namespace

WorkerStarter& StartPrintWorker() {
    static WorkerStarter start = [](CWnd* mainWindow) {
        return AfxBeginThread(&PrintWorker, mainWindow, THREAD_PRIORITY_IDLE) != nullptr;
    };
    return start;
}

void CTavrolinDlg::OnStart() {
    const int n = m_documentList.GetItemCount();
    if (n == 0) {
        MessageBox(L"无可转换的文件", AfxGetAppName(), MB_OK);
        return;
    }
    for (int i = 0; i < n; ++i) m_documentList.SetItemText(i, 1, texts::kPending);
    EnableLockedControls(m_hWnd, false);

    std::vector<std::wstring>& runList = RunList();
    runList.clear();
    for (int i = 0; i < n; ++i) runList.push_back(m_documentList.GetItemText(i, 0));

    PrintSettings& settings = CurrentPrintSettings();
    settings.printer = GetWindowText(GetDlgItem(IDC_PRINTER));
    settings.copies = static_cast<std::int32_t>(std::wcstol(GetWindowText(GetDlgItem(IDC_COPIES)).c_str(), nullptr, 10));
    settings.suite = GetWindowText(GetDlgItem(IDC_SUITE)) == L"WPS" ? kSuiteWps : kSuiteMsOffice;

    ::SetTimer(m_hWnd, kBusyTimer, kBusyPeriodMs, nullptr);
    m_runActive = true;
    if (!StartPrintWorker()(this)) {
        // Nothing was handed on: leave the window as it was before Start, rows still pending.
        m_runActive = false;
        ::KillTimer(m_hWnd, kBusyTimer);
        EnableLockedControls(m_hWnd, true);
        MessageBox(L"无法启动打印任务，请重试", AfxGetAppName(), MB_OK);
    }
}

LRESULT CTavrolinDlg::OnPrintProgress(WPARAM wParam, LPARAM lParam) {
    if (wParam != kRunFinished) {
        m_documentList.SetItemText(static_cast<int>(wParam), 1, lParam == kPrinted ? texts::kDone : texts::kFailed);
        m_phase = 0;  // the next tick starts again on the left
        return 0;
    }
    EnableLockedControls(m_hWnd, true);
    ::KillTimer(m_hWnd, kBusyTimer);
    m_runActive = false;
    ClearBusyIndicator(m_hWnd, m_dpiScaler.Dpi());
    return 0;
}

void CTavrolinDlg::OnTimer(UINT_PTR) {
    ++m_phase;
    DrawBusyStep(m_hWnd, m_dpiScaler.Dpi(), m_phase);
    if (m_phase >= 3) m_phase = 0;
}
