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
    bool linger = false;        // stays alive after its client let go (a stuck add-in)
    bool userDocument = false;  // the first Open brings a document of the user's into the process
    bool startWindow = false;   // an activation window before the class object is registered
    std::wstring userCopyAtStart;  // the stand-in shell starts the user's copy of this during the start
    bool userCopyHidden = false;   // ... with no window (started hidden by another program)
    bool helper = false;           // the first Open starts a helper process
    DWORD helperWorkMs = 0;        // the helper works this long and PrintOut waits for it; 0: it idles
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
    bool userDocumentSeen = false;  // the user's document (a role behaviour) arrives once
};
AppState& State();

// The system default printer when the process started (PowerPoint keeps printing there).
const std::wstring& StartPrinter();

// The user's settings of a printer (its two-sided and colour settings among them) as they stood
// when the application took the printer: at its start for the start printer, when first selected
// for another. As Office does, a change made later is not seen by this process.
const std::vector<BYTE>& PrinterSettingsAtSelection(const std::wstring& printer);

// Every live object keeps the server running; the last one gone ends it.
void ObjectCreated();
void ObjectDestroyed();

// Quit: no new clients, and the process ends once the client lets go.
void QuitRequested();

// The application's hidden main window (Excel's Hwnd, PowerPoint's HWND).
HWND MainWindow();

// A document the user opened in this process: a visible window, counted with the documents,
// keeping the process alive until its user closes it.
void OpenUserDocument();
bool UserDocumentOpen();
// Quit or closing every document would throw the user's work away: logged, and the window goes.
void DiscardUserDocument(std::vector<std::wstring> fields);

// The helper process the role's Helper behaviour asks for: started once, at the first Open.
void StartHelper();
// Waits (without work of its own) until a working helper is done.
void WaitForHelper();

}  // namespace officesim
