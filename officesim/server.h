// The one role this server process plays, its behaviours and its lifetime.
#pragma once

#include <windows.h>

#include <string>

#include "officesim/shared.h"

namespace officesim {

// What a test asked this role to do, read from the registry at start-up.
struct Behaviour {
    std::wstring version = L"16.0";
    std::wstring failOpenMarker;  // Open fails for paths that contain it
    bool failPrintOut = false;
    std::wstring hangAt;   // "PrintOut" or "Document.PrintOut": the call never returns
    std::wstring crashAt;  // the process ends inside that call
    DWORD busyCalls = 0;   // incoming calls to reject before serving any
};

Behaviour LoadBehaviour(const Role& role);

const Role& CurrentRole();
const Behaviour& CurrentBehaviour();

// Every live object keeps the server running; the last one gone ends it.
void ObjectCreated();
void ObjectDestroyed();

// Quit: no new clients, and the process ends once the client lets go.
void QuitRequested();

}  // namespace officesim
