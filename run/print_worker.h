// The print worker: walks a run's documents on a thread the program owns and reports each one
// back to the main window by posted messages. The window can ask it to stop and always waits
// for it before the program ends.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/convert_class.h"
#include "framework/scoped.h"

// Posted by the worker to the main window. wParam: the index of the document just handled, or
// kRunFinished once after the last one (or after a stop). lParam: the document's PrintOutcome.
inline constexpr UINT WM_PRINT_PROGRESS = WM_APP + 1;
inline constexpr WPARAM kRunFinished = static_cast<WPARAM>(-1);

// Posted by the worker to the main window before it hands document wParam (its index) on; the
// document's WM_PRINT_PROGRESS follows.
inline constexpr UINT WM_PRINT_STARTING = WM_APP + 3;

// Sent by the worker to the main window when a server cannot start: LOWORD(wParam) is its
// DocumentKind, HIWORD(wParam) the suite, lParam the PrintOutcome that says why. The worker
// waits until the window has answered.
inline constexpr UINT WM_SERVER_START_FAILED = WM_APP + 2;

// One run, as the window hands it over: everything the worker needs, owned by the worker.
struct PrintJob {
    std::vector<std::wstring> paths;  // entry i is row i of the list when the run started
    PrintOptions options;
};

class PrintWorker {
public:
    PrintWorker() = default;
    // A worker still running is stopped and waited for.
    ~PrintWorker();
    PrintWorker(const PrintWorker&) = delete;
    PrintWorker& operator=(const PrintWorker&) = delete;

    // Starts the run on a thread of its own at idle priority, reporting to `window`; false
    // when no thread could be started (or one is still running).
    bool Start(PrintJob job, HWND window);

    // The program's way out: no further document is started, and the current one goes the
    // failure way as soon as its current call returns.
    void RequestStop();
    // The person's stop: no further document is started; the current one is finished as usual
    // (unless the watchdog gives up on it). The rows never reached get no message.
    void RequestStopAfterCurrent();

    // Waits for the worker thread to end, answering what it sends to this thread's windows
    // meanwhile; true when it ended (or none was running) within `timeoutMs`. A worker that
    // did not end is left to the process's end and forgotten.
    bool Join(DWORD timeoutMs);

    bool Running() const;

private:
    struct Shared;
    static DWORD WINAPI ThreadMain(LPVOID shared);

    std::shared_ptr<Shared> m_shared;
    UniqueHandle m_thread;
};

// How the window starts a worker. The starter in use is a seam: a test puts in one that fails
// or starts nothing, and puts the real one back.
using WorkerStarter = bool (*)(PrintWorker& worker, PrintJob job, HWND window);
WorkerStarter& WorkerStarterInUse();
// Starts `worker` on `job` through the starter in use.
bool StartPrintWorker(PrintWorker& worker, PrintJob job, HWND window);
