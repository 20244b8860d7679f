// Start-up: from CreateProcess to the main window shown and idle, for the program and for a
// program that shows the same template and nothing else. The two are launched in pairs whose
// order turns each time (AB BA AB ...), so that neither always follows the other; the first
// two pairs only warm up. Each reports its median and its spread (quartiles, fastest).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"
#include "common/texts.h"

namespace {

// Process start under Wine swings by tens of milliseconds with the machine's load; enough
// launches that the medians settle.
constexpr int kLaunches = 15;

// Milliseconds until the window is up and idle; negative when it never came.
double Launch(const std::wstring& exe) {
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const double start = bench::NowMs();
    if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    HWND window = nullptr;
    while (bench::NowMs() - start < 30000) {
        window = ::FindWindowW(nullptr, texts::kMainTitle);
        if (window && ::IsWindowVisible(window)) break;
        window = nullptr;
        ::Sleep(1);
    }
    double elapsed = -1;
    if (window) {
        ::WaitForInputIdle(pi.hProcess, 30000);
        elapsed = bench::NowMs() - start;
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    if (::WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup <tavrolin.exe> <bench_minimal.exe>\n");
        return 2;
    }
    // A window of our own keeps Wine's desktop process up between launches, as the desktop is
    // on Windows; otherwise every launch would also pay for starting it again.
    HWND holder = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> program, minimal;
    constexpr int kWarmUpPairs = 2;
    for (int i = 0; i < kWarmUpPairs + kLaunches; ++i) {
        double p, m;
        if (i % 2 == 0) {
            p = Launch(argv[1]);
            m = Launch(argv[2]);
        } else {
            m = Launch(argv[2]);
            p = Launch(argv[1]);
        }
        if (i < kWarmUpPairs) continue;
        if (p >= 0) program.push_back(p);
        if (m >= 0) minimal.push_back(m);
    }
    if (holder) ::DestroyWindow(holder);
    bench::Report("startup_launches", static_cast<double>(program.size()), "runs");
    bench::Report("startup", bench::Median(program), "ms");
    bench::Report("startup_minimal", bench::Median(minimal), "ms");
    bench::Report("startup_q1", bench::Quantile(program, 0.25), "ms");
    bench::Report("startup_q3", bench::Quantile(program, 0.75), "ms");
    bench::Report("startup_minimal_q1", bench::Quantile(minimal, 0.25), "ms");
    bench::Report("startup_minimal_q3", bench::Quantile(minimal, 0.75), "ms");
    bench::Report("startup_fastest", bench::Min(program), "ms");
    bench::Report("startup_minimal_fastest", bench::Min(minimal), "ms");
    return 0;
}
