// How long the watchdog takes to give up on a server that waits for a person (a window and no
// work) and on one that just stops answering (no window, no work), at the limits the program
// ships with, against a plain document printed by the same printer. The give-up times are the
// extra time those documents take. Run with officesim registered (bench/run.sh does).
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

#include "automation/convert_class.h"
#include "automation/watchdog.h"
#include "bench_common.h"
#include "framework/scoped.h"

namespace {

// A document whose traits line officesim reads when it opens it.
std::wstring MakeDocument(const bench::TempFolder& folder, const wchar_t* name, const char* traits) {
    const std::wstring path = folder.path() + L"\\" + name;
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::string text = std::string("officesim: ") + traits + "\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return path;
}

double TimePrint(ConvertClass& convert, const std::wstring& path, PrintOutcome* outcome) {
    const double start = bench::NowMs();
    *outcome = convert.Print(DocumentKind::Word, path);
    return bench::NowMs() - start;
}

}  // namespace

int wmain() {
    ScopedCom com;
    ::SetEnvironmentVariableW(L"TAVROLIN_WATCHDOG_SECONDS", nullptr);  // the shipped limits
    const WatchdogLimits limits = WatchdogLimits::FromEnvironment();

    bench::TempFolder folder(L"tavrolin-bench-watchdog");
    const std::wstring plain = MakeDocument(folder, L"plain.docx", "");
    const std::wstring prompt = MakeDocument(folder, L"prompt.docx", "hang=Documents.Open:dialog");
    const std::wstring silent = MakeDocument(folder, L"silent.docx", "hang=PrintOut");

    wchar_t printer[256] = {};
    DWORD size = 256;
    ::GetDefaultPrinterW(printer, &size);
    ConvertClass convert(PrintOptions{printer, 1, kSuiteMsOffice}, nullptr);

    PrintOutcome plainOutcome, promptOutcome, silentOutcome;
    const double plainMs = TimePrint(convert, plain, &plainOutcome);
    const double promptMs = TimePrint(convert, prompt, &promptOutcome);
    const double silentMs = TimePrint(convert, silent, &silentOutcome);

    bench::Report("watchdog_prompt_limit", limits.promptMs, "ms");
    bench::Report("watchdog_silent_limit", limits.silentMs, "ms");
    bench::Report("watchdog_plain_document", plainMs, "ms");
    bench::Report("watchdog_prompt_document", promptMs, "ms");
    bench::Report("watchdog_prompt_giveup", promptMs - plainMs, "ms");
    bench::Report("watchdog_silent_document", silentMs, "ms");
    bench::Report("watchdog_silent_giveup", silentMs - plainMs, "ms");
    bench::Report("watchdog_outcomes_right",
                  (plainOutcome == PrintOutcome::Printed) + (promptOutcome == PrintOutcome::ServerNotAnswering) +
                      (silentOutcome == PrintOutcome::ServerNotAnswering),
                  "of 3");
    return 0;
}
