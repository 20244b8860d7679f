// The list's rows as the record of a run ("/report"; the list's export writes the same).
#pragma once

#include <vector>

#include "doclist/document_list.h"
#include "run/result_csv.h"

// Every row in the list's order: its path, status, reason and what its run left. A row the run
// never reached is "未打印".
std::vector<ResultRecord> RunRecords(const DocumentList& documents);
