#include "app/run_records.h"

#include "common/texts.h"

std::vector<ResultRecord> RunRecords(const DocumentList& documents) {
    std::vector<ResultRecord> records;
    const int count = documents.Count();
    records.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        ResultRecord record;
        record.path = documents.Control().GetItemText(row, 0);
        if (const RowResult* result = documents.ResultAt(row)) {
            record.status = documents.Control().GetItemText(row, 1);
            record.reason = result->reason;
            record.printer = result->printer;
            record.copies = result->copies;
            record.suite = result->suite;
            record.ended = result->ended;
        } else {
            record.status = texts::kNotPrinted;
        }
        records.push_back(std::move(record));
    }
    return records;
}
