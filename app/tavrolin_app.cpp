#include "app/tavrolin_app.h"

#include "app/tavrolin_dlg.h"
#include "app/texts.h"

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

    INITCOMMONCONTROLSEX icc{8, 0xFF};
    ::InitCommonControlsEx(&icc);

    CWinApp::InitInstance();

    CShellManager* shellManager = new CShellManager;
    m_pShellManager = shellManager;
    SetRegistryKey(texts::kRegistryKey);

    m_pMainWnd = dlg;
    dlg->DoModal();

    m_pShellManager = nullptr;
    delete shellManager;
    m_pMainWnd = nullptr;
    delete dlg;
    return FALSE;
}
