#include "support/program.h"

#include <commctrl.h>
#include <winspool.h>

#include <algorithm>

#include "automation/printer_record.h"
#include "common/texts.h"
#include "run/run_journal.h"
#include "support/files.h"
#include "support/ui.h"

namespace testing_program {

std::wstring BuildFolder() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.resize(dir.find_last_of(L'\\'));  // .../build/tests
    dir.resize(dir.find_last_of(L'\\'));  // .../build
    return dir;
}

std::wstring ProgramPath() { return BuildFolder() + L"\\tavrolin.exe"; }

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    return ::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi);
}

long ChildProcess::Wait(DWORD ms) {
    if (!m_pi.hProcess || ::WaitForSingleObject(m_pi.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_pi.hProcess, &code);
    return static_cast<long>(code);
}

ChildProcess::~ChildProcess() {
    if (!m_pi.hProcess) return;
    if (Wait(0) < 0) ::TerminateProcess(m_pi.hProcess, 1);
    ::CloseHandle(m_pi.hProcess);
    ::CloseHandle(m_pi.hThread);
}

std::vector<std::wstring> SpoolerPrinters() {
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, returned = 0;
    ::EnumPrintersW(flags, nullptr, 5, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    std::vector<std::wstring> names;
    if (needed && ::EnumPrintersW(flags, nullptr, 5, buffer.data(), needed, &needed, &returned)) {
        auto* printers = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) names.emplace_back(printers[i].pPrinterName);
    }
    return names;
}

namespace {
struct BoxSearch {
    DWORD pid;
    const std::wstring* text;
    HWND found = nullptr;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (pid != search->pid || std::wstring(cls) != L"#32770" || !::IsWindowVisible(hwnd)) return TRUE;
    // A message box holds its text in the static control 0xFFFF.
    wchar_t text[4096] = {};  // the usage box says a lot
    ::GetDlgItemTextW(hwnd, 0xFFFF, text, 4096);
    if (*search->text != text) return TRUE;
    search->found = hwnd;
    return FALSE;
}
}  // namespace

bool AnswerBox(DWORD pid, const std::wstring& text, int button, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    do {
        BoxSearch search{pid, &text};
        ::EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            ::PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(search.found, button)));
            return true;
        }
        ::Sleep(50);
    } while (::GetTickCount64() < end);
    return false;
}

std::vector<std::wstring> ComboItems(HWND box) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int length = static_cast<int>(::SendMessageW(box, CB_GETLBTEXTLEN, i, 0));
        std::wstring text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        if (length >= 0) ::SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length < 0 ? 0 : length));
        items.push_back(text);
    }
    return items;
}

std::vector<std::wstring> ListColumn(HWND list, int column) {
    std::vector<std::wstring> texts;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(list, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return texts;
    // Room for the longest path the program keeps.
    constexpr size_t kChars = 32768;
    const SIZE_T size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
    auto* remote = static_cast<BYTE*>(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    if (remote) {
        auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        std::wstring text(kChars, L'\0');
        const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = remoteText;
            item.cchTextMax = static_cast<int>(kChars);
            SIZE_T moved = 0;
            if (!::WriteProcessMemory(process, remote, &item, sizeof(item), &moved)) break;
            const size_t length = std::min(
                static_cast<size_t>(::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote))), kChars - 1);
            if (length && !::ReadProcessMemory(process, remoteText, text.data(), length * sizeof(wchar_t), &moved)) break;
            texts.emplace_back(text.data(), length);
        }
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(process);
    return texts;
}

HWND BoxOf(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND found = nullptr;
    } search{pid};
    ::EnumWindows(
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner != s->pid || !::IsWindowVisible(hwnd) || testing_ui::ClassName(hwnd) != L"#32770") return TRUE;
            const std::wstring title = testing_ui::WindowText(hwnd);
            if (title == texts::kPrintCommandTitle || title == texts::kMainTitle) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ForgetCutRuns() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, printer_record::kKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, printer_record::kKey);
    const std::wstring folder = run_journal::Folder();
    if (folder.empty()) return;
    testing_files::RemoveTree(folder);
    ::DeleteFileW(folder.c_str());  // a test may have put a file there
}

}  // namespace testing_program
