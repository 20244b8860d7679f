// The words a person reads for what became of a document, chosen on the window's side.
#pragma once

#include <cstdint>
#include <string>

#include "automation/convert_class.h"

// The reason shown with a failed row; empty for Printed.
const wchar_t* OutcomeReason(PrintOutcome outcome);

// The box for a server of `kind` in `suite` that did not start: the suite's own line, and why
// when it was given up on while it started.
std::wstring ServerStartFailureText(DocumentKind kind, std::int32_t suite, PrintOutcome outcome);

// The words for a run's print settings, as the boxes, the report and the list's results show them.
const wchar_t* DuplexName(Duplex duplex);
const wchar_t* ColorName(ColorMode color);
// "全部", "3" or "2-5".
std::wstring PageRangeText(const PageRange& pages);
