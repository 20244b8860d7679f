#include "app/tavrolin_app.h"

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/command_line.h"
#include "app/print_command.h"
#include "app/tavrolin_dlg.h"
#include "common/texts.h"
#include "doclist/list_file.h"
#include "framework/scoped.h"
#include "framework/whole_file.h"

CTavrolinApp::CTavrolinApp() { m_restartManagerSupport = true; }

// The mutex handle is deliberately not closed here: the system releases it when the
// process ends, which is exactly the lifetime the single-instance rule needs.
CTavrolinApp::~CTavrolinApp() = default;

const MessageMap* CTavrolinApp::GetMessageMap() const {
    static const MessageMap map{CWinApp::GetMessageMap(), {}};
    return &map;
}

namespace {

// How long a second launch with names waits for the running instance's window: launched
// together (several files opened at once), the first may still be building it.
constexpr DWORD kFindWindowWaitMs = 10000;
// How long it waits for that window to take the names.
constexpr UINT kHandOverWaitMs = 10000;

void ShowUsage() {
    const std::wstring text = command_line::UsageText(std::wstring(AfxGetAppName()) + L".exe");
    ::MessageBoxW(nullptr, text.c_str(), AfxGetAppName(), MB_OK | MB_ICONINFORMATION);
}

// The running instance's window, waited for at most waitMs.
HWND FindRunningWindow(DWORD waitMs) {
    const ULONGLONG end = ::GetTickCount64() + waitMs;
    HWND running = ::FindWindowW(nullptr, texts::kMainTitle);
    while (!running && ::GetTickCount64() < end) {
        ::Sleep(50);
        running = ::FindWindowW(nullptr, texts::kMainTitle);
    }
    return running;
}

void HandOver(HWND running, const std::vector<std::wstring>& names) {
    std::vector<wchar_t> block = command_line::PackNames(names);
    if (!running || block.empty()) return;
    COPYDATASTRUCT data{command_line::kCopyDataAddNames, static_cast<DWORD>(block.size() * sizeof(wchar_t)), block.data()};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kHandOverWaitMs,
                          &result);
}

}  // namespace

BOOL CTavrolinApp::InitInstance() {
    const std::vector<std::wstring> arguments = command_line::Arguments(::GetCommandLineW());
    // A run from the command line takes neither the single-instance mutex nor the main
    // window's title: it never receives a later launch's names, and never hands its own over.
    if (command_line::WantsPrint(arguments)) {
        m_exitCode = print_command::Run(arguments);
        return FALSE;
    }
    if (command_line::WantsUsage(arguments)) {
        ShowUsage();
        return FALSE;
    }
    // Made full here, against the directory this launch was started in, before anything could
    // change it or the names go to another process. A list's entries stand where it stood.
    std::vector<std::wstring> names;
    for (const command_line::LaunchItem& item : command_line::ParsePlain(arguments)) {
        for (std::wstring& full : command_line::FullPaths({item.name})) {
            std::string bytes;
            if (!item.list) {
                names.push_back(std::move(full));
            } else if (ReadWholeFile(full, bytes) == 0) {
                // Names go on top one by one, as a drop's do; the list's entries go in last first,
                // each once, so that they read in the file's order, as 打开列表… shows them. A
                // refused line is dropped as a drop's non-document is: a launch has nobody to tell.
                std::vector<std::wstring> entries =
                    doclist::ListFilePaths(doclist::ListFileEntries(bytes, doclist::FolderOfFile(full)));
                std::unordered_set<std::wstring> seen;
                std::erase_if(entries, [&](const std::wstring& entry) { return !seen.insert(entry).second; });
                names.insert(names.end(), std::make_move_iterator(entries.rbegin()),
                             std::make_move_iterator(entries.rend()));
            }
        }
    }

    UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, texts::kSingleInstanceMutex));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another instance runs: bring its window forward, hand it our names, and end without
        // a window of our own.
        HWND running = FindRunningWindow(names.empty() ? 0 : kFindWindowWaitMs);
        ::ShowWindow(running, SW_SHOW);
        ::SetForegroundWindow(running);
        ::FlashWindow(running, TRUE);
        HandOver(running, names);
        return FALSE;
    }
    m_instanceMutex = mutex.release();

    // The printers are read while the rest starts up and the window is built, after what a
    // cut-off run left is acted on.
    auto dlg = std::make_unique<CTavrolinDlg>();
    dlg->BeginReadingPrinters(true);
    dlg->AddOnStart(names);

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    CWinApp::InitInstance();

    // The UI thread's apartment is made before the first shell dialog (AfxEnsureUiApartment),
    // not here: start-up does not wait for COM, and drops need none.
    m_pMainWnd = dlg.get();
    dlg->DoModal();

    m_pMainWnd = nullptr;
    return FALSE;
}
