// The installer that scripts/package.sh made from this build's tavrolin.exe (run by
// tests/package/run.sh after it has packed it): a silent install for the current user and one
// for all users, each read back through the shell and the registry, the installed program
// started, and a silent uninstall through the command Add/Remove Programs would run, after
// which nothing that the install added is left.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "common/texts.h"
#include "common/version.h"
#include "support/program.h"
#include "support/ui.h"

using testing_program::ChildProcess;

namespace {

#define WIDEN_(s) L##s
#define WIDEN(s) WIDEN_(s)

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrolin";

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    ::CoTaskMemFree(path);
    return result;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Bytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::wstring> FolderEntries(const std::wstring& dir) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.insert(name);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return names;
}

// What a shortcut starts, and the arguments it adds, as the shell reads them.
struct Shortcut {
    std::wstring target;
    std::wstring arguments;
};

Shortcut ReadShortcut(const std::wstring& lnk) {
    Shortcut shortcut;
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return shortcut;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&file)))) {
        wchar_t path[MAX_PATH] = {};
        wchar_t arguments[1024] = {};
        if (SUCCEEDED(file->Load(lnk.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)) &&
            SUCCEEDED(link->GetArguments(arguments, 1024))) {
            shortcut.target = path;
            shortcut.arguments = arguments;
        }
        file->Release();
    }
    link->Release();
    return shortcut;
}

bool KeyExists(HKEY root) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring RegString(HKEY root, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(root, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

DWORD RegNumber(HKEY root, const wchar_t* name) {
    DWORD value = 0xFFFFFFFF, size = sizeof(value);
    ::RegGetValueW(root, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// Runs a command line as the shell would, and waits for that process.
DWORD RunCommand(std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ::GetLastError();
    DWORD code = WAIT_TIMEOUT;
    if (::WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}

// The uninstaller runs from a copy of itself in the temporary folder (so that it can remove
// the original) and the command returns at once: wait for that copy too.
bool UninstallerCopyRunning() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool running = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !running; more = ::Process32NextW(snapshot, &entry))
        running = _wcsnicmp(entry.szExeFile, L"Un_", 3) == 0 || _wcsicmp(entry.szExeFile, L"Au_.exe") == 0;
    ::CloseHandle(snapshot);
    return running;
}

struct Mode {
    const wchar_t* name;
    const wchar_t* option;  // on the installer's and the uninstaller's command line
    HKEY root, otherRoot;
    std::wstring folder, startMenu, sendTo;

    std::wstring File(const wchar_t* name) const { return folder + L"\\" + name; }

    // Whatever an earlier, failed run of this test left in the prefix.
    void RemoveLeftovers() const {
        for (const wchar_t* name : {L"tavrolin.exe", L"LICENSE.txt", L"说明.txt", L"uninstall.exe"})
            ::DeleteFileW(File(name).c_str());
        ::RemoveDirectoryW(folder.c_str());
        ::DeleteFileW(startMenu.c_str());
        ::DeleteFileW(sendTo.c_str());
        ::RegDeleteTreeW(root, kUninstallKey);
    }
    bool LeftNothing() const {
        return !Exists(folder) && !Exists(startMenu) && !Exists(sendTo) && !KeyExists(root);
    }
};

Mode PerUser() {
    return {L"current user", L"", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
            KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Tavrolin", KnownFolder(FOLDERID_Programs) + L"\\Tavrolin.lnk",
            KnownFolder(FOLDERID_SendTo) + L"\\Tavrolin.lnk"};
}

Mode AllUsers() {
    return {L"all users", L" /ALLUSERS", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
            KnownFolder(FOLDERID_ProgramFiles) + L"\\Tavrolin", KnownFolder(FOLDERID_CommonPrograms) + L"\\Tavrolin.lnk",
            KnownFolder(FOLDERID_SendTo) + L"\\Tavrolin.lnk"};
}

std::wstring Installer() {
    return testing_program::BuildFolder() + L"\\package-dist\\Tavrolin-" WIDEN(TAVROLIN_VERSION_SHORT) L"-setup.exe";
}

void InstallCheckAndUninstall(const Mode& mode) {
    SCOPED_TRACE(mode.name);
    ASSERT_TRUE(Exists(Installer())) << "tests/package/run.sh packs it first";
    ASSERT_FALSE(mode.folder.empty() || mode.startMenu.empty() || mode.sendTo.empty());
    mode.RemoveLeftovers();
    ASSERT_TRUE(mode.LeftNothing());
    ASSERT_FALSE(KeyExists(mode.otherRoot)) << "another Tavrolin install in the prefix";

    ASSERT_EQ(RunCommand(L"\"" + Installer() + L"\" /S" + mode.option), 0u);

    // Exactly the program and its two texts, and the uninstaller: no test program or fixture.
    EXPECT_EQ(FolderEntries(mode.folder),
              (std::set<std::wstring>{L"LICENSE.txt", L"tavrolin.exe", L"uninstall.exe", L"说明.txt"}));
    EXPECT_EQ(Bytes(mode.File(L"tavrolin.exe")), Bytes(testing_program::ProgramPath()));
    const std::wstring program = mode.File(L"tavrolin.exe");
    EXPECT_EQ(ReadShortcut(mode.startMenu).target, program) << mode.startMenu;
    // Send To appends the chosen files to the shortcut's command line: nothing of its own before them.
    const Shortcut sendTo = ReadShortcut(mode.sendTo);
    EXPECT_EQ(sendTo.target, program) << mode.sendTo;
    EXPECT_EQ(sendTo.arguments, L"") << mode.sendTo;

    // The Add/Remove Programs entry, under the mode's own root only.
    EXPECT_FALSE(KeyExists(mode.otherRoot));
    const std::wstring uninstaller = L"\"" + mode.File(L"uninstall.exe") + L"\"";
    const std::pair<const wchar_t*, std::wstring> strings[] = {
        {L"DisplayName", L"Tavrolin " WIDEN(TAVROLIN_VERSION_SHORT)},
        {L"DisplayVersion", WIDEN(TAVROLIN_VERSION_FULL)},
        {L"Publisher", texts::kVendorName},
        {L"DisplayIcon", program + L",0"},
        {L"InstallLocation", mode.folder},
        {L"UninstallString", uninstaller + mode.option},
        {L"QuietUninstallString", uninstaller + L" /S" + mode.option},
    };
    for (const auto& [name, value] : strings) EXPECT_EQ(RegString(mode.root, name), value) << name;
    EXPECT_EQ(RegNumber(mode.root, L"NoModify"), 1u);
    EXPECT_EQ(RegNumber(mode.root, L"NoRepair"), 1u);
    const DWORD programKiB = static_cast<DWORD>(Bytes(program).size() / 1024);
    const DWORD estimated = RegNumber(mode.root, L"EstimatedSize");
    EXPECT_TRUE(estimated >= programKiB && estimated < 2 * programKiB + 1024) << estimated << " KiB";

    // The installed program starts and shows its main window.
    {
        ASSERT_EQ(::FindWindowW(nullptr, texts::kMainTitle), nullptr) << "a stray instance is running";
        ChildProcess started;
        ASSERT_TRUE(started.Start(program));
        HWND main = nullptr;
        EXPECT_TRUE(testing_ui::PumpUntil([&] { return (main = ::FindWindowW(nullptr, texts::kMainTitle)) != nullptr; },
                                          30000));
        DWORD owner = 0;
        if (main) ::GetWindowThreadProcessId(main, &owner);
        EXPECT_EQ(owner, started.Id());
    }  // ended here
    EXPECT_TRUE(testing_ui::PumpUntil([] { return ::FindWindowW(nullptr, texts::kMainTitle) == nullptr; }, 10000));

    // Uninstall the way Add/Remove Programs does it quietly.
    const std::wstring quiet = RegString(mode.root, L"QuietUninstallString");
    ASSERT_EQ(RunCommand(quiet), 0u) << quiet;
    EXPECT_TRUE(testing_ui::PumpUntil([&] { return mode.LeftNothing() && !UninstallerCopyRunning(); }, 60000))
        << "folder " << Exists(mode.folder) << ", Start menu " << Exists(mode.startMenu) << ", Send To "
        << Exists(mode.sendTo) << ", registry " << KeyExists(mode.root);
    mode.RemoveLeftovers();
}

}  // namespace

TEST(Installer, PerUserInstallIsCompleteAndUninstallsWithoutTrace) { InstallCheckAndUninstall(PerUser()); }

TEST(Installer, AllUsersInstallIsCompleteAndUninstallsWithoutTrace) { InstallCheckAndUninstall(AllUsers()); }
