// The system default printer: Word and Excel print on it, so the chosen printer is made the
// default while their document prints and the user's own default is put back afterwards.
#pragma once

#include <string>

// The default printer's name as the print dialog's defaults give it; empty when there is none.
std::wstring ReadDefaultPrinter();

// Makes `name` the system default printer through the spooler.
void MakeDefaultPrinter(const std::wstring& name);

// Puts the user's default printer back if a printer call swapped it and has not restored it
// yet. Safe from any thread; for the UI thread when the program ends in mid-document.
void RestorePendingDefaultPrinter();

// The swap for one printer call: the constructor saves the user's default and makes the
// chosen printer the default; Restore (or the destructor, on every other way out) puts the
// saved one back, once. When there was no default printer, none is put back: the chosen
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
