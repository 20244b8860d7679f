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

// The printer's own DEVMODE with the copies set, so that the driver carries them.
std::vector<BYTE> DevModeWithCopies(const std::wstring& printer, int copies) {
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

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

}  // namespace

bool PrintDocumentPage(const std::wstring& path, const std::wstring& progId, int copies,
                       std::wstring& error) {
    std::wstring printer = DefaultPrinterName();
    if (printer.empty()) {
        error = L"There is no default printer.";
        return false;
    }
    std::vector<BYTE> devmode = DevModeWithCopies(printer, copies);
    std::unique_ptr<HDC__, DcDeleter> dc(CreateDCW(
        L"WINSPOOL", printer.c_str(), nullptr,
        devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devmode.data())));
    if (!dc) {
        error = LastErrorText(L"CreateDC");
        return false;
    }
    size_t slash = path.find_last_of(L"\\/");
    std::wstring title = slash == std::wstring::npos ? path : path.substr(slash + 1);
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = title.c_str();
    if (StartDocW(dc.get(), &doc) <= 0) {
        error = LastErrorText(L"StartDoc");
        return false;
    }
    bool ok = StartPage(dc.get()) > 0;
    if (ok) {
        PassThroughComment(dc.get(), L"%officesim " + progId + L" copies=" +
                                         std::to_wstring(copies) + L" path=" + path);
        // DEFAULT_CHARSET, or Chinese paths come out as empty boxes.
        HFONT font = CreateFontW(-MulDiv(12, GetDeviceCaps(dc.get(), LOGPIXELSY), 72), 0, 0, 0,
                                 FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"");
        HGDIOBJ old = SelectObject(dc.get(), font);
        int x = GetDeviceCaps(dc.get(), LOGPIXELSX), line = GetDeviceCaps(dc.get(), LOGPIXELSY) / 3;
        const std::wstring lines[] = {L"officesim " + progId, path,
                                      L"copies: " + std::to_wstring(copies)};
        int y = x;
        for (const std::wstring& text : lines) {
            TextOutW(dc.get(), x, y, text.c_str(), int(text.size()));
            y += line;
        }
        SelectObject(dc.get(), old);
        DeleteObject(font);
        ok = EndPage(dc.get()) > 0;
    }
    if (!ok || EndDoc(dc.get()) <= 0) {
        error = LastErrorText(L"printing the page");
        AbortDoc(dc.get());
        return false;
    }
    return true;
}

}  // namespace officesim
