// officelaunch: registered in place of the server, as some suites register a launcher of
// another name. "officelaunch.exe /Automation /role <ProgID>" starts
// "officesim.exe /role <ProgID> -Embedding" beside it and ends soon after that server is up.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    std::wstring progId;
    for (int i = 1; i + 1 < argc; ++i)
        if (_wcsicmp(argv[i], L"/role") == 0) progId = argv[i + 1];
    LocalFree(argv);
    if (progId.empty()) return 2;

    wchar_t self[MAX_PATH];
    std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"officesim.exe";
    std::wstring command = L"\"" + path + L"\" /role " + progId + L" -Embedding";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi))
        return 1;
    // The server sets this once its class is registered.
    const std::wstring name = L"Local\\officesim-ready-" + std::to_wstring(pi.dwProcessId);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ResumeThread(pi.hThread);
    HANDLE waits[] = {ready, pi.hProcess};
    // Wine's activation looks for the class once a second and fails when the process it started
    // ends in between: stay that long after the server is up.
    if (ready && WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0) Sleep(1500);
    if (ready) CloseHandle(ready);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
