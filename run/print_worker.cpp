#include "run/print_worker.h"

#include "run/run_state.h"

std::optional<DocumentKind> ClassifyDocument(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find(L'.');
    // With no base before the first dot (no dot at all, or a leading one) the whole name counts.
    const std::wstring kindText = dot == std::wstring::npos || dot == 0 ? name : name.substr(dot);
    if (kindText.find(L"doc") != std::wstring::npos) return DocumentKind::Word;
    if (kindText.find(L"xls") != std::wstring::npos) return DocumentKind::Excel;
    if (kindText.find(L"ppt") != std::wstring::npos) return DocumentKind::PowerPoint;
    return std::nullopt;
}

UINT PrintWorker(LPVOID mainWindow) {
    const HWND target = static_cast<CWnd*>(mainWindow)->GetSafeHwnd();
    ConvertClass convert;
    // Read once: nothing writes the run list or the settings while the run lasts.
    const size_t count = RunList().size();
    const int copies = CurrentPrintSettings().copies;
    for (size_t i = 0; i < count; ++i) {
        const std::wstring path = RunList()[i];
        bool printed = false;
        if (const std::optional<DocumentKind> kind = ClassifyDocument(path)) {
            switch (*kind) {
            case DocumentKind::Word: printed = convert.PrintWord(path, copies); break;
            case DocumentKind::Excel: printed = convert.PrintExcel(path, copies); break;
            case DocumentKind::PowerPoint: printed = convert.PrintPowerPoint(path, copies); break;
            }
        }
        ::PostMessageW(target, WM_PRINT_PROGRESS, static_cast<WPARAM>(i), printed ? kPrinted : kNotPrinted);
    }
    ::PostMessageW(target, WM_PRINT_PROGRESS, kRunFinished, 0);
    return 0;
}
