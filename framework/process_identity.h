// A process told apart from every later one: ids are reused, an id with its start time is not.
#pragma once

#include <windows.h>

#include <string>

struct ProcessIdentity {
    DWORD id = 0;
    ULONGLONG started = 0;  // creation time, FILETIME units

    // "<id>-<start time>", the form records and file names carry.
    std::wstring Text() const;
    // The form Text gives, exactly (no leading zeros, nothing past the numbers' range); false
    // for anything else.
    static bool FromText(const std::wstring& text, ProcessIdentity& identity);
};

// This process's identity, read once.
const ProcessIdentity& ThisProcess();

// True when no process has that id, or the one that has it started at another time. A process
// that cannot be looked at may be the one recorded: it counts as still running.
bool ProcessGone(const ProcessIdentity& identity);
