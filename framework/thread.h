// Worker threads in the framework's manner: a thread object that deletes itself when its
// procedure returns; nobody waits for it.
#pragma once

#include <windows.h>

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread {
public:
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // The window the worker reports to: the application's main window when the thread starts.
    HWND m_hMainWnd = nullptr;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD);
    static DWORD WINAPI Start(LPVOID self);
    AFX_THREADPROC m_proc = nullptr;
    LPVOID m_param = nullptr;
};

// Starts `proc(param)` on a new thread at `priority`; null when the thread cannot be created.
// `suspended` (CREATE_SUSPENDED) leaves it for the caller to resume.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0);

// The thread object of the calling worker thread, or null on a thread the framework did not start.
CWinThread* AfxGetThread();
