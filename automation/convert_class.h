// The three document printers the print worker calls, one office server per document.
#pragma once

#include <cstdint>
#include <string>

#include "doclist/document_kind.h"
#include "framework/framework.h"

// The ProgID of the server that prints `kind` in `suite`; null for a suite we do not know.
const wchar_t* ProgIdFor(DocumentKind kind, std::int32_t suite);

// The message for a server of `kind` in `suite` that cannot be started.
const wchar_t* ServerStartFailureText(DocumentKind kind, std::int32_t suite);

// The major version in an application's Version text: its leading decimal number the way
// wcstol reads it ("16.0" gives 16, text without leading digits 0).
long MajorVersion(const std::wstring& version);
// Versions before 12 do not take our calls the way we make them.
bool PassesVersionGate(const std::wstring& version);

// Never created as a window; it derives from CWnd only to sit in the framework like the
// program's other classes. Each printer starts its own server for the one document, reads
// the suite (and, for Word and Excel, the printer) from the print settings, and returns
// whether the document was printed: true once PrintOut returned without error. Failures
// end in the server-start message box or are absorbed; nothing is thrown.
class ConvertClass : public CWnd {
public:
    static constexpr const wchar_t* kRuntimeClassName = L"ConvertClass";

    const MessageMap* GetMessageMap() const override;

    bool PrintWord(const std::wstring& path, int copies);
    bool PrintExcel(const std::wstring& path, int copies);
    bool PrintPowerPoint(const std::wstring& path, int copies);
};
