// What a start does about a run that was cut off before it could clean up after itself.
#pragma once

#include <optional>

#include "run/run_journal.h"

// Puts the user's default printer back where a cut-off run left its own in place
// (printer_record.h), and, when the start may ask the person something, returns the journal of
// the newest such run for the window to offer back. A start that may ask nothing (a run from
// the command line) leaves the journals for the next start with a window.
std::optional<run_journal::CutRun> RecoverAfterCut(bool mayAsk);
