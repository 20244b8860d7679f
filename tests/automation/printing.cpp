#include "printing.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include "framework/framework.h"
#include "framework/scoped.h"
#include "run/outcome_text.h"
#include "support/officesim_control.h"

namespace automation_test {

PrintingThread::PrintingThread(DocumentKind kind, std::wstring path, PrintOptions options)
    : m_thread([this, kind, path = std::move(path), options = std::move(options)] {
          ScopedCom com;
          // The responder hooks the thread it is made on: the box comes from this one.
          testing_ui::ModalResponder responder([this](const testing_ui::ModalBox&) {
              m_outcome.defaultAtBox.push_back(SystemDefault());
              return IDOK;
          });
          // The box the program shows for a server that cannot start, from this thread.
          ConvertClass convert(options, [](DocumentKind kind, std::int32_t suite, PrintOutcome outcome) {
              ::MessageBoxW(AfxGetMainWnd(), ServerStartFailureText(kind, suite, outcome).c_str(), AfxGetAppName(),
                            MB_OK | MB_ICONWARNING);
          });
          const ULONGLONG start = ::GetTickCount64();
          m_outcome.outcome = convert.Print(kind, path);
          m_outcome.printed = m_outcome.outcome == PrintOutcome::Printed;
          m_outcome.ms = ::GetTickCount64() - start;
          m_outcome.boxes = responder.Boxes();
          m_done = true;
      }) {}

PrintingThread::~PrintingThread() {
    if (m_thread.joinable()) {
        // Keep pumping: the printing thread may still be sending to windows of this thread.
        testing_ui::PumpUntil([this] { return m_done.load(); }, 120000);
        if (m_done) m_thread.join(); else m_thread.detach();
    }
}

Outcome PrintingThread::Wait(DWORD timeoutMs) {
    if (!testing_ui::PumpUntil([this] { return m_done.load(); }, timeoutMs)) {
        ADD_FAILURE() << "the printer did not return within " << timeoutMs << " ms";
        return {};
    }
    m_thread.join();
    return m_outcome;
}

Outcome Print(DocumentKind kind, const std::wstring& path, const PrintOptions& options) {
    PrintingThread thread(kind, path, options);
    return thread.Wait();
}

std::wstring SystemDefault() {
    wchar_t name[512];
    DWORD size = 512;
    return ::GetDefaultPrinterW(name, &size) ? name : L"";
}

void SetSystemDefault(const std::wstring& name) {
    if (!::SetDefaultPrinterW(name.c_str())) ADD_FAILURE() << "the spooler did not take the default printer";
}

void ClearSystemDefault() {
    // The spooler has no call for it: the user's Device value is the default printer.
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", 0,
                        KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, L"Device");
        ::RegCloseKey(key);
    }
    if (!SystemDefault().empty()) ADD_FAILURE() << "the default printer could not be removed";
}

}  // namespace automation_test
