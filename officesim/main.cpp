// officesim: a COM local server that stands in for the office automation servers.
//   officesim.exe /regserver [ProgID...]     register the roles (all by default)
//   officesim.exe /unregserver [ProgID...]   remove them again
//   officesim.exe /role <ProgID> -Embedding  serve one role (started by COM)
//   officesim.exe /role <ProgID> /user       the user's own copy: a window, up until it is closed
//   officesim.exe /role <ProgID> /user /hidden   the same, started by another program with no window
//   officesim.exe /helper <seconds>          a server's helper: works that long and ends, or (0) idles
//   officesim.exe /guard <handle>            started by a shared server: cleans up after it if it is killed
//   officesim.exe /shell                     a stand-in for the user's shell: starts the user's copies asked for
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "officesim/calllog.h"
#include "officesim/objects.h"
#include "officesim/printjob.h"
#include "officesim/prompt.h"
#include "officesim/server.h"

namespace officesim {

namespace {

constexpr UINT kLastRelease = WM_APP + 1;
constexpr UINT kQuit = WM_APP + 2;
constexpr UINT kRevoke = WM_APP + 3;
constexpr UINT kUserClosed = WM_APP + 4;
constexpr UINT kIdleMs = 60000;      // started but never used: give up
constexpr UINT kQuitGraceMs = 5000;  // told to quit but still held: end anyway, as Office does
constexpr DWORD kUserCopyWaitMs = 10000;  // how long a starting server waits for the user's copy
constexpr DWORD kHandOverMs = 1500;       // a second start stays this long after handing over (Wine looks once a second)
constexpr DWORD kIdleHelperMs = 600000;   // an idle helper left behind ends by itself at last

const Role* g_role = nullptr;
Behaviour g_behaviour;
AppState g_state;
std::wstring g_startPrinter;
DWORD g_mainThread = 0;
LONG g_objects = 0;
bool g_served = false;
HWND g_mainWindow = nullptr;
HWND g_userDocument = nullptr;
HANDLE g_helper = nullptr;

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        SimObject* app = new (std::nothrow) SimObject(ObjectKind::Application);
        if (!app) return E_OUTOFMEMORY;
        HRESULT hr = app->QueryInterface(riid, out);
        app->Release();
        // One client per process, like a freshly started office application; a
        // single-instance application keeps serving everyone.
        if (!SharedProcess(*g_role)) PostThreadMessageW(g_mainThread, kRevoke, 0, 0);
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) ObjectCreated(); else ObjectDestroyed();
        return S_OK;
    }
};

// Rejects the first calls on the automation objects, as an application that is still
// starting does. Wine ignores SERVERCALL_RETRYLATER (it serves the call), so there the
// call is rejected outright, which a client sees as RPC_E_CALL_REJECTED.
class BusyFilter final : public IMessageFilter {
public:
    explicit BusyFilter(DWORD rejections) : left_(rejections), retryLater_(!UnderWine()) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(DWORD) HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) override {
        if (left_ == 0 || !info || info->iid != IID_IDispatch) return SERVERCALL_ISHANDLED;
        --left_;
        return retryLater_ ? SERVERCALL_RETRYLATER : SERVERCALL_REJECTED;
    }
    STDMETHODIMP_(DWORD) RetryRejectedCall(HTASK, DWORD, DWORD) override { return DWORD(-1); }
    STDMETHODIMP_(DWORD) MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

private:
    DWORD left_;
    bool retryLater_;
};

std::wstring ModulePath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n);
}

// /regserver and /unregserver: the named roles, or all of them.
int Registration(bool add, const std::vector<std::wstring>& progIds) {
    std::vector<const Role*> roles;
    if (progIds.empty())
        for (const Role& role : kRoles) roles.push_back(&role);
    for (const std::wstring& progId : progIds) {
        const Role* role = FindRole(progId);
        if (!role) return 2;
        roles.push_back(role);
    }
    int rc = 0;
    for (const Role* role : roles)
        if ((add ? RegisterRole(*role, ModulePath()) : UnregisterRole(*role)) != ERROR_SUCCESS) rc = 1;
    return rc;
}

// The user's own copy of the application: a visible window; closing it lets the process end.
LRESULT CALLBACK UserWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostThreadMessageW(g_mainThread, kUserClosed, 0, 0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A document the user opened in this process; closing its window is the user closing it.
LRESULT CALLBACK UserDocumentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && window == g_userDocument) {
        g_userDocument = nullptr;
        ObjectDestroyed();
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Registers a window class of this process (once; a second registration fails harmlessly) and
// returns its name. `background`: a system colour index, or -1 for none.
const wchar_t* WindowClass(const wchar_t* name, WNDPROC proc, int background = COLOR_WINDOW) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (background >= 0) wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    wc.lpszClassName = name;
    RegisterClassW(&wc);
    return name;
}

// The application's main window: hidden while it serves automation only.
HWND CreateMainWindow(const Role& role) {
    return CreateWindowExW(0, WindowClass(L"officesim.main", DefWindowProcW, -1), role.progId, WS_OVERLAPPEDWINDOW, 0,
                           0, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND OpenUserWindow(const Role& role) {
    std::wstring title = std::wstring(role.progId) + L" - officesim";
    return CreateWindowExW(0, WindowClass(L"officesim.user", UserWindowProc), title.c_str(),
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 400, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Wine's class table (in the RpcSs service) keeps a multiple-use registration until the
// process revokes it, and hands it out first: a shared server ended from outside would make
// every later activation of its class fail. Windows drops it with the process. The guard
// waits for the server and, when it did not end by itself, restarts RpcSs, which forgets
// every registration (COM starts it again on its next use).
int Guard(HANDLE server) {
    WaitForSingleObject(server, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(server, &code);
    CloseHandle(server);
    if (code == 0) return 0;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return 1;
    SC_HANDLE rpcss = OpenServiceW(manager, L"RpcSs", SERVICE_STOP | SERVICE_START | SERVICE_QUERY_STATUS);
    int rc = 1;
    if (rpcss) {
        auto query = [rpcss](SERVICE_STATUS_PROCESS& status) {
            DWORD needed = 0;
            return QueryServiceStatusEx(rpcss, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                        sizeof(status), &needed) != FALSE;
        };
        SERVICE_STATUS_PROCESS status{};
        query(status);
        // The old process must be gone, not only reported stopped, or it still answers with the old table.
        HANDLE old = status.dwProcessId ? OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId) : nullptr;
        SERVICE_STATUS stop{};
        ControlService(rpcss, SERVICE_CONTROL_STOP, &stop);
        if (old) {
            WaitForSingleObject(old, 10000);
            CloseHandle(old);
        }
        for (int i = 0; i < 200 && query(status) && status.dwCurrentState != SERVICE_STOPPED; ++i) Sleep(50);
        if (StartServiceW(rpcss, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
            for (int i = 0; i < 200 && query(status) && status.dwCurrentState != SERVICE_RUNNING; ++i) Sleep(50);
            rc = status.dwCurrentState == SERVICE_RUNNING ? 0 : 1;
        }
        CloseServiceHandle(rpcss);
    }
    CloseServiceHandle(manager);
    return rc;
}

// The guard inherits a handle to this process, so that it sees the end even when the server
// is killed before the guard has started; and it holds the marker event that tells tests a
// guard is still at work (created here, so that it exists from the start).
void StartGuard() {
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
        return;
    std::wstring command = L"\"" + ModulePath() + L"\" /guard " +
                           std::to_wstring(reinterpret_cast<UINT_PTR>(self));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &si,
                       &pi)) {
        std::wstring name = std::wstring(kGuardEventPrefix) + std::to_wstring(pi.dwProcessId);
        HANDLE marker = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        HANDLE held = nullptr;
        if (marker) DuplicateHandle(GetCurrentProcess(), marker, pi.hProcess, &held, 0, FALSE, DUPLICATE_SAME_ACCESS);
        if (marker) CloseHandle(marker);
        ResumeThread(pi.hThread);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(self);
}

// A licence or activation wizard before the application takes its first client: a window with
// 稍后 that waits (no CPU) until it is pressed or closed.
LRESULT CALLBACK StartWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) DestroyWindow(window);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

void ShowStartWindow(const Role& role) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring title = std::wstring(L"激活向导 - ") + role.progId;
    HWND window = CreateWindowExW(0, WindowClass(L"officesim.start", StartWindowProc, COLOR_BTNFACE), title.c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  360, 160, nullptr, nullptr, instance, nullptr);
    if (!window) return;
    CreateWindowExW(0, L"STATIC", L"请激活此产品以继续使用全部功能。", WS_CHILD | WS_VISIBLE, 12, 12, 320, 40, window,
                    nullptr, instance, nullptr);
    CreateWindowExW(0, L"BUTTON", L"稍后", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 240, 70, 90, 28, window,
                    reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A stand-in for the user's shell: waits until a server asks it (through the registry and an
// event) to start the user's own copy of an application, and starts it as its parent.
int Shell() {
    HANDLE ask = CreateEventW(nullptr, FALSE, FALSE, kShellEvent);
    if (!ask) return 1;
    for (;;) {
        if (WaitForSingleObject(ask, INFINITE) != WAIT_OBJECT_0) break;
        // "<ProgID>" or "<ProgID> /hidden"
        const std::wstring progId = ReadSetting(L"", kShellStartValue);
        if (progId.empty()) continue;
        std::wstring command = L"\"" + ModulePath() + L"\" /role " + progId.substr(0, progId.find(L' ')) + L" /user";
        if (progId.find(L" /hidden") != std::wstring::npos) command += L" /hidden";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    CloseHandle(ask);
    return 0;
}

// Asks the stand-in shell to start the user's copy of `progId` and waits until it has registered
// its class (or would have). True when that copy now serves every client of this role, as a
// single-instance application that was already running does.
bool AskShellForUserCopy(const Role& role, const std::wstring& progId, bool hidden) {
    HANDLE ask = OpenEventW(EVENT_MODIFY_STATE, FALSE, kShellEvent);
    if (!ask) return false;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kUserCopyReadyEvent);
    const std::wstring value = progId + (hidden ? L" /hidden" : L"");
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kShellStartValue, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
    SetEvent(ask);
    CloseHandle(ask);
    const bool started = ready && WaitForSingleObject(ready, kUserCopyWaitMs) == WAIT_OBJECT_0;
    if (ready) CloseHandle(ready);
    return started && SharedProcess(role) && _wcsicmp(role.progId, progId.c_str()) == 0;
}

// A helper of the server's (a print or cloud helper): works for `seconds` and ends, or with 0
// waits without work until it is ended. It outlives its server unless ended.
int Helper(DWORD seconds) {
    if (seconds == 0) {
        Sleep(kIdleHelperMs);
        return 0;
    }
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds) * 1000;
    volatile unsigned long spin = 0;
    while (GetTickCount64() < end) spin = spin + 1;
    return 0;
}

int Serve(const Role& role, bool user, bool hidden) {
    g_role = &role;
    g_behaviour = LoadBehaviour(role);
    g_mainThread = GetCurrentThreadId();
    g_startPrinter = DefaultPrinterName();
    PrinterSettingsAtSelection(g_startPrinter);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for posted messages

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    BusyFilter filter(g_behaviour.busyCalls);
    CoRegisterMessageFilter(&filter, nullptr);
    g_mainWindow = CreateMainWindow(role);
    if (!user) {
        // What happens while the application starts, before it takes its first client.
        if (!g_behaviour.userCopyAtStart.empty() &&
            AskShellForUserCopy(role, g_behaviour.userCopyAtStart, g_behaviour.userCopyHidden)) {
            // The user's copy serves this start's client: this one hands over and ends.
            Sleep(kHandOverMs);
            CoRegisterMessageFilter(nullptr, nullptr);
            CoUninitialize();
            return 0;
        }
        if (g_behaviour.startWindow) ShowStartWindow(role);
    }
    CLSID clsid;
    CLSIDFromString(role.clsid, &clsid);
    static ClassFactory factory;
    DWORD cookie = 0;
    DWORD use = SharedProcess(role) ? REGCLS_MULTIPLEUSE : REGCLS_SINGLEUSE;
    // The user's copy of a one-client-per-process application serves nobody else.
    const bool registers = !user || use == REGCLS_MULTIPLEUSE;
    if (registers && use == REGCLS_MULTIPLEUSE && UnderWine()) StartGuard();
    if (registers && FAILED(CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, use, &cookie))) {
        CoUninitialize();
        return 1;
    }
    // A server that asked for the user's copy waits for this.
    if (user) {
        if (HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, kUserCopyReadyEvent)) {
            SetEvent(ready);
            CloseHandle(ready);
        }
    }
    // A launcher that started this server waits for this before it ends.
    if (HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE,
                                  (L"Local\\officesim-ready-" + std::to_wstring(GetCurrentProcessId())).c_str())) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    auto revoke = [&cookie] {
        if (cookie) CoRevokeClassObject(cookie);
        cookie = 0;
    };

    // The user's copy holds its own application object, as the open window does.
    SimObject* userApp = user ? new SimObject(ObjectKind::Application) : nullptr;
    if (user && !hidden) OpenUserWindow(role);

    UINT_PTR idleTimer = SetTimer(nullptr, 0, kIdleMs, nullptr);
    UINT_PTR quitTimer = 0;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kRevoke) {
            revoke();
        } else if (msg.hwnd == nullptr && msg.message == kQuit) {
            // Not inside the Quit call itself: ending there can hang the client's last Release.
            revoke();
            if (!quitTimer) quitTimer = SetTimer(nullptr, 0, kQuitGraceMs, nullptr);
        } else if (msg.hwnd == nullptr && msg.message == kUserClosed) {
            if (userApp) userApp->Release();
            userApp = nullptr;
        } else if (msg.hwnd == nullptr && msg.message == kLastRelease) {
            // A server stuck after its client (an add-in that does not let go) stays on.
            if (g_objects == 0 && !g_behaviour.linger) break;
        } else if (msg.message == WM_TIMER && msg.hwnd == nullptr &&
                   (msg.wParam == quitTimer || (msg.wParam == idleTimer && !g_served && !user))) {
            if (g_behaviour.linger || (msg.wParam == quitTimer && g_userDocument)) continue;
            break;
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    revoke();
    CoRegisterMessageFilter(nullptr, nullptr);
    CoUninitialize();
    return 0;
}

}  // namespace

Behaviour LoadBehaviour(const Role& role) {
    Behaviour b;
    b.version = ReadSetting(role.progId, kVersionValue, b.version);
    b.failOpenMarker = ReadSetting(role.progId, kFailOpenValue);
    b.failPrintOut = ReadSettingNumber(role.progId, kFailPrintOutValue) != 0;
    b.hangAt = ParseHang(ReadSetting(role.progId, kHangAtValue));
    b.crashAt = ReadSetting(role.progId, kCrashAtValue);
    b.busyCalls = ReadSettingNumber(role.progId, kBusyCallsValue);
    b.linger = ReadSettingNumber(role.progId, kLingerValue) != 0;
    b.userDocument = ReadSettingNumber(role.progId, kUserDocumentValue) != 0;
    b.startWindow = ReadSettingNumber(role.progId, kStartWindowValue) != 0;
    b.userCopyAtStart = ReadSetting(role.progId, kUserCopyAtStartValue);
    b.userCopyHidden = ReadSettingNumber(role.progId, kUserCopyHiddenValue) != 0;
    const std::wstring helper = ReadSetting(role.progId, kHelperValue);
    b.helper = !helper.empty();
    b.helperWorkMs = helper == L"idle" ? 0 : DWORD(wcstoul(helper.c_str(), nullptr, 10)) * 1000;
    std::wstring unknown = ReadSetting(role.progId, kUnknownMembersValue);
    for (const wchar_t* p = unknown.c_str(); *p;) {
        wchar_t* end = nullptr;
        long id = wcstol(p, &end, 0);
        if (end == p) {
            ++p;
            continue;
        }
        b.unknownMembers.push_back(DISPID(id));
        p = end;
    }
    return b;
}

AppState& State() { return g_state; }
const std::wstring& StartPrinter() { return g_startPrinter; }

const std::vector<BYTE>& PrinterSettingsAtSelection(const std::wstring& printer) {
    static std::map<std::wstring, std::vector<BYTE>> taken;
    const auto found = taken.find(printer);
    if (found != taken.end()) return found->second;
    return taken.emplace(printer, UserPrinterSettings(printer)).first->second;
}

const Role& CurrentRole() { return *g_role; }
const Behaviour& CurrentBehaviour() { return g_behaviour; }

void ObjectCreated() {
    InterlockedIncrement(&g_objects);
    g_served = true;
}

void ObjectDestroyed() {
    if (InterlockedDecrement(&g_objects) == 0) PostThreadMessageW(g_mainThread, kLastRelease, 0, 0);
}

void QuitRequested() { PostThreadMessageW(g_mainThread, kQuit, 0, 0); }

HWND MainWindow() { return g_mainWindow; }

void OpenUserDocument() {
    const wchar_t* extension = g_role->family == Family::Word    ? L".docx"
                               : g_role->family == Family::Excel ? L".xlsx"
                                                                 : L".pptx";
    const std::wstring title =
        std::wstring(kUserDocumentTitle) + L" - " + std::to_wstring(GetCurrentProcessId()) + extension;
    ObjectCreated();  // the user's work keeps the application running
    g_userDocument = CreateWindowExW(0, WindowClass(L"officesim.userdoc", UserDocumentProc), title.c_str(),
                                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 400, 200, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!g_userDocument) ObjectDestroyed();
}

bool UserDocumentOpen() { return g_userDocument != nullptr; }

void StartHelper() {
    if (!g_behaviour.helper || g_helper) return;
    std::wstring command = L"\"" + ModulePath() + L"\" /helper " + std::to_wstring(g_behaviour.helperWorkMs / 1000);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    CloseHandle(pi.hThread);
    g_helper = pi.hProcess;
}

void WaitForHelper() {
    if (g_helper && g_behaviour.helperWorkMs) WaitForSingleObject(g_helper, INFINITE);
}

void DiscardUserDocument(std::vector<std::wstring> fields) {
    fields[5] = L"discard:userdoc";
    AppendLogLine(fields);
    if (g_userDocument) DestroyWindow(g_userDocument);
}

}  // namespace officesim

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    std::vector<std::wstring> args(argv + 1, argv + argc);
    LocalFree(argv);

    auto is = [](const std::wstring& arg, const wchar_t* name) {
        return (arg[0] == L'/' || arg[0] == L'-') && _wcsicmp(arg.c_str() + 1, name) == 0;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].empty()) continue;
        if (is(args[i], L"regserver") || is(args[i], L"unregserver"))
            return officesim::Registration(is(args[i], L"regserver"),
                                           std::vector<std::wstring>(args.begin() + i + 1, args.end()));
        if (is(args[i], L"shell")) return officesim::Shell();
        if (is(args[i], L"helper") && i + 1 < args.size())
            return officesim::Helper(DWORD(wcstoul(args[i + 1].c_str(), nullptr, 10)));
        if (is(args[i], L"guard") && i + 1 < args.size())
            return officesim::Guard(reinterpret_cast<HANDLE>(UINT_PTR(wcstoull(args[i + 1].c_str(), nullptr, 10))));
        if (is(args[i], L"role") && i + 1 < args.size()) {
            const officesim::Role* role = officesim::FindRole(args[i + 1]);
            bool user = i + 2 < args.size() && is(args[i + 2], L"user");
            bool hidden = user && i + 3 < args.size() && is(args[i + 3], L"hidden");
            return role ? officesim::Serve(*role, user, hidden) : 2;
        }
    }
    return 2;
}
