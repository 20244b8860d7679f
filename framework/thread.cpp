#include "framework/thread.h"

#include "framework/framework.h"

namespace {
thread_local CWinThread* t_current = nullptr;
}

DWORD WINAPI CWinThread::Start(LPVOID self) {
    auto* thread = static_cast<CWinThread*>(self);
    t_current = thread;
    UINT result = thread->m_proc(thread->m_param);
    t_current = nullptr;
    ::CloseHandle(thread->m_hThread);
    delete thread;
    return result;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD createFlags) {
    auto* thread = new CWinThread;
    thread->m_proc = proc;
    thread->m_param = param;
    thread->m_hMainWnd = AfxGetMainWnd();
    // Start suspended so the handle and priority are in place before the procedure runs.
    thread->m_hThread = ::CreateThread(nullptr, stackSize, &CWinThread::Start, thread, CREATE_SUSPENDED,
                                       &thread->m_nThreadID);
    if (!thread->m_hThread) {
        delete thread;
        return nullptr;
    }
    ::SetThreadPriority(thread->m_hThread, priority);
    if (!(createFlags & CREATE_SUSPENDED)) ::ResumeThread(thread->m_hThread);
    return thread;
}

CWinThread* AfxGetThread() { return t_current; }
