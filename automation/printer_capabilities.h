// What a printer says it can do, as its driver reports it: the window offers only those choices,
// and a run from the command line refuses what the printer cannot do before anything prints.
#pragma once

#include <string>

#include "automation/convert_class.h"

struct PrinterCapabilities {
    bool duplex = false;  // prints on both sides (DC_DUPLEX)
    bool color = false;   // prints in colour (DC_COLORDEVICE)
};

// Asks the printer's driver; a printer that cannot be asked can do neither. May be slow (a network
// printer's driver): the window asks off its own thread.
PrinterCapabilities ReadPrinterCapabilities(const std::wstring& printer);

// True when a run with `options` asks nothing of the printer that it cannot do. One-sided and
// black-and-white are always possible.
bool CanPrintAsAsked(const PrinterCapabilities& capabilities, const PrintOptions& options);
