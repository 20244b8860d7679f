// The three document printers the print worker calls, one office server per document.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "doclist/document_kind.h"

// The office suites a run can print with.
inline constexpr std::int32_t kSuiteMsOffice = 0;
inline constexpr std::int32_t kSuiteWps = 1;

// Two-sided printing for a run. PrinterDefault leaves the printer's own setting alone; the others
// are set in the printer's settings for the run alone (office applications read them at their start).
enum class Duplex : std::int32_t { PrinterDefault = 0, OneSided = 1, LongEdge = 2, ShortEdge = 3 };
// Colour for a run, the same way.
enum class ColorMode : std::int32_t { PrinterDefault = 0, Color = 1, Mono = 2 };

// Which pages of each document are printed (slides of a presentation, printed pages of a
// workbook): `from` to `to`, both counted from 1; from 0 means every page.
struct PageRange {
    std::int32_t from = 0;
    std::int32_t to = 0;
    bool All() const { return from == 0; }
    bool operator==(const PageRange&) const = default;
};
inline constexpr std::int32_t kMaxPage = 9999;

// How every document of a run is printed, as the window's boxes said when the run started.
struct PrintOptions {
    PrintOptions() = default;
    // The three settings every run has; the others at the printer's default and every page.
    PrintOptions(std::wstring printerName, std::int32_t copiesEach = 1, std::int32_t suiteUsed = kSuiteMsOffice)
        : printer(std::move(printerName)), copies(copiesEach), suite(suiteUsed) {}

    std::wstring printer;                 // as the spooler lists it
    std::int32_t copies = 1;              // 1 to 300 per document
    std::int32_t suite = kSuiteMsOffice;  // kSuiteMsOffice or kSuiteWps
    Duplex duplex = Duplex::PrinterDefault;
    ColorMode color = ColorMode::PrinterDefault;
    PageRange pages{};                    // every page unless set ({}: no missing-initializer warning)
    // True when the run touches none of the printer's settings.
    bool KeepsPrinterSettings() const { return duplex == Duplex::PrinterDefault && color == ColorMode::PrinterDefault; }
};

// How one document ended. Everything but Printed shows as "失败" with the reason beside it.
enum class PrintOutcome : int {
    Printed = 0,
    NotADocument,        // not a Word, Excel or PowerPoint file name
    FileUnreadable,      // missing, or cannot be opened for reading
    PrinterUnavailable,  // the chosen printer is not there (any more)
    ServerCannotStart,
    VersionTooOld,
    NeedsPassword,
    ServerNotAnswering,  // the watchdog gave up on the server and ended it
    ServerNotAnsweringInUse,  // ... and left it running: it holds the user's work
    ServerStuckAtStart,  // showed a window and did nothing while it started; ended
    Stopped,             // the run was stopped during the document
    Failed,              // the server refused the document for another reason
    PrinterSettingsUnavailable,  // the printer's two-sided or colour settings could not be set
};
// The ProgID of the server that prints `kind` in `suite`; null for a suite we do not know.
const wchar_t* ProgIdFor(DocumentKind kind, std::int32_t suite);

// The major version in an application's Version text: its leading decimal number the way
// wcstol reads it ("16.0" gives 16, text without leading digits 0).
long MajorVersion(const std::wstring& version);
// Versions before 12 do not take our calls the way we make them.
bool PassesVersionGate(const std::wstring& version);

// Asked to tell the person that the server of `kind` in `suite` did not start (`outcome` says
// why: ServerCannotStart or ServerStuckAtStart); once a run per server. The print worker hands
// this to the UI thread, which chooses the words.
using StartFailureNotice = std::function<void(DocumentKind kind, std::int32_t suite, PrintOutcome outcome)>;

// Given as the password (and write password) of every Word document and workbook: one that has
// a password then fails to open instead of asking a person for it; one without opens as usual.
inline constexpr const wchar_t* kUnusedPassword = L"\u2400tavrolin\u2400unused\u2400";

class RunServers;

// Prints the documents of one run one by one. Each document gets a server of its own (one the
// user already had open is shared, never ended), started after the chosen printer was made the
// default, and is printed with the arguments that keep a real office application from waiting
// for a person. A server that holds a call (or its start) without doing anything is given up on
// by a watchdog, and no server process the run started outlives it, unless it holds the user's
// work: a server that holds a document the run did not open is never told to quit, never has
// all its documents closed, and is never ended. Failures end in the start-failure notice (once
// per server per run) or are absorbed; nothing is thrown.
// Made and used on one thread, whose COM apartment must be initialised.
class ConvertClass {
public:
    // `stop`, when given, is looked at between the calls of a document: once it is set, the
    // document goes the way of a failed one (closed, the server told to quit) and is not printed,
    // and a call still going after a short grace is cancelled.
    ConvertClass(PrintOptions options, StartFailureNotice notice, const std::atomic<bool>* stop = nullptr);
    // Waits briefly for the servers of the run to end, and ends those that did not.
    ~ConvertClass();
    ConvertClass(const ConvertClass&) = delete;
    ConvertClass& operator=(const ConvertClass&) = delete;

    PrintOutcome Print(DocumentKind kind, const std::wstring& path);

private:
    std::unique_ptr<RunServers> m_run;
};
