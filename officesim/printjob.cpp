#include "officesim/printjob.h"

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <string>
#include <vector>

#include "officesim/calllog.h"

namespace officesim {

namespace {

std::wstring LastErrorText(const wchar_t* what) {
    DWORD code = GetLastError();
    return std::wstring(what) + L" failed, error " + std::to_wstring(code);
}

// The printer's own DEVMODE with the user's settings merged in and the copies set, so that the
// driver carries them.
std::vector<BYTE> DevModeWithCopies(const std::wstring& printer, int copies, const std::vector<BYTE>& settings) {
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &handle, nullptr)) return {};
    std::vector<BYTE> buffer;
    LONG size = DocumentPropertiesW(nullptr, handle, const_cast<wchar_t*>(printer.c_str()), nullptr,
                                    nullptr, 0);
    if (size > 0) {
        buffer.resize(size);
        auto* dm = reinterpret_cast<DEVMODEW*>(buffer.data());
        if (DocumentPropertiesW(nullptr, handle, const_cast<wchar_t*>(printer.c_str()), dm, nullptr,
                                DM_OUT_BUFFER) == IDOK) {
            if (!settings.empty()) {
                std::vector<BYTE> user = settings;
                DocumentPropertiesW(nullptr, handle, const_cast<wchar_t*>(printer.c_str()), dm,
                                    reinterpret_cast<DEVMODEW*>(user.data()), DM_IN_BUFFER | DM_OUT_BUFFER);
            }
            dm->dmFields |= DM_COPIES;
            dm->dmCopies = static_cast<short>(copies);
            DocumentPropertiesW(nullptr, handle, const_cast<wchar_t*>(printer.c_str()), dm, dm,
                                DM_IN_BUFFER | DM_OUT_BUFFER);
        } else {
            buffer.clear();
        }
    }
    ClosePrinter(handle);
    return buffer;
}

// A PostScript comment with the path, readable in the spooled data whatever way the
// driver draws the text.
void PassThroughComment(HDC dc, const std::wstring& text) {
    int escape = POSTSCRIPT_PASSTHROUGH;
    if (ExtEscape(dc, QUERYESCSUPPORT, sizeof(escape), reinterpret_cast<LPCSTR>(&escape), 0, nullptr) <= 0) {
        escape = PASSTHROUGH;
        if (ExtEscape(dc, QUERYESCSUPPORT, sizeof(escape), reinterpret_cast<LPCSTR>(&escape), 0, nullptr) <= 0)
            return;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string data(2 + n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), data.data() + 2, n, nullptr, nullptr);
    data += "\n";
    // The escape data starts with its length as a 16-bit word.
    unsigned short length = static_cast<unsigned short>(data.size() - 2);
    memcpy(data.data(), &length, 2);
    ExtEscape(dc, escape, int(data.size()), data.data(), 0, nullptr);
}

// The two-sided and colour settings the job was made with, for the tests to read: wineps puts
// the two-sided setting in the PostScript, but nothing of the colour setting. Once a job, and not
// in the form of the page comment, which tests count.
void NoteSettings(HDC dc, const std::vector<BYTE>& devmode) {
    if (devmode.size() < sizeof(DEVMODEW)) return;
    const auto* dm = reinterpret_cast<const DEVMODEW*>(devmode.data());
    PassThroughComment(dc, L"% officesim devmode duplex=" + std::to_wstring((dm->dmFields & DM_DUPLEX) ? dm->dmDuplex : 0) +
                               L" color=" + std::to_wstring((dm->dmFields & DM_COLOR) ? dm->dmColor : 0));
}

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};


void DrawPage(HDC dc, const PrintRequest& request, int page) {
    // The document's page number, so that a reader of the job can tell which pages it holds.
    PassThroughComment(dc, L"%officesim " + request.progId + L" copies=" + std::to_wstring(request.copies) +
                               L" page=" + std::to_wstring(page) + L" path=" + request.path);
    // DEFAULT_CHARSET, or Chinese paths come out as empty boxes.
    HFONT font = CreateFontW(-MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                             DEFAULT_CHARSET, 0, 0, 0, 0, L"");
    HGDIOBJ old = SelectObject(dc, font);
    int x = GetDeviceCaps(dc, LOGPIXELSX), line = GetDeviceCaps(dc, LOGPIXELSY) / 3;
    std::wstring lines[] = {L"officesim " + request.progId, request.path,
                            L"copies: " + std::to_wstring(request.copies), L""};
    if (request.pages > 1)
        lines[3] = L"page " + std::to_wstring(page) + L" of " + std::to_wstring(request.pages);
    int y = x;
    for (const std::wstring& text : lines) {
        TextOutW(dc, x, y, text.c_str(), int(text.size()));
        y += line;
    }
    SelectObject(dc, old);
    DeleteObject(font);
}

// Waits until the deadline; false when the job was cancelled meanwhile.
bool WaitUntil(const PrintRequest& request, ULONGLONG deadline, int page) {
    for (;;) {
        if (request.onPage && !request.onPage(page, request.pages)) return false;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return true;
        DWORD left = DWORD(deadline - now);
        if (request.busy) {
            // Work for a while, then let the window breathe.
            ULONGLONG until = now + (left < 20 ? left : 20);
            volatile unsigned long long sink = 0;
            while (GetTickCount64() < until) sink = sink + 1;
            left = left > 20 ? (left - 20 < 20 ? left - 20 : 20) : 0;
        } else if (left > 50) {
            left = 50;
        }
        if (request.cancel) {
            if (WaitForSingleObject(request.cancel, left) == WAIT_OBJECT_0) return false;
        } else if (left) {
            Sleep(left);
        }
    }
}

}  // namespace

std::vector<BYTE> UserPrinterSettings(const std::wstring& printer) {
    HANDLE handle = nullptr;
    if (printer.empty() || !OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &handle, nullptr)) return {};
    std::vector<BYTE> settings;
    DWORD needed = 0;
    GetPrinterW(handle, 9, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed >= sizeof(PRINTER_INFO_9W) && GetPrinterW(handle, 9, buffer.data(), needed, &needed)) {
        if (const DEVMODEW* dm = reinterpret_cast<const PRINTER_INFO_9W*>(buffer.data())->pDevMode) {
            const BYTE* first = reinterpret_cast<const BYTE*>(dm);
            settings.assign(first, first + dm->dmSize + dm->dmDriverExtra);
        }
    }
    ClosePrinter(handle);
    return settings;
}

PrintResult PrintDocument(const PrintRequest& request, std::wstring& error) {
    const int pages = request.pages < 1 ? 1 : request.pages;
    const int first = request.from < 1 ? 1 : request.from;
    const int last = request.to < 1 || request.to > pages ? pages : request.to;
    std::wstring printer = request.printer.empty() ? DefaultPrinterName() : request.printer;
    if (printer.empty()) {
        error = L"There is no default printer.";
        return PrintResult::Failed;
    }
    if (first > last) return PrintResult::Printed;
    std::vector<BYTE> devmode = DevModeWithCopies(printer, request.copies, request.settings);
    std::unique_ptr<HDC__, DcDeleter> dc(CreateDCW(
        L"WINSPOOL", printer.c_str(), nullptr,
        devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devmode.data())));
    if (!dc) {
        error = LastErrorText(L"CreateDC");
        return PrintResult::Failed;
    }
    const std::wstring& path = request.path;
    size_t slash = path.find_last_of(L"\\/");
    std::wstring title = slash == std::wstring::npos ? path : path.substr(slash + 1);
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = title.c_str();
    if (StartDocW(dc.get(), &doc) <= 0) {
        error = LastErrorText(L"StartDoc");
        return PrintResult::Failed;
    }
    const ULONGLONG start = GetTickCount64();
    const int printed = last - first + 1;
    for (int page = first; page <= last; ++page) {
        if (request.onPage && !request.onPage(page, pages)) {
            AbortDoc(dc.get());
            return PrintResult::Cancelled;
        }
        if (StartPage(dc.get()) <= 0) {
            error = LastErrorText(L"StartPage");
            AbortDoc(dc.get());
            return PrintResult::Failed;
        }
        DrawPage(dc.get(), request, page);
        if (page == 1) NoteSettings(dc.get(), devmode);
        if (EndPage(dc.get()) <= 0) {
            error = LastErrorText(L"EndPage");
            AbortDoc(dc.get());
            return PrintResult::Failed;
        }
        const ULONGLONG done = page - first + 1;
        if (!WaitUntil(request, start + ULONGLONG(request.durationMs) * done / printed, page)) {
            AbortDoc(dc.get());
            return PrintResult::Cancelled;
        }
    }
    if (EndDoc(dc.get()) <= 0) {
        error = LastErrorText(L"EndDoc");
        AbortDoc(dc.get());
        return PrintResult::Failed;
    }
    return PrintResult::Printed;
}

bool PrintDocumentPage(const std::wstring& path, const std::wstring& progId, int copies,
                       std::wstring& error) {
    PrintRequest request;
    request.path = path;
    request.progId = progId;
    request.copies = copies;
    return PrintDocument(request, error) == PrintResult::Printed;
}

}  // namespace officesim
