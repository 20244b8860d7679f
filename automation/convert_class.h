// The three document printers the print worker calls, one office server per document.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

enum class DocumentKind { Word, Excel, PowerPoint };

// The office suites a run can print with.
inline constexpr std::int32_t kSuiteMsOffice = 0;
inline constexpr std::int32_t kSuiteWps = 1;

// How every document of a run is printed, as the window's boxes said when the run started.
struct PrintOptions {
    std::wstring printer;                 // as the spooler lists it
    std::int32_t copies = 1;              // 1 to 300 per document
    std::int32_t suite = kSuiteMsOffice;  // kSuiteMsOffice or kSuiteWps
};

// The ProgID of the server that prints `kind` in `suite`; null for a suite we do not know.
const wchar_t* ProgIdFor(DocumentKind kind, std::int32_t suite);

// The message for a server of `kind` in `suite` that cannot be started.
const wchar_t* ServerStartFailureText(DocumentKind kind, std::int32_t suite);

// The major version in an application's Version text: its leading decimal number the way
// wcstol reads it ("16.0" gives 16, text without leading digits 0).
long MajorVersion(const std::wstring& version);
// Versions before 12 do not take our calls the way we make them.
bool PassesVersionGate(const std::wstring& version);

// Tells the person that a server cannot start, with the text of ServerStartFailureText. The
// print worker's version asks the UI thread to show the box; this one shows it from the calling
// thread, owned by the main window.
using StartFailureNotice = std::function<void(const wchar_t* text)>;
void ShowStartFailureBox(const wchar_t* text);

// Prints documents one by one with the options of a run. Each printer starts its own server
// for the one document and returns whether the document was printed: true once PrintOut
// returned without error. Failures end in the start-failure notice or are absorbed; nothing
// is thrown. The calling thread must have initialised COM.
class ConvertClass {
public:
    // `stop`, when given, is looked at between the calls of a document: once it is set, the
    // document goes the way of a failed one (closed, the server told to quit) and is not printed.
    explicit ConvertClass(PrintOptions options, StartFailureNotice notice = ShowStartFailureBox,
                          const std::atomic<bool>* stop = nullptr);

    const PrintOptions& options() const { return m_options; }

    bool Print(DocumentKind kind, const std::wstring& path);
    bool PrintWord(const std::wstring& path);
    bool PrintExcel(const std::wstring& path);
    bool PrintPowerPoint(const std::wstring& path);

private:
    PrintOptions m_options;
    StartFailureNotice m_notice;
    const std::atomic<bool>* m_stop;
};
