// Starting a print run from the main window, following its progress, the busy indicator, and
// stopping it when the program ends.
#pragma once

#include <windows.h>

#include "run/keep_awake.h"
#include "run/print_worker.h"
#include "run/run_journal.h"
#include "run/run_lock.h"
#include "run/taskbar.h"

class DocumentList;

// How long the program waits for a stopped run's worker on its way out. The worker gives up
// the current document as soon as its current call returns; a server that does not let the
// call return within this time is not waited for any longer.
inline constexpr DWORD kStopWaitMs = 15000;

// How Start went.
enum class RunStart { Started, NothingToPrint, AnotherRunActive, PrinterTrouble, Declined, CannotStart };

class PrintRunController {
public:
    // The window whose controls, timer and list the runs use.
    void Attach(HWND dialog, DocumentList* documents);

    // No run of this controller asks or tells the person anything: each refusal is Start's
    // answer, a server that cannot start only its rows' reason ("/print").
    void SetUnattended(bool unattended) { m_unattended = unattended; }
    bool Unattended() const { return m_unattended; }

    // "开始打印": refuses an empty list and a run while another of the session holds the run lock,
    // asks before printing on a printer that reports trouble (unattended: refuses), otherwise
    // takes the lock for the run, marks every row pending, locks the editing controls, keeps the
    // system awake, writes the run's journal and hands the rows and `options` (the three boxes'
    // settings, as the dialog read them) to a new worker.
    RunStart Start(const PrintOptions& options);
    // The worker has handed a document on (WM_PRINT_STARTING): its row says so.
    void OnStarting(WPARAM index);
    // The worker's progress message (WM_PRINT_PROGRESS).
    void OnProgress(WPARAM index, LPARAM result);
    // "停止打印": no further document is started, the one in progress finishes as usual, and the
    // control says "正在停止…" and cannot be pressed again. Nothing when no run goes.
    void Stop();
    // One step of the busy indicator.
    void OnTimer();
    // The worker's request to tell the person that a server cannot start (WM_SERVER_START_FAILED).
    void OnServerStartFailed(DocumentKind kind, std::int32_t suite, PrintOutcome outcome);

    // True from the start of a run to its end; drops are refused meanwhile.
    bool Active() const { return m_active; }
    // True from a press of the stop control to the run's end.
    bool Stopping() const { return m_active && m_stopping; }

    // The program's way out during a run: asks the worker to stop, waits for it at most
    // `boundMs`, and puts the user's default printer back whatever the worker got to. True
    // when the worker ended within the bound (or no run was going).
    bool Shutdown(DWORD boundMs = kStopWaitMs);

private:
    void Finish();
    // On the way out, after the join: the documents the worker reported but the window had not
    // handled yet get their outcome, before the rows are finished.
    void HandleReportsLeftInQueue();
    // What every end of a run shares: the system may sleep again, the taskbar button is plain,
    // the rows never reached read 未打印, the run's journal goes.
    void EndRun();
    // The stop control and the count beside the busy indicator, made on the first run.
    void ShowRunControls();
    void HideRunControls();
    void ShowCount();
    // Rows still pending (and those reading `alsoStatus`, when given) read 未打印.
    void MarkNotReached(const wchar_t* alsoStatus);

    HWND m_dialog = nullptr;
    DocumentList* m_documents = nullptr;
    PrintWorker m_worker;
    RunLock m_lock;
    keep_awake::SystemRequired m_awake;
    taskbar::Button m_taskbar;
    run_journal::Writer m_journal;  // the run's list on disk while it runs (run_journal.h)
    PrintOptions m_options;  // the run's, for the rows' results
    int m_total = 0;
    int m_handled = 0;
    bool m_failed = false;
    bool m_active = false;
    bool m_closing = false;
    bool m_unattended = false;
    bool m_stopping = false;
    int m_phase = 0;
};
