#include "run/print_worker.h"

#include <atomic>
#include <optional>

#include "doclist/document_kind.h"


// What the thread and its owner share: the owner may give up on the thread, which then keeps
// its own reference until it ends.
struct PrintWorker::Shared {
    PrintJob job;
    HWND window = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<bool> stopAfterCurrent{false};
};

namespace {

void RunJob(const PrintJob& job, HWND window, const std::atomic<bool>& stop, const std::atomic<bool>& stopAfterCurrent) {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_IDLE);
    // The worker's apartment for its whole life.
    ScopedCom com;

    // Only the UI thread shows windows: the box for a server that cannot start, and its words,
    // are its job.
    ConvertClass convert(
        job.options,
        [window](DocumentKind kind, std::int32_t suite, PrintOutcome outcome) {
            ::SendMessageW(window, WM_SERVER_START_FAILED, MAKEWPARAM(static_cast<WORD>(kind), static_cast<WORD>(suite)),
                           static_cast<LPARAM>(outcome));
        },
        &stop);
    // Only the hard stop reaches the calls; the person's stop is looked at between documents.
    for (size_t i = 0; i < job.paths.size() && !stop && !stopAfterCurrent; ++i) {
        // A row that is not a document fails at its turn without any server being asked.
        ::PostMessageW(window, WM_PRINT_STARTING, static_cast<WPARAM>(i), 0);
        PrintOutcome outcome = PrintOutcome::NotADocument;
        if (const std::optional<DocumentKind> kind = doclist::DocumentKindOf(job.paths[i]))
            outcome = com.ok() ? convert.Print(*kind, job.paths[i]) : PrintOutcome::Failed;
        ::PostMessageW(window, WM_PRINT_PROGRESS, static_cast<WPARAM>(i), static_cast<LPARAM>(outcome));
    }
    ::PostMessageW(window, WM_PRINT_PROGRESS, kRunFinished, 0);
}

}  // namespace

DWORD WINAPI PrintWorker::ThreadMain(LPVOID param) {
    std::unique_ptr<std::shared_ptr<Shared>> owned(static_cast<std::shared_ptr<Shared>*>(param));
    const Shared& shared = **owned;
    // No exception may leave the thread; the printers absorb theirs, so this is a last guard.
    try {
        RunJob(shared.job, shared.window, shared.stop, shared.stopAfterCurrent);
    } catch (...) {
        ::PostMessageW(shared.window, WM_PRINT_PROGRESS, kRunFinished, 0);
    }
    return 0;
}

PrintWorker::~PrintWorker() {
    RequestStop();
    Join(INFINITE);
}

bool PrintWorker::Start(PrintJob job, HWND window) {
    if (Running()) return false;
    m_thread.reset();
    auto shared = std::make_shared<Shared>();
    shared->job = std::move(job);
    shared->window = window;
    auto* param = new std::shared_ptr<Shared>(shared);
    HANDLE thread = ::CreateThread(nullptr, 0, &PrintWorker::ThreadMain, param, 0, nullptr);
    if (!thread) {
        delete param;
        return false;
    }
    m_shared = std::move(shared);
    m_thread.reset(thread);
    return true;
}

void PrintWorker::RequestStop() {
    if (m_shared) m_shared->stop = true;
}

void PrintWorker::RequestStopAfterCurrent() {
    if (m_shared) m_shared->stopAfterCurrent = true;
}

bool PrintWorker::Running() const {
    return m_thread && ::WaitForSingleObject(m_thread.get(), 0) == WAIT_TIMEOUT;
}

bool PrintWorker::Join(DWORD timeoutMs) {
    if (!m_thread) return true;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD wait = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            wait = elapsed >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - elapsed);
        }
        HANDLE thread = m_thread.get();
        // Only sent messages are answered here: the worker may be waiting in SendMessage for
        // this thread (the start-failure box, the spooler's broadcast of a new default), and
        // nothing else of the window's queue may run while the program is on its way out.
        const DWORD r = ::MsgWaitForMultipleObjects(1, &thread, FALSE, wait, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_OBJECT_0 + 1) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        // Timed out (or the wait itself failed): the thread is left to end with the process.
        m_thread.reset();
        m_shared.reset();
        return false;
    }
    m_thread.reset();
    m_shared.reset();
    return true;
}

WorkerStarter& WorkerStarterInUse() {
    static WorkerStarter start = [](PrintWorker& worker, PrintJob job, HWND window) {
        return worker.Start(std::move(job), window);
    };
    return start;
}

bool StartPrintWorker(PrintWorker& worker, PrintJob job, HWND window) {
    return WorkerStarterInUse()(worker, std::move(job), window);
}
