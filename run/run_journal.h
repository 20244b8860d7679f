// The run's list kept on disk as the run goes, so that a run cut off (ended from outside, a
// crash, a power cut) can be offered back at the next start with what became of each row.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "automation/convert_class.h"
#include "framework/process_identity.h"
#include "framework/scoped.h"

namespace run_journal {

enum class RowState { NotPrinted, Printed, Failed };

struct Row {
    std::wstring path;
    RowState state = RowState::NotPrinted;
    std::wstring reason;   // why it failed, in the words the row showed
    SYSTEMTIME ended{};    // local time the row ended; zero while it has not
};

struct Journal {
    PrintOptions options;
    std::vector<Row> rows;
};

// "%LOCALAPPDATA%\Tavrolin"; empty when the system does not say where that is.
std::wstring Folder();
// The journal of a run of `process` in `folder`: "run-<identity>.journal".
std::wstring FileFor(const std::wstring& folder, const ProcessIdentity& process);

// The first write: a version line, the run's settings and a line per row, in the rows' order.
std::string HeaderText(const std::vector<std::wstring>& paths, const PrintOptions& options);
// One row's end, appended as the row ends.
std::string RowEndText(size_t index, bool printed, const std::wstring& reason, const SYSTEMTIME& endedAt);
// What a journal's bytes say. Only whole lines count: a torn last line, lines it does not know
// and a file of another version (nothing then) are passed over.
Journal Read(const std::string& bytes);

// A run's journal while it runs. Every step is best-effort: a folder or file that cannot be
// written leaves no journal, and the run goes on as it would without one.
class Writer {
public:
    // Writes the journal whole (the header), then keeps it open for appending.
    void Begin(const std::vector<std::wstring>& paths, const PrintOptions& options);
    // Appends the row's end and flushes it to the disk, so a cut keeps it.
    void RowEnded(size_t index, bool printed, const std::wstring& reason);
    // The run ended, one way or another, in the program's own hands: the journal goes.
    void End();
    bool Open() const { return !m_path.empty(); }

private:
    std::wstring m_path;
    UniqueHandle m_file;
};

// A journal left by a run whose process is gone.
struct CutRun {
    std::wstring file;
    Journal journal;
};
// The newest journal in `folder` whose process is gone and that holds a readable row. Those of
// gone processes that were read and hold none are removed on the way; those that cannot be read
// now, and those of running processes, are left alone.
std::optional<CutRun> FindCutRun(const std::wstring& folder);

}  // namespace run_journal
