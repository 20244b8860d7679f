#include "app/print_command.h"

#include <memory>

#include "app/console.h"
#include "app/recovery.h"
#include "app/tavrolin_dlg.h"
#include "common/texts.h"
#include "doclist/doclist.h"
#include "doclist/document_list.h"
#include "doclist/list_file.h"
#include "framework/long_path.h"
#include "framework/text.h"
#include "framework/whole_file.h"
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

std::vector<std::wstring> DocumentsOf(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> documents;
    for (const std::wstring& path : command_line::FullPaths(names)) {
        const DWORD attributes = ::GetFileAttributesW(LongPathForm(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            DocumentList::ScanFolder(path, documents, 1);
        else if (doclist::IsDroppableName(path))
            documents.push_back(path);
    }
    return documents;
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

// The run's end on the console and in the report; the exit code.
int Report(ParentConsole& console, const command_line::PrintRequest& request, const std::vector<ResultRecord>& records) {
    for (const ResultRecord& record : records)
        if (record.status != texts::kDone)
            console.WriteLine(texts::kFailedLine + record.path + (record.reason.empty() ? L"" : L"（" + record.reason + L"）"));
    console.WriteLine(Summary(records));
    int code = ExitCodeOf(records);
    if (!request.report.empty()) {
        const std::vector<std::wstring> full = command_line::FullPaths({request.report});
        const std::wstring target = full.empty() ? request.report : full.front();
        if (const DWORD error = WriteWholeFile(target, ResultCsv(records))) {
            // The record the script asked for is missing: that is no success.
            console.WriteLine(texts::kReportUnwritable + target + L"（" + SystemErrorText(error) + L"）");
            code = kSomeFailed;
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

    // The lists are read here, before anything else is touched; an unreadable one is a bad argument.
    std::vector<std::wstring> names = request.names;
    for (const std::wstring& list : command_line::FullPaths(request.lists)) {
        std::string bytes;
        if (const DWORD error = ReadWholeFile(list, bytes)) {
            errors.push_back(texts::kArgListUnreadable + list + L"（" + SystemErrorText(error) + L"）");
            continue;
        }
        for (std::wstring& entry : doclist::ListFileEntries(bytes, doclist::FolderOfFile(list)))
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

    const std::vector<std::wstring> documents = DocumentsOf(names);
    if (documents.empty()) {
        console.WriteLine(texts::kNothingToPrint);
        return kNothingToPrint;
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

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    auto dlg = std::make_unique<CTavrolinDlg>();
    dlg->BeginReadingPrinters();
    dlg->AddOnStart(documents);
    dlg->PrintUnattended(options);
    AfxGetApp()->m_pMainWnd = dlg.get();
    dlg->DoModal();
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
    return Report(console, request, dlg->UnattendedRecords());
}

}  // namespace print_command
