// What officesim and the tests that drive it must agree on: the roles with their
// ProgIDs and class ids, where behaviours and the call log live, and how a role is
// registered. Header-only so that the test support uses the very same definitions.
#pragma once

#include <windows.h>

#include <string>

namespace officesim {

enum class Family { Word, Excel, PowerPoint };

struct Role {
    const wchar_t* progId;
    const wchar_t* clsid;
    Family family;
};

inline constexpr Role kRoles[] = {
    {L"Word.Application", L"{3FFD8FD5-FC2C-4A00-8732-26654DF172DA}", Family::Word},
    {L"Excel.Application", L"{CD7DBB95-651B-466A-AF69-1AE027681702}", Family::Excel},
    {L"PowerPoint.Application", L"{84A6C462-A367-4330-B393-0FD05C5FE9BE}", Family::PowerPoint},
    {L"kWps.Application", L"{E3EBA423-5A88-4777-B8C1-5D0A16C1B918}", Family::Word},
    {L"ket.Application", L"{3593729B-B70C-49BD-89D7-F3698923D109}", Family::Excel},
    {L"kwpp.Application", L"{12630FA9-E5CB-45D1-BF50-9CEE11654D4A}", Family::PowerPoint},
};

// ProgIDs compare case-insensitively, as COM does.
// A shared server's guard process holds an event of this name + its own process id.
inline constexpr wchar_t kGuardEventPrefix[] = L"Local\\officesim-guard-";

// Microsoft PowerPoint is single-instance: every client is served by one process.
inline bool SharedProcess(const Role& role) { return _wcsicmp(role.progId, L"PowerPoint.Application") == 0; }

inline const Role* FindRole(const std::wstring& progId) {
    for (const Role& role : kRoles)
        if (_wcsicmp(role.progId, progId.c_str()) == 0) return &role;
    return nullptr;
}

// Behaviours: HKCU\<kSettingsKey>\<ProgID>, read when a server process starts.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Tavrolin\\officesim";
inline constexpr wchar_t kVersionValue[] = L"Version";            // REG_SZ, default "16.0"
inline constexpr wchar_t kFailOpenValue[] = L"FailOpen";          // REG_SZ marker in the path
inline constexpr wchar_t kFailPrintOutValue[] = L"FailPrintOut";  // REG_DWORD, non-zero fails
inline constexpr wchar_t kHangAtValue[] = L"HangAt";              // REG_SZ member name
inline constexpr wchar_t kCrashAtValue[] = L"CrashAt";            // REG_SZ member name
inline constexpr wchar_t kBusyCallsValue[] = L"BusyCalls";        // REG_DWORD, calls to reject
inline constexpr wchar_t kUnknownMembersValue[] = L"UnknownMembers";  // REG_SZ DISPIDs, "0x7ff 2049"
inline constexpr wchar_t kLingerValue[] = L"Linger";              // REG_DWORD, stays after its client
inline constexpr wchar_t kUserDocumentValue[] = L"UserDocument";  // REG_DWORD, a user's document arrives
inline constexpr wchar_t kStartWindowValue[] = L"StartWindow";    // REG_DWORD, a window before registering
inline constexpr wchar_t kUserCopyAtStartValue[] = L"UserCopyAtStart";  // REG_SZ ProgID the shell starts
inline constexpr wchar_t kUserCopyHiddenValue[] = L"UserCopyHidden";    // REG_DWORD, that copy shows no window
inline constexpr wchar_t kHelperValue[] = L"Helper";                    // REG_SZ "idle" or seconds of work
// A user's copy sets this event (when it exists) once it has registered its class, or would have.
inline constexpr wchar_t kUserCopyReadyEvent[] = L"Local\\officesim-user-ready";
// The stand-in shell ("officesim.exe /shell") starts the user's copy named in HKCU\<kSettingsKey>
// kShellStartValue when this event is set.
inline constexpr wchar_t kShellEvent[] = L"Local\\officesim-shell";
inline constexpr wchar_t kShellStartValue[] = L"ShellStart";
// The title of a user's document window starts with this.
inline constexpr wchar_t kUserDocumentTitle[] = L"用户文档";
// HKCU\<kSettingsKey> LogFile (REG_SZ) moves the call log.
inline constexpr wchar_t kLogFileValue[] = L"LogFile";

inline std::wstring ReadSetting(const std::wstring& subkey, const wchar_t* name,
                                const std::wstring& fallback = L"") {
    std::wstring key = std::wstring(kSettingsKey) + (subkey.empty() ? L"" : L"\\" + subkey);
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return fallback;
    return buffer;
}

inline DWORD ReadSettingNumber(const std::wstring& subkey, const wchar_t* name) {
    std::wstring key = std::wstring(kSettingsKey) + L"\\" + subkey;
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

inline std::wstring LogPath() {
    std::wstring custom = ReadSetting(L"", kLogFileValue);
    if (!custom.empty()) return custom;
    wchar_t data[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ProgramData", data, MAX_PATH);
    std::wstring base = (n > 0 && n < MAX_PATH) ? data : L"C:\\ProgramData";
    return base + L"\\officesim\\calls.log";
}

// HKCR\<ProgID>\CLSID, HKCR\CLSID\{...}\ProgID and \LocalServer32. The server command
// line names the role; COM appends -Embedding when it starts the server.
inline LSTATUS RegisterRole(const Role& role, const std::wstring& exePath) {
    auto set = [](const std::wstring& key, const std::wstring& value) {
        return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                               DWORD((value.size() + 1) * sizeof(wchar_t)));
    };
    std::wstring clsidKey = std::wstring(L"CLSID\\") + role.clsid;
    LSTATUS rc = set(std::wstring(role.progId) + L"\\CLSID", role.clsid);
    if (rc == ERROR_SUCCESS) rc = set(clsidKey, std::wstring(L"officesim ") + role.progId);
    if (rc == ERROR_SUCCESS) rc = set(clsidKey + L"\\ProgID", role.progId);
    if (rc == ERROR_SUCCESS)
        rc = set(clsidKey + L"\\LocalServer32", L"\"" + exePath + L"\" /role " + role.progId);
    return rc;
}

// The role registered through a launcher of another name that starts the real server and ends.
inline LSTATUS RegisterRoleThroughLauncher(const Role& role, const std::wstring& launcherPath) {
    LSTATUS rc = RegisterRole(role, launcherPath);
    if (rc != ERROR_SUCCESS) return rc;
    const std::wstring key = std::wstring(L"CLSID\\") + role.clsid + L"\\LocalServer32";
    const std::wstring value = L"\"" + launcherPath + L"\" /Automation /role " + role.progId;
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           DWORD((value.size() + 1) * sizeof(wchar_t)));
}

inline LSTATUS UnregisterRole(const Role& role) {
    LSTATUS a = RegDeleteTreeW(HKEY_CLASSES_ROOT, role.progId);
    LSTATUS b = RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + role.clsid).c_str());
    if (a == ERROR_FILE_NOT_FOUND) a = ERROR_SUCCESS;
    if (b == ERROR_FILE_NOT_FOUND) b = ERROR_SUCCESS;
    return a != ERROR_SUCCESS ? a : b;
}

}  // namespace officesim
