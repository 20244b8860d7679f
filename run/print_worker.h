// The print worker: walks the run list on its own thread and reports each document back to
// the main window by posted messages.
#pragma once

#include <windows.h>

#include "automation/convert_class.h"

// Posted by the worker to the main window. wParam: the run-list index just handled, or -1
// once after the last one. lParam: 0 when the document was printed, 1 when it was not (it
// failed, or the row is not a document).
inline constexpr UINT WM_PRINT_PROGRESS = WM_USER + 12;
inline constexpr WPARAM kRunFinished = static_cast<WPARAM>(-1);
inline constexpr LPARAM kPrinted = 0;
inline constexpr LPARAM kNotPrinted = 1;

class CWnd;

// Starts the print worker for `mainWindow`; false when no thread could be started. The
// default starts a framework worker thread at idle priority; a test can put in one that fails.
using WorkerStarter = bool (*)(CWnd* mainWindow);
WorkerStarter& StartPrintWorker();

// Thread procedure of a run; `mainWindow` is the CWnd that receives the progress messages.
UINT PrintWorker(LPVOID mainWindow);
