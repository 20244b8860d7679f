// The life of the office servers of one run: each started for its document under the watchdog's
// eye, the person told once a run when one cannot start, the Microsoft servers' version gate,
// and every server process the run started kept track of until it has ended.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "automation/convert_class.h"
#include "automation/default_printer.h"
#include "automation/dispatch.h"
#include "automation/message_filter.h"
#include "automation/printer_settings.h"
#include "automation/server_process.h"
#include "automation/watchdog.h"

// What a run keeps from one document to the next. Made and used on the worker's thread.
class RunServers {
public:
    RunServers(PrintOptions options, StartFailureNotice notice, const std::atomic<bool>* stop);
    // No server process of the run outlives it, unless it may hold the user's work.
    ~RunServers();
    RunServers(const RunServers&) = delete;
    RunServers& operator=(const RunServers&) = delete;

    const PrintOptions& options() const { return m_options; }
    bool StopAsked() const { return m_stop && m_stop->load(); }

private:
    friend class DocumentServer;

    // A finished document's server: kept until it is seen to end.
    void Retire(StartedServer&& server);
    // The processes the run started that may still serve its next documents, or those of them
    // that hold the user's work.
    std::vector<DWORD> StartedIds(bool userHeldOnly) const;

    PrintOptions m_options;
    StartFailureNotice m_notice;
    const std::atomic<bool>* m_stop;
    Watchdog m_watchdog;
    ScopedBusyRetryFilter m_filter;  // cancels a call the watchdog gave up on
    ScopedCallListener m_listener;   // shows the watchdog every call of this thread
    std::map<std::wstring, PrintOutcome> m_unstartable;  // the person was told; not tried again
    std::set<std::wstring> m_ended;  // a server of these was ended from outside
    std::vector<StartedServer> m_finished;
};

// The server of one document: the chosen printer made the default, the suite's server started
// by ProgID and watched (its start too), and the version gate. On the way out it is let go and
// handed to the run to be kept track of.
class DocumentServer {
public:
    // `versionMember` is the Microsoft servers' Version, or 0 for no gate.
    DocumentServer(RunServers& run, DocumentKind kind, DISPID versionMember);
    ~DocumentServer();
    DocumentServer(const DocumentServer&) = delete;
    DocumentServer& operator=(const DocumentServer&) = delete;

    // Printed while the document can go ahead; otherwise why it cannot.
    PrintOutcome outcome() const { return m_outcome; }
    DispatchRef& app() { return m_app; }
    void RestorePrinter();
    // The watchdog gave up on this server: nothing more is asked of it.
    bool GaveUp() const;
    // Why a call of the document failed.
    PrintOutcome Classify(const AutomationError& error) const;

    // The process behind the application's main window (its Hwnd member), which may be one the
    // user had running.
    void NoteServingWindow(DISPID hwndMember);
    // After the run's own document opened: a server that holds more has the user's work in it
    // too, and is never ended from here on.
    void NoteDocumentsAfterOpen(int count);
    // Whether the server, holding `count` documents of which `ours` are the run's, may have all
    // its documents closed or be told to quit. A count that cannot be read (-1) says nothing
    // of the user's only when the server was the run's own and is gone.
    bool HoldsOnlyOurs(int count, int ours);

private:
    PrintOutcome GaveUpOutcome() const;

    RunServers& m_run;
    std::wstring m_progId;
    PrintOutcome m_outcome = PrintOutcome::Failed;
    std::optional<DefaultPrinterSwap> m_swap;  // restored last, on every way out
    std::optional<PrinterSettingsSwap> m_settings;  // restored before the default
    StartedServer m_server;
    DispatchRef m_app;
    bool m_watched = false;
};

// A call the program can do without: a failure here is absorbed so that the rest still runs
// (clean-up, and settings that a server may not know, as WPS may not).
template <typename F>
void Attempt(F&& call) {
    try {
        call();
    } catch (const AutomationError&) {
    }
}

// How many documents a server's collection holds; -1 when it cannot say (a server that died).
int DocumentCount(const DispatchRef& collection, DISPID countMember);
