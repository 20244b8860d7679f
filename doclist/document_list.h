// The document list: the report-style list control of the main window with the path index
// beside it, every way of filling and emptying it, and the count label under it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/framework.h"
#include "run/result_csv.h"

// What a row's last run left beside its status: why it failed (its tip), when it ended, and the
// run's settings. A row no run has reached has none.
struct RowResult {
    std::wstring reason;
    SYSTEMTIME ended{};  // local time
    std::wstring printer;
    int copies = 0;
    std::wstring suite;
    std::wstring duplex;  // the run's two-sided, colour and page range settings, in words
    std::wstring color;
    std::wstring pages;
};

// What opening a list file did: how many of its entries became rows and how many were skipped,
// with the first few skipped and why. A file that could not be read adds nothing and says why.
struct ListFileOutcome {
    struct Skipped {
        std::wstring path;
        const wchar_t* why;  // texts::kSkipped...
    };
    static constexpr size_t kShownSkipped = 5;
    DWORD readError = 0;  // 0, or the Win32 error that kept the file from being read
    int added = 0;
    int skipped = 0;
    std::vector<Skipped> firstSkipped;  // at most kShownSkipped, in the file's order
};

// The box's text after opening a list: the counts, then the first skipped paths with why.
std::wstring ListFileSummary(const ListFileOutcome& outcome);

// The box's text for a file that could not be written: its name and the system's reason.
std::wstring CannotWriteText(const std::wstring& path, DWORD error);

// Widths of the path and status columns for a list whose client area is `clientWidth` pixels:
// 85 % and 15 %, truncated toward zero.
std::pair<int, int> DocumentColumnWidths(int clientWidth);

class DocumentList {
public:
    // Binds to the list control and the count label of `dialog`; message boxes are owned by it.
    void Attach(HWND dialog, int listId, int countLabelId);
    // The columns and the list's extended style; once, when the window initialises.
    void SetUp();

    bool HasDocument(const std::wstring& path) const;
    // A new row at the top, pending.
    void InsertDocument(const std::wstring& path);
    void UpdateFileCount();
    // The only ways rows leave the list, so the path index stays in step with it.
    void RemoveDocument(int row);
    void ClearDocuments();
    // Inserts at the top every path the list does not hold yet, in the given order, with the
    // list's redraw suspended for the batch.
    void AddNewDocuments(const std::vector<std::wstring>& paths);

    int Count() const { return m_list.GetItemCount(); }
    // Column 0 of every row, in row order.
    std::vector<std::wstring> Paths() const;
    // The row's status text and the reason shown as its tip (empty: no tip, and no result).
    void SetStatus(int row, const wchar_t* status, const wchar_t* reason = L"");
    // The row's status with everything its run left.
    void SetResult(int row, const wchar_t* status, RowResult result);
    std::wstring ReasonAt(int row) const;
    // What the row's run left; nothing for a row without a result.
    const RowResult* ResultAt(int row) const;
    // The list's tip for a row (LVN_GETINFOTIPW): its reason, when it has one.
    void OnInfoTip(NMLVGETINFOTIPW& tip) const;
    // Read-only: rows are inserted and deleted only through the members above.
    const CListCtrl& Control() const { return m_list; }

    // The commands.
    void AddFromFileDialog();             // 添加文件
    void AddDropped(HDROP drop, bool refused);  // files dropped on the window; released here
    // Names from outside the window (a drop, the command line, a second launch): those the drop
    // rule takes, in order, unless refused (during a run); the count label is refreshed either way.
    void AddNames(const std::vector<std::wstring>& names, bool refused);
    void AddFolder();                     // 添加文件夹
    void RemoveSelected();                // 移除文件
    void Clear();                         // 清空列表

    // The list's shortcut menu (WM_CONTEXTMENU from the list; `position` in screen coordinates,
    // or (-1, -1) for the keyboard). During a run only the commands that leave the rows as they are.
    void OnContextMenu(LPARAM position, bool running);
    void ShowSelectedInFolder();  // 打开文件所在位置: the first selected row's file
    void CopySelectedPaths();     // 复制路径
    void RemoveAllSelected();     // 移除选中的文件
    void KeepNotPrinted();        // 只保留未打印成功的文件: keeps 失败 and 未打印
    void ExportResults();         // 导出结果…: the Save dialog, then the CSV of ResultRecords()
    void SaveList();              // 保存列表…: the Save dialog, then the paths as a list file
    void OpenList();              // 打开列表…: the Open dialog, OpenListFile, and the box with its counts

    // The list file at `path` read and its entries added by the drop rule (documents only, no
    // duplicates of rows listed or of earlier entries, only files that exist), so that the rows
    // read top to bottom in the file's order, above the rows already listed. Shows no box; the
    // count label is refreshed.
    ListFileOutcome OpenListFile(const std::wstring& path);
    // One record per row, top to bottom: the row's path and status with what its last run left
    // (nothing for a row no run reached). What "导出结果…" writes.
    std::vector<ResultRecord> ResultRecords() const;
    // True when a run left a result in at least one row.
    bool HasResults() const;
    // Rows with the selection, top to bottom.
    std::vector<int> SelectedRows() const;

    // A click on a column's header (LVN_COLUMNCLICK): sorts by it, the same column again the
    // other way round, and shows the arrow in the header.
    void SortBy(int column);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }

    // Folder scan: appends the qualifying full paths of `folder` to `result`, ordered by
    // last-write time (0 oldest first, 1 newest first, other: listing order).
    static void ScanFolder(const std::wstring& folder, std::vector<std::wstring>& result, int order);

private:
    // A message box over the window, titled with the program's name: a question or a notice.
    int ShowBox(const wchar_t* text, UINT type) const;
    // Removes the given rows (top to bottom) with the list's redraw suspended.
    void RemoveRows(const std::vector<int>& rows);
    void ShowSortArrow();

    HWND m_dialog = nullptr;
    int m_countLabel = 0;
    CListCtrl m_list;
    // Column-0 texts of the rows with how many rows hold each, so the duplicate rule does not
    // walk the whole list for every candidate.
    std::unordered_map<std::wstring, int> m_paths;
    // A row's result is kept by slot; the row holds its slot's number (0: none) as its item data,
    // so the result moves with the row when rows above it go or the rows are sorted. Slots of
    // rows that went are used again.
    size_t SlotOf(int row) const;
    void ReleaseSlot(int row);
    std::vector<RowResult> m_results{RowResult{}};
    std::vector<size_t> m_freeSlots;
    // The header that last sorted the rows (-1: none since rows were last added) and its way.
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};
