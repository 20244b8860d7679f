// Sets officesim up from inside a test: behaviours per role, the call log, which
// ProgIDs are registered, its processes, and the system default printer.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include <functional>
#include <string>
#include <vector>

#include "officesim/shared.h"  // the roles (kRoles) and LogPath()

namespace officesim {

// Behaviours of one role, taken by each server process of that role when it starts.
struct Behaviour {
    std::wstring version;         // Version text; empty keeps "16.0"
    std::wstring failOpenMarker;  // Open fails for paths containing it
    bool failPrintOut = false;    // PrintOut fails
    std::wstring hangAt;          // member ("PrintOut" or "Document.PrintOut", ":dialog" for a window) that never returns
    std::wstring crashAt;         // member inside which the server process ends
    DWORD busyCalls = 0;          // first calls rejected as busy
    std::vector<DISPID> unknownMembers;  // answered DISP_E_MEMBERNOTFOUND, as by a server that lacks them
    bool linger = false;           // the process stays after its client let go (a stuck add-in)
    bool userDocument = false;     // the first Open brings a document of the user's into the process
    bool startWindow = false;      // an activation window before the server takes its first client
    std::wstring userCopyAtStart;  // the stand-in shell starts the user's copy of this ProgID during the start
    bool userCopyHidden = false;   // ... with no window, as another program starts it
    std::wstring helper;           // the first Open starts a helper: "idle", or the seconds it works (PrintOut waits)
};

void SetBehaviour(const std::wstring& progId, const Behaviour& behaviour);
void ResetBehaviours();  // every role back to normal

// Deletes the call log; servers start a new one with their next call.
void ClearLog();

// The officesim.exe next to the tests in the build tree.
std::wstring ExePath();

// Register or unregister one ProgID (the class and its ProgID keys) in this prefix.
bool Register(const std::wstring& progId);
bool Unregister(const std::wstring& progId);
bool RegisterAll();
// Registers the ProgID through officelaunch.exe, a launcher of another name that starts the real
// server and ends; Register(progId) undoes it.
bool RegisterThroughLauncher(const std::wstring& progId);

// officesim processes now running, and ending them (by process id) when a test
// left one behind or asked it to hang.
std::vector<DWORD> RunningServers();
// The ids of the running processes for which `wanted` holds.
std::vector<DWORD> ProcessIds(const std::function<bool(const PROCESSENTRY32W&)>& wanted);
void EndServers();
// Ends one server process (a hung one, or one waiting in a prompt) and waits until it is gone
// and its guard (below) has cleaned up after it.
bool EndServer(DWORD pid);
// A shared PowerPoint server has a guard process ("officesim.exe /guard") that restarts Wine's
// RpcSs when the server is ended from outside, or the next activation would fail. Waits until
// the guards of servers that are gone have done so (well under a second); false after timeoutMs.
// A test that lets the program end a server should call this before the next activation.
bool WaitForGuards(DWORD timeoutMs = 10000);
// Waits until no officesim process runs; false after timeoutMs.
bool WaitNoServers(DWORD timeoutMs);

std::wstring DefaultPrinter();
bool SetDefaultPrinter(const std::wstring& name);

// Makes a printer the default for a test's lifetime and puts the old one back.
class DefaultPrinterScope {
public:
    explicit DefaultPrinterScope(const std::wstring& name);
    ~DefaultPrinterScope();
    DefaultPrinterScope(const DefaultPrinterScope&) = delete;
    DefaultPrinterScope& operator=(const DefaultPrinterScope&) = delete;

private:
    std::wstring saved_;
};

}  // namespace officesim
