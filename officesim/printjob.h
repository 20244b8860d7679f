// A real print job for one document: through the spooler, on the default printer or a named one.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace officesim {

struct PrintRequest {
    std::wstring path, progId;
    std::wstring printer;   // empty: the system default printer now
    int copies = 1;
    std::vector<BYTE> settings;  // the user's settings of the printer to print with; empty: the driver's
    int pages = 1;          // the document's
    int from = 1, to = 0;   // the pages printed, clamped to the document's; to 0: the last
    DWORD durationMs = 0;   // the printed pages are spread over this time
    bool busy = false;      // the CPU keeps working between pages, as a real renderer does
    HANDLE cancel = nullptr;  // set: the job is aborted and nothing reaches the printer
    // Called before each page and while waiting between pages; false cancels the job.
    std::function<bool(int page, int pages)> onPage;
};

enum class PrintResult { Printed, Cancelled, Failed };

// The user's settings of a printer (GetPrinterW level 9); empty when they cannot be read.
std::vector<BYTE> UserPrinterSettings(const std::wstring& printer);

// On failure says why in error. A range that holds none of the document's pages prints
// nothing: no job, and Printed.
PrintResult PrintDocument(const PrintRequest& request, std::wstring& error);

// One page naming the document on the printer that is the system default now, as a job
// titled with the document's file name and carrying the copies.
bool PrintDocumentPage(const std::wstring& path, const std::wstring& progId, int copies,
                       std::wstring& error);

}  // namespace officesim
