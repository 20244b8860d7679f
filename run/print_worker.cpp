#include "run/print_worker.h"

#include "doclist/document_kind.h"
#include "run/run_state.h"

UINT PrintWorker(LPVOID mainWindow) {
    const HWND target = static_cast<CWnd*>(mainWindow)->GetSafeHwnd();
    ConvertClass convert;
    // Read once: nothing writes the run list or the settings while the run lasts.
    const size_t count = RunList().size();
    const int copies = CurrentPrintSettings().copies;
    for (size_t i = 0; i < count; ++i) {
        const std::wstring path = RunList()[i];
        bool printed = false;
        // A row that is not a document fails at its turn without any server being asked.
        if (const std::optional<DocumentKind> kind = doclist::DocumentKindOf(path)) {
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
