// The chosen printer's own report of its state, read before a run starts, and the question a
// printer that is not ready raises.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct PrinterState {
    DWORD status = 0;      // PRINTER_INFO_2 Status: PRINTER_STATUS_*
    DWORD attributes = 0;  // PRINTER_INFO_2 Attributes: PRINTER_ATTRIBUTE_*
};

// The spooler's PRINTER_INFO_2 of `printer`; nothing when the printer cannot be opened or read.
std::optional<PrinterState> ReadPrinterState(const std::wstring& printer);

// Every trouble the printer reports, joined by "、"; empty when it reports none (or no state).
std::wstring PrinterTroubles(const std::optional<PrinterState>& state);

// The question to ask before printing on `printer` in `state`, naming the printer and every
// trouble it reports; empty when there is nothing to ask (a ready printer, or no state).
std::wstring PrinterQuestion(const std::wstring& printer, const std::optional<PrinterState>& state);

// How a run reads the state; a test can put in a printer in any state.
using PrinterStateReader = std::optional<PrinterState> (*)(const std::wstring& printer);
PrinterStateReader& ReadChosenPrinterState();
