#include "app/print_command.h"

#include <memory>
#include <unordered_set>

#include "app/console.h"
#include "automation/printer_settings.h"
#include "app/recovery.h"
#include "app/tavrolin_dlg.h"
#include "common/texts.h"
#include "doclist/doclist.h"
#include "doclist/document_list.h"
#include "doclist/list_file.h"
#include "framework/long_path.h"
#include "framework/scoped.h"
#include "framework/text.h"
#include "framework/whole_file.h"
#include "run/outcome_text.h"
#include "run/printer_state.h"
#include "run/run_lock.h"

namespace print_command {

std::optional<std::wstring> ChosenPrinter(const std::wstring& asked, const PrinterChoices& choices) {
    const std::wstring& wanted = asked.empty() ? choices.defaultPrinter : asked;
    if (wanted.empty()) return std::nullopt;
    for (const std::wstring& name : choices.names)
        if (text::EqualsNoCase(name, wanted)) return name;
    return std::nullopt;
}

std::vector<std::wstring> Accounting::Documents() const {
    std::vector<std::wstring> documents;
    for (const Row& row : rows)
        if (!row.failed) documents.push_back(row.path);
    return documents;
}

namespace {

// A folder whose listing the system refuses (no access), told apart from one that lists nothing.
bool FolderListable(const std::wstring& folder) {
    std::wstring pattern = folder;
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    FindHandle find(::FindFirstFileW(LongPathForm(pattern).c_str(), &entry));
    return find.valid() || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace

Accounting AccountFor(const std::vector<doclist::ListEntry>& names) {
    Accounting result;
    std::unordered_set<std::wstring> seen;
    auto addDocument = [&](std::wstring path) {
        if (seen.insert(path).second)
            result.rows.push_back({std::move(path)});
        else
            result.skipped.push_back({std::move(path), texts::kSkippedDuplicate});
    };
    for (const doclist::ListEntry& name : names) {
        if (name.refused) {
            result.skipped.push_back({name.path, name.refused});
            continue;
        }
        std::wstring path = FullPathName(name.path);
        if (path.empty()) {
            result.rows.push_back({name.path, texts::kReasonNameMissing});
            continue;
        }
        const DWORD attributes = ::GetFileAttributesW(LongPathForm(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            // Named like a document, it fails as the run would fail it; anything else may have
            // been meant as a folder.
            const wchar_t* why = doclist::IsDroppableName(path) ? texts::kReasonFileUnreadable : texts::kReasonNameMissing;
            result.rows.push_back({std::move(path), why});
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!FolderListable(path)) {
                result.rows.push_back({std::move(path), texts::kReasonFolderUnreadable});
                continue;
            }
            std::vector<std::wstring> documents;
            DocumentList::ScanFolder(path, documents, 1);
            if (documents.empty()) result.skipped.push_back({path, texts::kSkippedNoDocuments});
            // 添加目录 puts each on top in turn, so its rows read last first.
            for (auto it = documents.rbegin(); it != documents.rend(); ++it) addDocument(std::move(*it));
            continue;
        }
        if (doclist::IsDroppableName(path))
            addDocument(std::move(path));
        else
            result.skipped.push_back({std::move(path), texts::kSkippedNotADocument});
    }
    return result;
}

int ExitCodeOf(RunStart refused) {
    switch (refused) {
        case RunStart::NothingToPrint:
            return kNothingToPrint;
        case RunStart::AnotherRunActive:
            return kAnotherRunActive;
        case RunStart::PrinterTrouble:
        case RunStart::Declined:
            return kPrinterUnusable;
        case RunStart::Started:
        case RunStart::CannotStart:
            break;
    }
    return kSomeFailed;
}

int ExitCodeOf(const std::vector<ResultRecord>& records) {
    for (const ResultRecord& record : records)
        if (record.status != texts::kDone) return kSomeFailed;
    return kAllPrinted;
}

std::wstring Summary(const std::vector<ResultRecord>& records) {
    size_t printed = 0;
    for (const ResultRecord& record : records)
        if (record.status == texts::kDone) ++printed;
    return texts::kSummaryPrinted + std::to_wstring(printed) + texts::kSummaryFailed +
           std::to_wstring(records.size() - printed) + texts::kSummaryEnd;
}

namespace {

void WriteUsage(ParentConsole& console) {
    console.WriteLine(command_line::UsageText(std::wstring(AfxGetAppName()) + L".exe"));
}

// The rows of the record in the order the names were given: the run's rows (top to bottom, as
// the documents were handed over) with the failure rows in their places.
std::vector<ResultRecord> Records(const Accounting& accounting, const std::vector<ResultRecord>& run,
                                  const PrintOptions* options) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::vector<ResultRecord> records;
    size_t next = 0;
    for (const Accounting::Row& row : accounting.rows) {
        if (!row.failed) {
            if (next < run.size()) records.push_back(run[next++]);
            continue;
        }
        ResultRecord failed;
        failed.path = row.path;
        failed.status = texts::kFailed;
        failed.reason = row.failed;
        failed.ended = now;
        if (options) {
            failed.printer = options->printer;
            failed.copies = options->copies;
            failed.suite = options->suite == kSuiteWps ? texts::kSuiteNameWps : texts::kSuiteNameMsOffice;
            failed.duplex = DuplexName(options->duplex);
            failed.color = ColorName(options->color);
            failed.pages = PageRangeText(options->pages);
        }
        records.push_back(std::move(failed));
    }
    return records;
}

// The run's end on the console and in the report; the exit code, `code` unless the report the
// script asked for could not be written.
int Report(ParentConsole& console, const command_line::PrintRequest& request, const std::vector<ResultRecord>& records,
           bool ran, int code) {
    for (const ResultRecord& record : records)
        if (record.status != texts::kDone)
            console.WriteLine(texts::kFailedLine + record.path + (record.reason.empty() ? L"" : L"（" + record.reason + L"）"));
    console.WriteLine(ran ? Summary(records) : std::wstring(texts::kNothingToPrint));
    if (!request.report.empty()) {
        const std::vector<std::wstring> full = command_line::FullPaths({request.report});
        const std::wstring target = full.empty() ? request.report : full.front();
        if (const DWORD error = WriteWholeFile(target, ResultCsv(records))) {
            // The record the script asked for is missing: that is no success.
            console.WriteLine(texts::kReportUnwritable + target + L"（" + SystemErrorText(error) + L"）");
            if (code == kAllPrinted) code = kSomeFailed;
        }
    }
    return code;
}

}  // namespace

int Run(const std::vector<std::wstring>& arguments) {
    ParentConsole console;
    if (command_line::WantsUsage(arguments)) {
        WriteUsage(console);
        return kAllPrinted;
    }
    const command_line::ParsedPrint parsed = command_line::ParsePrint(arguments);
    std::vector<std::wstring> errors = parsed.errors;
    const command_line::PrintRequest& request = parsed.request;

    // The lists are read here, before anything else is touched; an unreadable one is a bad
    // argument. A list's entries stand where the list stood among the names.
    std::vector<doclist::ListEntry> names;
    for (const command_line::LaunchItem& item : request.items) {
        if (!item.list) {
            names.push_back({item.name});
            continue;
        }
        const std::wstring list = FullPathName(item.name);
        std::string bytes;
        if (const DWORD error = list.empty() ? ERROR_INVALID_NAME : ReadWholeFile(list, bytes)) {
            errors.push_back(texts::kArgListUnreadable + (list.empty() ? item.name : list) + L"（" +
                             SystemErrorText(error) + L"）");
            continue;
        }
        for (doclist::ListEntry& entry : doclist::ListFileEntries(bytes, doclist::FolderOfFile(list)))
            names.push_back(std::move(entry));
    }
    if (!errors.empty()) {
        for (const std::wstring& error : errors) console.WriteLine(error);
        WriteUsage(console);
        return kBadArguments;
    }

    // Held until the process ends, whatever ends it: no run of the window or of another
    // "/print" can start meanwhile, and this one touches nothing while another runs.
    RunLock lock;
    if (!lock.TryAcquire()) {
        console.WriteLine(texts::kAnotherRunActive);
        return kAnotherRunActive;
    }
    // A default printer left by a run that was cut off is put back before this run reads it; the
    // list of such a run waits for the next start with a window.
    RecoverAfterCut(false);

    const Accounting accounting = AccountFor(names);
    for (const Accounting::Skipped& skipped : accounting.skipped)
        console.WriteLine(texts::kSkippedLine + skipped.path + L"（" + skipped.why + L"）");
    const std::vector<std::wstring> documents = accounting.Documents();
    if (documents.empty()) {
        // A name that could not be printed is in the record, though no run started.
        if (accounting.rows.empty()) {
            console.WriteLine(texts::kNothingToPrint);
            return kNothingToPrint;
        }
        return Report(console, request, Records(accounting, {}, nullptr), false, kNothingToPrint);
    }
    const std::optional<std::wstring> printer = ChosenPrinter(request.printer, ReadPrinterChoices());
    if (!printer) {
        console.WriteLine(request.printer.empty() ? std::wstring(texts::kNoDefaultPrinter)
                                                  : texts::kPrinterNotFound + request.printer);
        return kPrinterUnusable;
    }
    PrintOptions options;
    options.printer = *printer;
    options.copies = request.copies;
    options.suite = request.suite;
    options.duplex = request.duplex;
    options.color = request.color;
    options.pages = request.pages;
    // What the printer cannot do is refused before anything prints, never printed otherwise.
    if (!options.KeepsPrinterSettings()) {
        const PrinterCapabilities can = ReadPrinterCapabilities(options.printer);
        if (!CanPrintAsAsked(can, options)) {
            const bool duplex = options.duplex == Duplex::LongEdge || options.duplex == Duplex::ShortEdge;
            if (!can.known)
                console.WriteLine(texts::kPrinterQuestionStart + options.printer + L"”：" +
                                  texts::kReasonPrinterSettingsUnavailable);
            else
                console.WriteLine(texts::kPrinterQuestionStart + options.printer +
                                  (duplex && !can.duplex ? texts::kPrinterCannotDuplex : texts::kPrinterCannotColor));
            return kPrinterUnusable;
        }
    }

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    auto dlg = std::make_unique<CTavrolinDlg>();
    dlg->BeginReadingPrinters();
    // Each name goes on top of the list in turn, and the worker prints top to bottom: handed over
    // last first, the documents print in the order given.
    dlg->AddOnStart({documents.rbegin(), documents.rend()});
    dlg->PrintUnattended(options);
    AfxGetApp()->m_pMainWnd = dlg.get();
    const INT_PTR shown = dlg->DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;

    if (dlg->UnattendedStart() != RunStart::Started) {
        if (dlg->UnattendedStart() == RunStart::PrinterTrouble)
            console.WriteLine(texts::kPrinterQuestionStart + options.printer + texts::kPrinterQuestionState +
                              PrinterTroubles(ReadChosenPrinterState()(options.printer)) + L"。");
        else if (dlg->UnattendedStart() == RunStart::AnotherRunActive)
            console.WriteLine(texts::kAnotherRunActive);
        else if (dlg->UnattendedStart() == RunStart::NothingToPrint)
            console.WriteLine(texts::kNothingToPrint);
        else
            console.WriteLine(texts::kCannotStartRun);
        return ExitCodeOf(dlg->UnattendedStart());
    }
    // A window that never came up ran nothing: no record is no success.
    if (shown == -1 || dlg->UnattendedRecords().empty()) {
        console.WriteLine(texts::kNoWindow);
        return kPrinterUnusable;
    }
    const std::vector<ResultRecord> records = Records(accounting, dlg->UnattendedRecords(), &options);
    return Report(console, request, records, true, ExitCodeOf(records));
}

}  // namespace print_command
