// The list's shortcut menu and its commands, and sorting by the column headers.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <numeric>

#include "common/resource.h"
#include "common/texts.h"
#include "doclist/doclist.h"
#include "doclist/document_list.h"
#include "framework/popup_menu.h"
#include "ui/shell_open.h"

namespace doclist {

namespace {
// A row whose document is still to be printed after a run: it failed, or the run never reached it.
bool IsNotPrinted(const std::wstring& status) { return status == texts::kFailed || status == texts::kNotPrinted; }

int StatusRank(const std::wstring& status) {
    const wchar_t* const order[] = {texts::kFailed, texts::kNotPrinted, texts::kPrinting, texts::kPending, texts::kDone};
    for (int i = 0; i < 5; ++i)
        if (status == order[i]) return i;
    return 5;
}
}  // namespace

std::vector<size_t> SortedOrder(const std::vector<std::wstring>& paths, const std::vector<std::wstring>& statuses,
                                int column, bool ascending) {
    std::vector<size_t> order(paths.size());
    std::iota(order.begin(), order.end(), size_t{0});
    auto byPath = [&](size_t a, size_t b) { return ::StrCmpLogicalW(paths[a].c_str(), paths[b].c_str()); };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (column == 1) {
            const int ra = StatusRank(a < statuses.size() ? statuses[a] : std::wstring());
            const int rb = StatusRank(b < statuses.size() ? statuses[b] : std::wstring());
            if (ra != rb) return ascending ? ra < rb : ra > rb;
            return byPath(a, b) < 0;
        }
        const int c = byPath(a, b);
        return ascending ? c < 0 : c > 0;
    });
    return order;
}

std::wstring ClipboardText(const std::vector<std::wstring>& paths) {
    std::wstring text;
    for (const std::wstring& path : paths) {
        if (!text.empty()) text += L"\r\n";
        text += path;
    }
    return text;
}

}  // namespace doclist

std::vector<int> DocumentList::SelectedRows() const {
    std::vector<int> rows;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void DocumentList::OnContextMenu(LPARAM position, bool running) {
    const std::vector<int> selected = SelectedRows();
    const UINT withSelection = selected.empty() ? MF_GRAYED : MF_ENABLED;
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    ::AppendMenuW(menu, MF_STRING | withSelection, IDM_OPEN_LOCATION, texts::kMenuOpenLocation);
    ::AppendMenuW(menu, MF_STRING | withSelection, IDM_COPY_PATHS, texts::kMenuCopyPaths);
    if (!running) {
        // Offered when it would leave some rows and take some.
        int notPrinted = 0;
        const int n = Count();
        for (int i = 0; i < n; ++i) notPrinted += doclist::IsNotPrinted(m_list.GetItemText(i, 1));
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING | withSelection, IDM_REMOVE_SELECTED, texts::kMenuRemoveSelected);
        ::AppendMenuW(menu, MF_STRING | (notPrinted > 0 && notPrinted < n ? MF_ENABLED : MF_GRAYED), IDM_KEEP_NOT_PRINTED,
                      texts::kMenuKeepNotPrinted);
    }
    // The files: the record of a run once there is one and the run is over; the list to keep at
    // any time; a list to open only while no run holds the rows still.
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (!running) ::AppendMenuW(menu, MF_STRING | (HasResults() ? MF_ENABLED : MF_GRAYED), IDM_EXPORT_RESULTS, texts::kMenuExportResults);
    ::AppendMenuW(menu, MF_STRING | (Count() > 0 ? MF_ENABLED : MF_GRAYED), IDM_SAVE_LIST, texts::kMenuSaveList);
    if (!running) ::AppendMenuW(menu, MF_STRING, IDM_OPEN_LIST, texts::kMenuOpenList);

    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: under the focused row, else the list's corner. The system sends
        // (-1, -1) in the low 32 bits; what it puts above them differs.
        at = {0, 0};
        const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED);
        RECT item{LVIR_LABEL, 0, 0, 0};
        if (focused >= 0 && ::SendMessageW(m_list, LVM_GETITEMRECT, focused, reinterpret_cast<LPARAM>(&item)))
            at = {item.left, item.bottom};
        RECT client = m_list.GetClientRect();
        at.x = std::clamp<LONG>(at.x, 0, client.right);
        at.y = std::clamp<LONG>(at.y, 0, client.bottom);
        ::ClientToScreen(m_list, &at);
    }
    const UINT command = ChooseFromPopupMenu(menu, m_dialog, at);
    // Only what the menu offered, enabled, counts.
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    const bool offered = command != 0 && ::GetMenuItemInfoW(menu, command, FALSE, &info) && !(info.fState & MFS_GRAYED);
    ::DestroyMenu(menu);
    if (!offered) return;
    switch (command) {
    case IDM_OPEN_LOCATION: ShowSelectedInFolder(); break;
    case IDM_COPY_PATHS: CopySelectedPaths(); break;
    case IDM_REMOVE_SELECTED: RemoveAllSelected(); break;
    case IDM_KEEP_NOT_PRINTED: KeepNotPrinted(); break;
    case IDM_EXPORT_RESULTS: ExportResults(); break;
    case IDM_SAVE_LIST: SaveList(); break;
    case IDM_OPEN_LIST: OpenList(); break;
    }
}

void DocumentList::ShowSelectedInFolder() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row >= 0) shell::ShowInFolder(m_list.GetItemText(row, 0));
}

void DocumentList::CopySelectedPaths() {
    std::vector<std::wstring> paths;
    for (int row : SelectedRows()) paths.push_back(m_list.GetItemText(row, 0));
    if (paths.empty()) return;
    const std::wstring text = doclist::ClipboardText(paths);
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return;
    if (void* p = ::GlobalLock(block)) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(p));
        ::GlobalUnlock(block);
    }
    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = ::OpenClipboard(m_dialog)); ++attempt) ::Sleep(20);
    if (open) {
        ::EmptyClipboard();
        if (::SetClipboardData(CF_UNICODETEXT, block)) block = nullptr;  // the clipboard's now
        ::CloseClipboard();
    }
    if (block) ::GlobalFree(block);
}

void DocumentList::RemoveRows(const std::vector<int>& rows) {
    if (rows.empty()) return;
    m_list.SetRedraw(false);
    // Bottom up, so that the rows still to go keep their indexes.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) RemoveDocument(*it);
    m_list.SetRedraw(true);
}

void DocumentList::RemoveAllSelected() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        ShowBox(texts::kSelectOne, MB_OK);
    } else if (ShowBox(texts::kConfirmRemove, MB_OKCANCEL) == IDOK) {
        RemoveRows(rows);
        ShowBox(texts::kRemoved, MB_OK);
    }
    UpdateFileCount();
}

void DocumentList::KeepNotPrinted() {
    if (ShowBox(texts::kConfirmKeepNotPrinted, MB_OKCANCEL) == IDOK) {
        std::vector<int> rows;
        const int n = Count();
        for (int i = 0; i < n; ++i)
            if (!doclist::IsNotPrinted(m_list.GetItemText(i, 1))) rows.push_back(i);
        RemoveRows(rows);
        ShowBox(texts::kRemoved, MB_OK);
    }
    UpdateFileCount();
}

void DocumentList::SortBy(int column) {
    if (column != 0 && column != 1) return;
    m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
    m_sortColumn = column;

    struct Row {
        std::wstring path, status;
        LPARAM data;
        UINT state;
    };
    const int n = Count();
    std::vector<Row> rows;
    std::vector<std::wstring> paths, statuses;
    for (int i = 0; i < n; ++i) {
        Row r{m_list.GetItemText(i, 0), m_list.GetItemText(i, 1), m_list.GetItemData(i),
              static_cast<UINT>(::SendMessageW(m_list, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED))};
        paths.push_back(r.path);
        statuses.push_back(r.status);
        rows.push_back(std::move(r));
    }
    const std::vector<size_t> order = doclist::SortedOrder(paths, statuses, column, m_sortAscending);
    // The rows are rewritten in place: their reasons (item data), selection and focus go with
    // them, and the path index, which counts texts, stays as it is.
    m_list.SetRedraw(false);
    for (int i = 0; i < n; ++i) {
        const Row& r = rows[order[static_cast<size_t>(i)]];
        m_list.SetItemText(i, 0, r.path.c_str());
        m_list.SetItemText(i, 1, r.status.c_str());
        m_list.SetItemData(i, r.data);
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = r.state;
        ::SendMessageW(m_list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
    }
    m_list.SetRedraw(true);
    ShowSortArrow();
}

void DocumentList::ShowSortArrow() {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(m_list, LVM_GETHEADER, 0, 0));
    if (!header) return;
    const int columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < columns; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!::SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == m_sortColumn) item.fmt |= m_sortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        ::SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}
