#include "app/tavrolin_app.h"

#include "app/tavrolin_dlg.h"
#include "app/texts.h"
#include "framework/scoped.h"

CTavrolinApp::CTavrolinApp() { m_restartManagerSupport = true; }

// The mutex handle is deliberately not closed here: the system releases it when the
// process ends, which is exactly the lifetime the single-instance rule needs.
CTavrolinApp::~CTavrolinApp() = default;

const MessageMap* CTavrolinApp::GetMessageMap() const {
    static const MessageMap map{CWinApp::GetMessageMap(), {}};
    return &map;
}

BOOL CTavrolinApp::InitInstance() {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, texts::kSingleInstanceMutex);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another instance runs: bring its window forward and end without one of our own.
        HWND running = ::FindWindowW(nullptr, texts::kMainTitle);
        ::ShowWindow(running, SW_SHOW);
        ::SetForegroundWindow(running);
        ::FlashWindow(running, TRUE);
        if (mutex) ::CloseHandle(mutex);
        return FALSE;
    }
    m_instanceMutex = mutex;

    // The printers are read while the rest starts up and the window is built.
    auto* dlg = new CTavrolinDlg;
    dlg->BeginReadingPrinters();

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    CWinApp::InitInstance();

    // The UI thread's apartment, before any shell dialog or drop target: the file dialog and
    // the folder browser are COM objects. Without it they cannot be shown, but the list, drops
    // and printing still work, so the window comes up either way.
    ScopedCom ole(ScopedCom::Kind::Ole);

    m_pMainWnd = dlg;
    dlg->DoModal();

    m_pMainWnd = nullptr;
    delete dlg;
    return FALSE;
}
