// "/print": a run started from the command line (a script, a scheduled task) with nobody at the
// screen. The same window, controller and worker as 开始打印; the result is the exit code, the
// console's lines and the report.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "run/result_csv.h"
#include "run/run_controller.h"

struct PrinterChoices;

namespace print_command {

inline constexpr int kAllPrinted = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kBadArguments = 2;
inline constexpr int kPrinterUnusable = 3;
inline constexpr int kNothingToPrint = 4;
inline constexpr int kAnotherRunActive = 5;

// The printer a request names, as the spooler spells it: the first printer equal to it in any
// letter case, or the user's default when none is named; nothing when there is no such printer.
std::optional<std::wstring> ChosenPrinter(const std::wstring& asked, const PrinterChoices& choices);

// The documents the names give, in order: a folder's own documents as 添加目录 finds them, newest
// first; a file when the drop rule takes it. Names are made full against the current directory.
std::vector<std::wstring> DocumentsOf(const std::vector<std::wstring>& names);

// The exit code of a run that did not start, and of one that ran.
int ExitCodeOf(RunStart refused);
int ExitCodeOf(const std::vector<ResultRecord>& records);

// "打印结束：成功 n 个，失败 m 个".
std::wstring Summary(const std::vector<ResultRecord>& records);

// The whole command, from its arguments to the process's exit code.
int Run(const std::vector<std::wstring>& arguments);

}  // namespace print_command
