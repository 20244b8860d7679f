// Reads the CSV report the program writes ("/report", 导出结果…) back for the tests.
#pragma once

#include <string>
#include <vector>

namespace testing_report {

// The report's lines after its header, each split at its commas (the tests' fields hold none);
// nothing when the file is missing or lacks the byte-order mark.
std::vector<std::vector<std::wstring>> Rows(const std::wstring& path);

}  // namespace testing_report
