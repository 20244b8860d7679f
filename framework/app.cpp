#include "framework/framework.h"

#include <shlobj.h>

#include "framework/person.h"

namespace {
CWinApp* g_app = nullptr;

std::wstring ExecutableBaseName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}
}  // namespace

CWinApp::CWinApp(const wchar_t* appName) : m_appName(appName ? appName : ExecutableBaseName()) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

const MessageMap* CWinApp::GetMessageMap() const {
    static const MessageMap map{nullptr, {}};
    return &map;
}

BOOL CWinApp::InitInstance() {
    // Announce the program to the restart manager so that an update can restart it.
    // No recovery, no autosave: there is nothing to save.
    if (m_restartManagerSupport) ::RegisterApplicationRestart(nullptr, 0);
    return TRUE;
}

CWinApp* AfxGetApp() { return g_app; }

HWND AfxGetMainWnd() { return g_app && g_app->m_pMainWnd ? g_app->m_pMainWnd->GetSafeHwnd() : nullptr; }

const wchar_t* AfxGetAppName() {
    static std::wstring fallback;
    if (g_app) return g_app->m_appName.c_str();
    if (fallback.empty()) fallback = ExecutableBaseName();
    return fallback.c_str();
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    // A dialog-based application does all its work inside InitInstance and returns false from
    // it, so there is no message loop of the framework's own after it.
    app->InitInstance();
    const int result = app->ExitInstance();
    app->m_uiApartment.reset();
    return result;
}

bool AfxEnsureUiApartment() {
    if (CWinApp* app = AfxGetApp()) {
        if (!app->m_uiApartment) app->m_uiApartment.emplace(ScopedCom::Kind::Ole);
        return app->m_uiApartment->ok();
    }
    // No application object (a test host): the thread keeps its apartment until it ends.
    thread_local ScopedCom apartment(ScopedCom::Kind::Ole);
    return apartment.ok();
}

// ---------------------------------------------------------------------------------------------

std::optional<std::wstring> CShellManager::BrowseForFolder(HWND owner, const wchar_t* title, UINT flags) {
    if (const auto* scripted = person::ScriptedFolderBrowser()) return (*scripted)({owner, title ? title : L"", flags});
    if (!AfxEnsureUiApartment()) return std::nullopt;
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = title;
    bi.ulFlags = flags;
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderW(&bi);
    if (!pidl) return std::nullopt;
    std::wstring path(MAX_PATH, L'\0');
    bool ok = ::SHGetPathFromIDListW(pidl, path.data()) != FALSE;
    ::CoTaskMemFree(pidl);
    if (!ok) return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return path;
}
