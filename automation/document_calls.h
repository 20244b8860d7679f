// What each kind of office server is asked to print one document, and what it is told after.
#pragma once

#include <string>

#include "automation/convert_class.h"

class RunServers;

// Prints one document of `kind` with a server of its own (or the user's, borrowed), from the
// server's start to letting it go. Throws nothing the printers themselves raise.
PrintOutcome PrintDocument(RunServers& run, DocumentKind kind, const std::wstring& path);
