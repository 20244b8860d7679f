// Properties a document carries inside itself that change how the server treats it:
// a line "officesim: password=secret fields macro links ..." in the file (README.md).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace officesim {

// A member whose call stops answering; with a dialog of no known kind, or none.
struct HangSpec {
    std::wstring member;  // "PrintOut" or "Document.PrintOut"
    bool dialog = false;
};

// "PrintOut" or "PrintOut:dialog".
HangSpec ParseHang(const std::wstring& text);

struct Traits {
    bool hasPassword = false;
    std::wstring password;       // needed to open the document
    bool hasWritePassword = false;
    std::wstring writePassword;  // needed to open it for writing
    bool fields = false;         // printing updates fields: the document is changed afterwards
    bool macro = false;          // an auto-run macro runs on Open
    bool links = false;          // external links: Excel asks whether to update them
    bool encoding = false;       // Word: text named as a document, asks for its encoding
    bool readOnlyRecommended = false;  // Excel: asks whether to open read-only
    bool notify = false;         // Excel: in use by another, asks how to open
    bool userDocument = false;   // opening it brings a document of the user's into this server
    bool userDocumentAtPrint = false;  // ... while it prints, after its Open was counted
    DWORD spoolMs = 0;           // background spooling takes this long (PowerPoint)
    DWORD printMs = 0;           // a long print that keeps working for this long
    int pages = 0;               // pages (a workbook's printed pages, slides); 0: not said
    std::vector<HangSpec> hangs;
};

// Parses the text after "officesim:". Unknown words are ignored.
Traits ParseTraits(const std::wstring& text);

// Reads the traits line from the first 64 KB of the file; no line, no traits.
Traits ReadTraits(const std::wstring& path);

}  // namespace officesim
