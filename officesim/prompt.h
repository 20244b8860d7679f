// The modal windows a real office application puts up in front of an unattended run.
// Each is a top-level window of the server process; the calling thread waits in it
// (a modal message loop, no CPU) until someone answers it or the process is ended.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace officesim {

enum class PromptKind {
    Password,       // open password: an edit box, 确定 / 取消
    WritePassword,  // write password: an edit box, 确定 / 只读 (IDIGNORE) / 取消
    Save,           // save changes: 保存 (IDYES) / 不保存 (IDNO) / 取消
    Macro,          // a message box put up by the document's own macro: 确定
    Links,          // update external links: 更新 (IDYES) / 不更新 (IDNO)
    Encoding,       // a text file named as a document: choose its encoding, 确定 / 取消
    ReadOnly,       // the author recommends opening read-only: 是 (IDYES) / 否 (IDNO)
    Notify,         // the file is in use by another: 只读 (IDYES) / 通知 (IDNO) / 取消
    StartWindow,    // a licence or activation wizard at start: 稍后 (IDOK)
    Unknown,        // a window of no known kind, with no button
};

// The word the call log uses for the prompt: "password", "save" ...
const wchar_t* PromptName(PromptKind kind);

// Shows the prompt for the document and returns the button pressed; *entered gets the
// text of the edit box for the password prompts.
INT_PTR ShowPrompt(PromptKind kind, const std::wstring& document, std::wstring* entered = nullptr);

// A modeless "正在打印第 N 页" window with a Cancel button, shown while a long print runs.
class PrintProgress {
public:
    explicit PrintProgress(const std::wstring& document);
    ~PrintProgress();
    PrintProgress(const PrintProgress&) = delete;
    PrintProgress& operator=(const PrintProgress&) = delete;
    void Page(int page, int pages);
    // Handles the window's pending messages; false once Cancel was pressed.
    bool Pump();

private:
    HWND window_ = nullptr;
    std::wstring document_;
};

}  // namespace officesim
