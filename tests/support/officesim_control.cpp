#include "officesim_control.h"

#include <tlhelp32.h>
#include <winspool.h>

#include "officesim/shared.h"

namespace officesim {

namespace {

std::wstring RoleKey(const std::wstring& progId) { return std::wstring(kSettingsKey) + L"\\" + progId; }

void SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    if (value.empty()) {
        RegDeleteValueW(key, name);
        return;
    }
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
}

void SetNumber(HKEY key, const wchar_t* name, DWORD value) {
    if (value == 0) {
        RegDeleteValueW(key, name);
        return;
    }
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

}  // namespace

void SetBehaviour(const std::wstring& progId, const Behaviour& b) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RoleKey(progId).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    SetText(key, kVersionValue, b.version);
    SetText(key, kFailOpenValue, b.failOpenMarker);
    SetNumber(key, kFailPrintOutValue, b.failPrintOut ? 1 : 0);
    SetText(key, kHangAtValue, b.hangAt);
    SetText(key, kCrashAtValue, b.crashAt);
    SetNumber(key, kBusyCallsValue, b.busyCalls);
    std::wstring unknown;
    for (DISPID id : b.unknownMembers) unknown += (unknown.empty() ? L"" : L" ") + std::to_wstring(id);
    SetText(key, kUnknownMembersValue, unknown);
    SetNumber(key, kLingerValue, b.linger ? 1 : 0);
    SetNumber(key, kUserDocumentValue, b.userDocument ? 1 : 0);
    SetNumber(key, kStartWindowValue, b.startWindow ? 1 : 0);
    SetText(key, kUserCopyAtStartValue, b.userCopyAtStart);
    SetNumber(key, kUserCopyHiddenValue, b.userCopyHidden ? 1 : 0);
    SetText(key, kHelperValue, b.helper);
    RegCloseKey(key);
}

void ResetBehaviours() {
    for (const Role& role : kRoles) RegDeleteTreeW(HKEY_CURRENT_USER, RoleKey(role.progId).c_str());
}

void ClearLog() { DeleteFileW(LogPath().c_str()); }

std::wstring ExePath() {
    wchar_t path[MAX_PATH];
    std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    // <build>/tests/test_x.exe -> <build>/officesim/officesim.exe
    std::wstring tests = self.substr(0, self.find_last_of(L'\\'));
    return tests.substr(0, tests.find_last_of(L'\\')) + L"\\officesim\\officesim.exe";
}

bool Register(const std::wstring& progId) {
    const Role* role = FindRole(progId);
    return role && RegisterRole(*role, ExePath()) == ERROR_SUCCESS;
}

bool RegisterThroughLauncher(const std::wstring& progId) {
    const Role* role = FindRole(progId);
    const std::wstring exe = ExePath();
    const std::wstring launcher = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"officelaunch.exe";
    return role && RegisterRoleThroughLauncher(*role, launcher) == ERROR_SUCCESS;
}

bool Unregister(const std::wstring& progId) {
    const Role* role = FindRole(progId);
    return role && UnregisterRole(*role) == ERROR_SUCCESS;
}

bool RegisterAll() {
    bool ok = true;
    for (const Role& role : kRoles) ok = Register(role.progId) && ok;
    return ok;
}

std::vector<DWORD> ProcessIds(const std::function<bool(const PROCESSENTRY32W&)>& wanted) {
    std::vector<DWORD> pids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (wanted(entry)) pids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return pids;
}

std::vector<DWORD> RunningServers() {
    return ProcessIds([](const PROCESSENTRY32W& p) { return _wcsicmp(p.szExeFile, L"officesim.exe") == 0; });
}

namespace {

bool IsGuard(DWORD pid) {
    HANDLE marker = OpenEventW(SYNCHRONIZE, FALSE, (std::wstring(kGuardEventPrefix) + std::to_wstring(pid)).c_str());
    if (marker) CloseHandle(marker);
    return marker != nullptr;
}

void End(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

}  // namespace

void EndServers() {
    // The servers first; a guard ended before it has cleaned up after its server would leave
    // the dead server's class registered, and every later activation of it failing or stuck.
    for (DWORD pid : RunningServers())
        if (!IsGuard(pid)) End(pid);
    WaitForGuards();
    for (DWORD pid : RunningServers()) End(pid);
}

bool EndServer(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return WaitForGuards();
    TerminateProcess(process, 1);
    bool gone = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return WaitForGuards() && gone;
}

namespace {

// A guard whose server is gone and that has not finished cleaning up. Guards are told
// apart from servers by the event each one holds (kGuardEventPrefix + its process id).
bool GuardAtWork() {
    for (DWORD pid : RunningServers()) {
        if (!IsGuard(pid)) continue;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        DWORD server = 0;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            if (entry.th32ProcessID == pid) server = entry.th32ParentProcessID;
        CloseHandle(snapshot);
        HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, server);
        bool serverGone = !parent || WaitForSingleObject(parent, 0) == WAIT_OBJECT_0;
        if (parent) CloseHandle(parent);
        if (serverGone) return true;
    }
    return false;
}

}  // namespace

bool WaitForGuards(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GuardAtWork()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

bool WaitNoServers(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!RunningServers().empty()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::wstring DefaultPrinter() {
    wchar_t name[512];
    DWORD size = 512;
    return GetDefaultPrinterW(name, &size) ? name : L"";
}

// Qualified: SetDefaultPrinter is a macro for SetDefaultPrinterW, so unqualified this would call itself.
bool SetDefaultPrinter(const std::wstring& name) { return ::SetDefaultPrinterW(name.c_str()) != FALSE; }

DefaultPrinterScope::DefaultPrinterScope(const std::wstring& name) : saved_(DefaultPrinter()) {
    SetDefaultPrinter(name);
}

DefaultPrinterScope::~DefaultPrinterScope() { SetDefaultPrinter(saved_); }

}  // namespace officesim
