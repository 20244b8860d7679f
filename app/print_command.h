// "/print": a run started from the command line (a script, a scheduled task) with nobody at the
// screen. The same window, controller and worker as 开始打印; the result is the exit code, the
// console's lines and the report.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "doclist/list_file.h"
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

// What the names of a request come to, in the order given. Each name is a row or a skipped line:
// a document becomes a row to print (once; a name met again is skipped), a folder its own
// documents in the order 添加目录 lists them, and a name that does not exist or cannot be read a
// failure row with why; a file that is not a document, a folder without documents and a list's
// refused line are skipped with why.
struct Accounting {
    struct Row {
        std::wstring path;
        const wchar_t* failed = nullptr;  // a failure row's reason; nullptr for a document to print
    };
    struct Skipped {
        std::wstring path;
        const wchar_t* why;
    };
    std::vector<Row> rows;
    std::vector<Skipped> skipped;
    // The rows to print, in order.
    std::vector<std::wstring> Documents() const;
};
// `names` are made full against the current directory; a list's entries come full already.
Accounting AccountFor(const std::vector<doclist::ListEntry>& names);

// The exit code of a run that did not start, and of one that ran.
int ExitCodeOf(RunStart refused);
int ExitCodeOf(const std::vector<ResultRecord>& records);

// "打印结束：成功 n 个，失败 m 个".
std::wstring Summary(const std::vector<ResultRecord>& records);

// The whole command, from its arguments to the process's exit code.
int Run(const std::vector<std::wstring>& arguments);

}  // namespace print_command
