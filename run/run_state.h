// What the UI thread hands the print worker at the start of a run. Written only before
// the worker starts and not again until the run is over, so it needs no lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The office suites a run can print with.
inline constexpr std::int32_t kSuiteMsOffice = 0;
inline constexpr std::int32_t kSuiteWps = 1;

struct PrintSettings {
    std::wstring printer;                 // as the spooler lists it; Word and Excel print there
    std::int32_t copies = 0;              // 1 to 300 per document
    std::int32_t suite = kSuiteMsOffice;  // kSuiteMsOffice or kSuiteWps
};

PrintSettings& CurrentPrintSettings();

// Full paths, entry i being row i of the document list when the run started.
std::vector<std::wstring>& RunList();
