// The system default printer: Word and Excel print on it, so the chosen printer is made the
// default while their document prints and the user's own default is put back afterwards.
#pragma once

#include <string>

// The default printer's name as the print dialog's defaults give it; empty when there is none.
std::wstring ReadDefaultPrinter();

// Makes `name` the system default printer through the spooler.
void MakeDefaultPrinter(const std::wstring& name);

// The spooler's default printer now; empty when there is none.
std::wstring CurrentDefaultPrinter();

// Puts `saved` back as the default: a printer by name, or no default at all when empty. For a
// start that finds the record of a swap whose process was cut off.
void PutBackDefaultPrinter(const std::wstring& saved);

// Puts the user's default printer back if a printer call swapped it and has not restored it
// yet. Safe from any thread; for the UI thread when the program ends in mid-document.
void RestorePendingDefaultPrinter();

// The swap for one printer call: the constructor saves the user's default, records it in the
// registry (printer_record.h; the swap goes ahead when that cannot be written) and makes the
// chosen printer the default; Restore (or the destructor, on every other way out) puts the
// saved one back, once, and removes the record. When there was no default printer, none is put back: the chosen
// printer does not stay the default.
class DefaultPrinterSwap {
public:
    explicit DefaultPrinterSwap(const std::wstring& chosen);
    ~DefaultPrinterSwap() { Restore(); }
    DefaultPrinterSwap(const DefaultPrinterSwap&) = delete;
    DefaultPrinterSwap& operator=(const DefaultPrinterSwap&) = delete;

    void Restore();
    // The user's default printer; empty when there was none.
    const std::wstring& saved() const { return m_saved; }

private:
    std::wstring m_saved;
};
