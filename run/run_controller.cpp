#include "run/run_controller.h"

#include "automation/default_printer.h"
#include "automation/printer_record.h"
#include "common/resource.h"
#include "common/texts.h"
#include "doclist/document_list.h"
#include "framework/framework.h"
#include "run/busy_indicator.h"
#include "run/outcome_text.h"
#include "run/printer_state.h"
#include "ui/dpi.h"

namespace {
constexpr UINT_PTR kBusyTimer = 1;
constexpr UINT kBusyPeriodMs = 1000;

// Disabled for the whole run, enabled again at its end, always in this order.
constexpr int kLockedControls[] = {IDC_ADD_FILES, IDC_REMOVE_FILE, IDC_CLEAR_LIST, IDC_START, IDC_ADD_FOLDER, IDC_COPIES};

void EnableLockedControls(HWND dlg, bool enable) {
    for (int id : kLockedControls) ::EnableWindow(::GetDlgItem(dlg, id), enable ? TRUE : FALSE);
}

// One of the run's own controls, made hidden in the dialog's font the first time it is asked for.
HWND RunControl(HWND dlg, int id, const wchar_t* windowClass, DWORD style) {
    if (HWND control = ::GetDlgItem(dlg, id)) return control;
    HWND control = ::CreateWindowExW(0, windowClass, L"", WS_CHILD | style, 0, 0, 0, 0, dlg,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (control) ::SendMessageW(control, WM_SETFONT, ::SendMessageW(dlg, WM_GETFONT, 0, 0), FALSE);
    return control;
}

void Place(HWND control, const RECT& r) {
    ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void PrintRunController::Attach(HWND dialog, DocumentList* documents) {
    m_dialog = dialog;
    m_documents = documents;
    m_taskbar.Attach(dialog);
}

RunStart PrintRunController::Start(const PrintOptions& options) {
    // The button is disabled during a run; a command that arrives anyway starts nothing.
    if (m_active) return RunStart::AnotherRunActive;
    const int n = m_documents->Count();
    if (n == 0) {
        if (!m_unattended) ::MessageBoxW(m_dialog, texts::kNothingToPrint, AfxGetAppName(), MB_OK);
        return RunStart::NothingToPrint;
    }
    if (!m_lock.TryAcquire()) {
        if (!m_unattended) ::MessageBoxW(m_dialog, texts::kAnotherRunActive, AfxGetAppName(), MB_OK | MB_ICONWARNING);
        return RunStart::AnotherRunActive;
    }
    // The lock is held from here to the run's end; every refusal below lets go of it.
    // A run that held it before may have been cut off after the window opened (a "/print" ended
    // from Task Manager): its printer must not be taken for the user's default.
    printer_record::ActOnRecordsOfGoneProcesses();
    const std::wstring question = PrinterQuestion(options.printer, ReadChosenPrinterState()(options.printer));
    if (!question.empty()) {
        const bool go = !m_unattended && ::MessageBoxW(m_dialog, question.c_str(), AfxGetAppName(),
                                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
        if (!go) {
            m_lock.Release();
            return m_unattended ? RunStart::PrinterTrouble : RunStart::Declined;
        }
    }
    for (int i = 0; i < n; ++i) m_documents->SetStatus(i, texts::kPending);
    EnableLockedControls(m_dialog, false);

    PrintJob job;
    job.paths = m_documents->Paths();
    job.options = options;
    // On disk before the first document, so that a cut at any moment leaves the list behind.
    m_journal.Begin(job.paths, job.options);

    ::SetTimer(m_dialog, kBusyTimer, kBusyPeriodMs, nullptr);
    m_active = true;
    m_options = options;
    m_phase = 0;
    m_total = n;
    m_handled = 0;
    m_failed = false;
    m_stopping = false;
    ShowRunControls();
    m_awake.Acquire(texts::kKeepAwakeReason);
    m_taskbar.Progress(0, static_cast<ULONGLONG>(n));
    if (!StartPrintWorker(m_worker, std::move(job), m_dialog)) {
        // Nothing was handed on: leave the window as it was before Start, rows still pending.
        m_active = false;
        ::KillTimer(m_dialog, kBusyTimer);
        HideRunControls();
        m_journal.End();
        m_lock.Release();
        m_awake.Release();
        m_taskbar.State(TBPF_NOPROGRESS);
        EnableLockedControls(m_dialog, true);
        if (!m_unattended) ::MessageBoxW(m_dialog, texts::kCannotStartRun, AfxGetAppName(), MB_OK);
        return RunStart::CannotStart;
    }
    return RunStart::Started;
}

void PrintRunController::OnStarting(WPARAM index) {
    if (!m_active || static_cast<int>(index) >= m_documents->Count()) return;
    m_documents->SetStatus(static_cast<int>(index), texts::kPrinting);
}

void PrintRunController::OnProgress(WPARAM index, LPARAM result) {
    if (!m_active) return;
    if (index != kRunFinished) {
        const auto outcome = static_cast<PrintOutcome>(result);
        RowResult row{OutcomeReason(outcome),
                      {},
                      m_options.printer,
                      m_options.copies,
                      m_options.suite == kSuiteWps ? texts::kSuiteNameWps : texts::kSuiteNameMsOffice,
                      DuplexName(m_options.duplex),
                      ColorName(m_options.color),
                      PageRangeText(m_options.pages)};
        ::GetLocalTime(&row.ended);
        m_journal.RowEnded(index, outcome == PrintOutcome::Printed, row.reason);
        m_documents->SetResult(static_cast<int>(index), outcome == PrintOutcome::Printed ? texts::kDone : texts::kFailed,
                               std::move(row));
        m_phase = 0;  // the next tick starts again on the left
        if (m_handled < m_total) ++m_handled;
        ShowCount();
        m_taskbar.Progress(static_cast<ULONGLONG>(m_handled), static_cast<ULONGLONG>(m_total));
        if (outcome != PrintOutcome::Printed && !m_failed) {
            m_failed = true;
            m_taskbar.State(TBPF_ERROR);
        }
        return;
    }
    Finish();
}

void PrintRunController::Finish() {
    EnableLockedControls(m_dialog, true);
    ::KillTimer(m_dialog, kBusyTimer);
    m_active = false;
    HideRunControls();
    ClearBusyIndicator(m_dialog, dpi::ForWindow(m_dialog));
    EndRun();
    // The person may have left the machine to it: the button tells them it is over.
    if (::GetForegroundWindow() != m_dialog) m_taskbar.Flash();
}

void PrintRunController::EndRun() {
    m_journal.End();
    m_lock.Release();
    m_awake.Release();
    m_taskbar.State(TBPF_NOPROGRESS);
    MarkNotReached(texts::kPrinting);
}

void PrintRunController::MarkNotReached(const wchar_t* alsoStatus) {
    // A row the worker never reported on is not printed: the run was stopped before it (or the
    // worker ended early), and "待处理" would say it is still to come.
    const int n = m_documents->Count();
    for (int i = 0; i < n; ++i) {
        const std::wstring status = m_documents->Control().GetItemText(i, 1);
        if (status == texts::kPending || (alsoStatus && status == alsoStatus)) m_documents->SetStatus(i, texts::kNotPrinted);
    }
}

void PrintRunController::Stop() {
    if (!m_active || m_stopping) return;
    m_stopping = true;
    m_worker.RequestStopAfterCurrent();
    // What will not be started says so at once; a document the worker was already handing on
    // when the stop came reports itself as usual and its row follows.
    MarkNotReached(nullptr);
    HWND button = ::GetDlgItem(m_dialog, IDC_STOP_RUN);
    ::SetWindowTextW(button, texts::kStopping);
    ::EnableWindow(button, FALSE);
}

void PrintRunController::ShowRunControls() {
    const BusyIndicatorGeometry g = BusyIndicatorFor(m_dialog, dpi::ForWindow(m_dialog));
    HWND button = RunControl(m_dialog, IDC_STOP_RUN, L"Button", BS_PUSHBUTTON | WS_TABSTOP);
    HWND count = RunControl(m_dialog, IDC_RUN_COUNT, L"Static", SS_LEFT | SS_NOPREFIX);
    ::SetWindowTextW(button, texts::kStopRun);
    ::EnableWindow(button, TRUE);
    Place(button, g.stop);
    Place(count, g.count);
    ShowCount();
    ::ShowWindow(button, SW_SHOWNA);
    ::ShowWindow(count, SW_SHOWNA);
}

void PrintRunController::HideRunControls() {
    for (int id : {IDC_STOP_RUN, IDC_RUN_COUNT})
        if (HWND control = ::GetDlgItem(m_dialog, id)) ::ShowWindow(control, SW_HIDE);
}

void PrintRunController::ShowCount() {
    const std::wstring text =
        texts::kHandledStart + std::to_wstring(m_handled) + texts::kHandledOf + std::to_wstring(m_total);
    ::SetDlgItemTextW(m_dialog, IDC_RUN_COUNT, text.c_str());
}

void PrintRunController::OnTimer() {
    ++m_phase;
    DrawBusyStep(m_dialog, dpi::ForWindow(m_dialog), m_phase);
    if (m_phase >= 3) m_phase = 0;
}

void PrintRunController::OnServerStartFailed(DocumentKind kind, std::int32_t suite, PrintOutcome outcome) {
    // On the way out nobody is told anything any more, and an unattended run has nobody to
    // tell: its rows carry the reason.
    if (m_closing || m_unattended) return;
    ::MessageBoxW(m_dialog, ServerStartFailureText(kind, suite, outcome).c_str(), AfxGetAppName(), MB_OK | MB_ICONWARNING);
}

void PrintRunController::HandleReportsLeftInQueue() {
    // The join answers only sent messages: what the worker posted meanwhile (a document that
    // printed while the program was closing) waits in the queue and is what happened to it.
    MSG msg;
    while (::PeekMessageW(&msg, m_dialog, WM_PRINT_PROGRESS, WM_PRINT_STARTING, PM_REMOVE)) {
        if (msg.message == WM_PRINT_STARTING) OnStarting(msg.wParam);
        else if (msg.message == WM_PRINT_PROGRESS && msg.wParam != kRunFinished) OnProgress(msg.wParam, msg.lParam);
    }
}

bool PrintRunController::Shutdown(DWORD boundMs) {
    m_closing = true;
    m_worker.RequestStop();
    const bool ended = m_worker.Join(boundMs);
    if (m_active) HandleReportsLeftInQueue();
    // Whatever the worker got to, the user's default printer is theirs again.
    RestorePendingDefaultPrinter();
    if (m_active) {
        ::KillTimer(m_dialog, kBusyTimer);
        m_active = false;
        HideRunControls();
        EndRun();
    }
    m_awake.Release();
    return ended;
}
