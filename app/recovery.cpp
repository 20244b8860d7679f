#include "app/recovery.h"

#include "automation/printer_record.h"

std::optional<run_journal::CutRun> RecoverAfterCut(bool mayAsk) {
    printer_record::ActOnRecordsOfGoneProcesses();
    if (!mayAsk) return std::nullopt;
    return run_journal::FindCutRun(run_journal::Folder());
}
