#include "run/printer_state.h"

#include <winspool.h>

#include <vector>

#include "common/texts.h"

std::optional<PrinterState> ReadPrinterState(const std::wstring& printer) {
    if (printer.empty()) return std::nullopt;
    HANDLE handle = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!::OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &handle, &access)) return std::nullopt;
    std::optional<PrinterState> state;
    DWORD needed = 0;
    ::GetPrinterW(handle, 2, nullptr, 0, &needed);
    if (needed >= sizeof(PRINTER_INFO_2W)) {
        std::vector<BYTE> buffer(needed);
        if (::GetPrinterW(handle, 2, buffer.data(), needed, &needed)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
            state = PrinterState{info->Status, info->Attributes};
        }
    }
    ::ClosePrinter(handle);
    return state;
}

std::wstring PrinterTroubles(const std::optional<PrinterState>& state) {
    if (!state) return {};
    struct Trouble {
        DWORD status;
        const wchar_t* text;
    };
    static constexpr Trouble kTroubles[] = {
        {PRINTER_STATUS_OFFLINE, texts::kPrinterOffline},
        {PRINTER_STATUS_PAUSED, texts::kPrinterPaused},
        {PRINTER_STATUS_ERROR, texts::kPrinterError},
        {PRINTER_STATUS_PAPER_OUT, texts::kPrinterPaperOut},
        {PRINTER_STATUS_PAPER_JAM, texts::kPrinterPaperJam},
        {PRINTER_STATUS_NOT_AVAILABLE, texts::kPrinterNotAccepting},
        {PRINTER_STATUS_PENDING_DELETION, texts::kPrinterNotAccepting},
        {PRINTER_STATUS_USER_INTERVENTION, texts::kPrinterNeedsAttention},
    };
    std::vector<const wchar_t*> found;
    auto add = [&found](const wchar_t* text) {
        for (const wchar_t* f : found)
            if (f == text) return;
        found.push_back(text);
    };
    // A printer set to work offline says so in its attributes, not its status.
    if (state->attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) add(texts::kPrinterOffline);
    for (const Trouble& t : kTroubles)
        if (state->status & t.status) add(t.text);
    std::wstring list;
    for (const wchar_t* text : found) list += (list.empty() ? L"" : L"、") + std::wstring(text);
    return list;
}

std::wstring PrinterQuestion(const std::wstring& printer, const std::optional<PrinterState>& state) {
    const std::wstring troubles = PrinterTroubles(state);
    if (troubles.empty()) return {};
    return texts::kPrinterQuestionStart + printer + texts::kPrinterQuestionState + troubles + texts::kPrinterQuestionEnd;
}

PrinterStateReader& ReadChosenPrinterState() {
    static PrinterStateReader read = &ReadPrinterState;
    return read;
}
