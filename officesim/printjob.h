// A real print job for one document: through the spooler, on the default printer.
#pragma once

#include <string>

namespace officesim {

// Prints one page naming the document on the printer that is the system default now,
// as a job titled with the document's file name and carrying the copies. On failure
// returns false and says why in error.
bool PrintDocumentPage(const std::wstring& path, const std::wstring& progId, int copies,
                       std::wstring& error);

}  // namespace officesim
