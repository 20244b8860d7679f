#include "bench_common.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace bench {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Quantile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double rank = fraction * static_cast<double>(values.size() - 1);
    return values[static_cast<size_t>(rank + 0.5)];
}

double Min(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

void Report(const char* name, double value, const char* unit) {
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

BareList::BareList() {
    static const wchar_t* kClass = L"TavrolinBenchFrame";
    static bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    m_frame = ::CreateWindowExW(0, kClass, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 640, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    // The document list's own style, extended style and columns.
    m_list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", 0x50810801, 10, 110, 530, 400, m_frame, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x171);
    const wchar_t* titles[] = {L"文件路径", L"状态"};
    const int widths[] = {450, 79};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW col{};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT;
        col.cx = widths[i];
        col.pszText = const_cast<wchar_t*>(titles[i]);
        col.iSubItem = i;
        ::SendMessageW(m_list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    }
    ::ShowWindow(m_frame, SW_SHOW);
    ::UpdateWindow(m_frame);
    Pump();
}

BareList::~BareList() {
    ::DestroyWindow(m_frame);
    Pump();
}

void BareList::InsertRowsAtTop(const std::vector<std::wstring>& paths) {
    ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    for (const std::wstring& p : paths) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(p.c_str());
        const int row = static_cast<int>(::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        LVITEMW status{};
        status.iSubItem = 1;
        status.pszText = const_cast<wchar_t*>(L"待处理");
        ::SendMessageW(m_list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&status));
    }
    ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void BareList::Clear() { ::SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0); }

double PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters)) &&
        counters.PrivateUsage != 0)
        return static_cast<double>(counters.PrivateUsage);
    // Wine leaves PrivateUsage at 0: add up the committed private regions instead, which is
    // what the counter stands for.
    double total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const BYTE* at = nullptr; ::VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<double>(region.RegionSize);
        if (region.RegionSize == 0) break;
    }
    return total;
}

bool PrivateUsageReported() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                  sizeof(counters)) &&
           counters.PrivateUsage != 0;
}

TempFolder::TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + name + L"-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW((m_path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileW((m_path + L"\\" + entry.cFileName).c_str());
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(m_path.c_str());
}

void MakeEmptyFile(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
}

}  // namespace bench
