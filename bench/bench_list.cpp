// The document list at scale on the real main window: a folder of 10,000 documents added
// through the folder command, the same folder again, a drop of 2,000 names onto 10,000 rows,
// a list file of the 10,000 opened into an empty list, and the process's private memory with
// and without the rows. Each against the platform work
// it cannot avoid, measured here too.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/tavrolin_dlg.h"
#include "bench_common.h"
#include "common/resource.h"
#include "doclist/list_file.h"
#include "framework/person.h"
#include "framework/whole_file.h"

namespace {

constexpr int kDocuments = 10000;
constexpr int kOthers = 500;
constexpr int kDropped = 2000;
constexpr int kRepeats = 3;

void Click(CTavrolinDlg& dlg, int id) {
    ::SendMessageW(dlg.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg.GetSafeHwnd(), id)));
}

// Time of `work` followed by the list's pending repaint.
template <class Work>
double Timed(HWND list, Work work) {
    const double start = bench::NowMs();
    work();
    ::UpdateWindow(list);
    return bench::NowMs() - start;
}

// The listing the folder command cannot do without: every entry, the full path of each
// qualifying one and its own time query, converted to local time.
std::vector<std::wstring> ListingFloor(const std::wstring& folder) {
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return paths;
    do {
        std::wstring path = folder + L"\\" + entry.cFileName;
        // ".docx", ".xlsx" and ".pptx" contain the three shorter ones.
        if (path.find(L".doc") != std::wstring::npos || path.find(L".xls") != std::wstring::npos ||
            path.find(L".ppt") != std::wstring::npos)
            paths.push_back(std::move(path));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    long long sum = 0;
    for (const std::wstring& p : paths) {
        WIN32_FIND_DATAW one{};
        HANDLE h = ::FindFirstFileW(p.c_str(), &one);
        if (h != INVALID_HANDLE_VALUE) ::FindClose(h);
        SYSTEMTIME utc{}, local{};
        ::FileTimeToSystemTime(&one.ftLastWriteTime, &utc);
        ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
        sum += local.wMilliseconds;
    }
    if (sum < 0) std::puts("");  // keeps the loop from being optimised away
    return paths;
}

HDROP MakeDrop(const std::vector<std::wstring>& names) {
    size_t chars = 1;
    for (const std::wstring& n : names) chars += n.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const std::wstring& n : names) {
        std::memcpy(out, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
        out += n.size() + 1;
    }
    *out = L'\0';
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // "memory": the memory figures alone, in a process whose heap no floor has grown before.
    const bool memoryOnly = argc > 1 && std::wstring(argv[1]) == L"memory";
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), 0xFF};
    ::InitCommonControlsEx(&icc);

    bench::TempFolder folder(L"tavrolin-bench");
    wchar_t name[64];
    for (int i = 0; i < kDocuments; ++i) {
        static const wchar_t* kExt[] = {L"doc", L"docx", L"xls", L"xlsx", L"ppt", L"pptx"};
        swprintf(name, 64, L"\\document %05d.%ls", i, kExt[i % 6]);
        bench::MakeEmptyFile(folder.path() + name);
    }
    for (int i = 0; i < kOthers; ++i) {
        swprintf(name, 64, L"\\picture %05d.png", i);
        bench::MakeEmptyFile(folder.path() + name);
    }
    std::vector<std::wstring> dropped;
    for (int i = 0; i < kDropped; ++i) {
        swprintf(name, 64, L"C:\\dropped\\letter %05d.docx", i);
        dropped.push_back(name);
    }

    const double memoryBefore = bench::PrivateBytes();
    CTavrolinDlg dlg;
    dlg.Create();
    ::ShowWindow(dlg.GetSafeHwnd(), SW_SHOW);
    ::UpdateWindow(dlg.GetSafeHwnd());
    bench::Pump();
    HWND list = ::GetDlgItem(dlg.GetSafeHwnd(), IDC_DOCUMENT_LIST);
    person::Scripted chooser(person::FolderBrowserAnswer(
        [&](const person::FolderBrowserRequest&) { return std::optional<std::wstring>(folder.path()); }));

    // The floor in its own bare list view, measured in turn with the program in every round,
    // so that a change of load on the machine falls on both alike.
    std::unique_ptr<bench::BareList> bare;
    if (!memoryOnly) bare = std::make_unique<bench::BareList>();
    std::vector<double> listing, insertion, dropFloor, scan;
    std::vector<double> firstAdd, againAdd, drop, openList, memoryEmpty, memoryFull;
    // The same documents as a list file, as "保存列表…" writes it.
    const std::wstring listFile = folder.path() + L"\\list.txt";
    int rowsAfterList = 0;
    int rowsAfterFolder = 0, rowsAfterDrop = 0;
    size_t queried = 0;
    for (int r = 0; r < kRepeats; ++r) {
        if (bare) {
            bare->Clear();
            bench::Pump();
            std::vector<std::wstring> paths;
            listing.push_back(Timed(bare->list(), [&] { paths = ListingFloor(folder.path()); }));
            insertion.push_back(Timed(bare->list(), [&] { bare->InsertRowsAtTop(paths); }));
            bench::Pump();
            // A dropped folder is no document, so each name the rule takes costs one query.
            dropFloor.push_back(Timed(bare->list(), [&] {
                for (const std::wstring& n : dropped) queried += ::GetFileAttributesW(n.c_str()) == INVALID_FILE_ATTRIBUTES;
                bare->InsertRowsAtTop(dropped);
            }));
            bench::Pump();
            // The program's scan on its own, to tell the listing from the list's work.
            std::vector<std::wstring> result;
            const double start = bench::NowMs();
            DocumentList::ScanFolder(folder.path(), result, 1);
            scan.push_back(bench::NowMs() - start);
        }
        dlg.Documents().ClearDocuments();
        dlg.Documents().UpdateFileCount();
        bench::Pump();
        memoryEmpty.push_back(bench::PrivateBytes());
        firstAdd.push_back(Timed(list, [&] { Click(dlg, IDC_ADD_FOLDER); }));
        rowsAfterFolder = dlg.Documents().Control().GetItemCount();
        bench::Pump();
        memoryFull.push_back(bench::PrivateBytes());
        if (memoryOnly) continue;
        againAdd.push_back(Timed(list, [&] { Click(dlg, IDC_ADD_FOLDER); }));
        bench::Pump();
        HDROP handle = MakeDrop(dropped);
        drop.push_back(Timed(list, [&] {
            ::SendMessageW(dlg.GetSafeHwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
        }));
        rowsAfterDrop = dlg.Documents().Control().GetItemCount();
        bench::Pump();
        if (r == 0) {
            std::vector<std::wstring> documents = dlg.Documents().Paths();
            documents.erase(documents.begin(), documents.begin() + kDropped);
            WriteWholeFile(listFile, doclist::ListFileBytes(documents));
        }
        dlg.Documents().ClearDocuments();
        dlg.Documents().UpdateFileCount();
        bench::Pump();
        openList.push_back(Timed(list, [&] { dlg.Documents().OpenListFile(listFile); }));
        rowsAfterList = dlg.Documents().Control().GetItemCount();
        bench::Pump();
    }
    dlg.Documents().ClearDocuments();
    bench::Pump();

    if (!memoryOnly) {
        const double listingMs = bench::Median(listing);
        const double folderFloor = listingMs + bench::Median(insertion);
        const double dropFloorMs = bench::Median(dropFloor);
        bench::Report("folder_rows_added", rowsAfterFolder, "rows");
        bench::Report("folder_add", bench::Median(firstAdd), "ms");
        bench::Report("folder_add_floor", folderFloor, "ms");
        bench::Report("folder_listing_floor", listingMs, "ms");
        bench::Report("folder_scan_only", bench::Median(scan), "ms");
        bench::Report("folder_add_again", bench::Median(againAdd), "ms");
        bench::Report("drop_rows_after", rowsAfterDrop, "rows");
        bench::Report("drop_2000_onto_10000", bench::Median(drop), "ms");
        bench::Report("drop_floor", dropFloorMs, "ms");
        bench::Report("open_list_rows_added", rowsAfterList, "rows");
        bench::Report("open_list_10000", bench::Median(openList), "ms");
        if (queried == 0) std::puts("");  // keeps the queries from being optimised away
        return 0;
    }

    // Memory: the window with no rows, with 10,000, and after each of three add/clear cycles.
    const double empty = memoryEmpty.front();
    const double full = memoryFull.front();
    bench::Report("memory_from_private_usage", bench::PrivateUsageReported() ? 1 : 0, "bool");
    bench::Report("memory_before_window", memoryBefore / 1024.0, "KiB");
    bench::Report("memory_no_rows", empty / 1024.0, "KiB");
    bench::Report("memory_10000_rows", full / 1024.0, "KiB");
    bench::Report("memory_per_1000_rows", (full - empty) / 10.0 / 1024.0, "KiB");
    for (int r = 0; r < kRepeats; ++r) {
        char label[48];
        std::snprintf(label, sizeof label, "memory_cycle%d_10000_rows", r + 1);
        bench::Report(label, memoryFull[r] / 1024.0, "KiB");
    }
    return 0;
}
