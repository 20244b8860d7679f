// The one role this server process plays, its behaviours and its lifetime.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <string>
#include <vector>

#include "officesim/shared.h"
#include "officesim/traits.h"

namespace officesim {

// What a test asked this role to do, read from the registry at start-up.
struct Behaviour {
    std::wstring version = L"16.0";
    std::wstring failOpenMarker;  // Open fails for paths that contain it
    bool failPrintOut = false;
    HangSpec hangAt;       // "PrintOut" or "Document.PrintOut[:dialog]": the call never returns
    std::wstring crashAt;  // the process ends inside that call
    DWORD busyCalls = 0;   // incoming calls to reject before serving any
    std::vector<DISPID> unknownMembers;  // answered DISP_E_MEMBERNOTFOUND, as by an older server
};

Behaviour LoadBehaviour(const Role& role);

const Role& CurrentRole();
const Behaviour& CurrentBehaviour();

// The application's settings, one set per process whatever the number of clients:
// numbers by member name (AutomationSecurity, DisplayAlerts ...), and the members that
// documents opened so far asked to hang in.
struct AppState {
    std::map<std::wstring, long> numbers;
    std::vector<HangSpec> hangs;
};
AppState& State();

// The system default printer when the process started (PowerPoint keeps printing there).
const std::wstring& StartPrinter();

// Every live object keeps the server running; the last one gone ends it.
void ObjectCreated();
void ObjectDestroyed();

// Quit: no new clients, and the process ends once the client lets go.
void QuitRequested();

}  // namespace officesim
