#include "officesim/prompt.h"

#include <cstring>
#include <vector>

#include "officesim/server.h"

namespace officesim {

namespace {

constexpr int kTextId = 100;
constexpr int kEditId = 101;

struct Button {
    int id;
    const wchar_t* text;
};

// An in-memory dialog template: a caption, a text, an optional edit box and a row of buttons.
class Template {
public:
    Template(const std::wstring& caption, const std::wstring& text, bool edit, const std::vector<Button>& buttons,
             bool visible) {
        const short width = 260, height = edit ? 96 : 76;
        DWORD style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION |
                      WS_SYSMENU | (visible ? WS_VISIBLE : 0);
        WORD count = WORD(1 + (edit ? 1 : 0) + buttons.size());
        Align(4);
        Put(DLGTEMPLATE{style, 0, count, 0, 0, width, height});
        Word(0);  // no menu
        Word(0);  // the standard dialog class
        String(caption);
        Word(9);
        String(L"MS Shell Dlg");
        Item(kTextId, 0x0082, SS_LEFT | WS_CHILD | WS_VISIBLE, 8, 8, width - 16, 32, text);
        if (edit)
            Item(kEditId, 0x0081, ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_CHILD | WS_VISIBLE, 8,
                 44, width - 16, 14, L"");
        short x = short(width - 8 - 54 * short(buttons.size()));
        for (size_t i = 0; i < buttons.size(); ++i, x += 54)
            Item(buttons[i].id, 0x0080,
                 (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP | WS_CHILD | WS_VISIBLE, x,
                 short(height - 22), 50, 14, buttons[i].text);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Align(size_t bytes) {
        while ((words_.size() * 2) % bytes) words_.push_back(0);
    }
    template <class T>
    void Put(const T& value) {
        WORD parts[sizeof(T) / 2];
        memcpy(parts, &value, sizeof(parts));
        for (WORD w : parts) words_.push_back(w);
    }
    void Word(WORD w) { words_.push_back(w); }
    void String(const std::wstring& s) {
        for (wchar_t c : s) words_.push_back(WORD(c));
        words_.push_back(0);
    }
    void Item(int id, WORD atom, DWORD style, short x, short y, short cx, short cy, const std::wstring& text) {
        Align(4);
        Put(DLGITEMTEMPLATE{style, 0, x, y, cx, cy, WORD(id)});
        Word(0xFFFF);
        Word(atom);
        String(text);
        Word(0);  // no creation data
    }
    std::vector<WORD> words_;
};

struct PromptState {
    std::wstring* entered;
};

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED || id == kEditId || id == kTextId) return FALSE;
        if (!GetDlgItem(dialog, id)) return TRUE;  // Escape on a window without that button
        auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (state && state->entered) {
            wchar_t text[256] = L"";
            GetDlgItemTextW(dialog, kEditId, text, 256);
            *state->entered = text;
        }
        EndDialog(dialog, id);
        return TRUE;
    }
    case WM_CLOSE:
        // The unknown window has no button and cannot be closed either.
        if (!GetDlgItem(dialog, IDCANCEL) && !GetDlgItem(dialog, IDOK)) return TRUE;
        EndDialog(dialog, GetDlgItem(dialog, IDCANCEL) ? IDCANCEL : IDOK);
        return TRUE;
    }
    return FALSE;
}

const wchar_t* AppName() {
    switch (CurrentRole().family) {
    case Family::Word: return L"Word";
    case Family::Excel: return L"Excel";
    case Family::PowerPoint: return L"PowerPoint";
    }
    return L"";
}

std::wstring FileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

const wchar_t* PromptName(PromptKind kind) {
    switch (kind) {
    case PromptKind::Password: return L"password";
    case PromptKind::WritePassword: return L"writepassword";
    case PromptKind::Save: return L"save";
    case PromptKind::Macro: return L"macro";
    case PromptKind::Links: return L"links";
    case PromptKind::Encoding: return L"encoding";
    case PromptKind::ReadOnly: return L"readonly";
    case PromptKind::Notify: return L"notify";
    case PromptKind::StartWindow: return L"start";
    case PromptKind::Unknown: return L"unknown";
    }
    return L"";
}

INT_PTR ShowPrompt(PromptKind kind, const std::wstring& document, std::wstring* entered) {
    const std::wstring name = FileName(document);
    std::wstring caption = AppName(), text;
    std::vector<Button> buttons;
    bool edit = false;
    switch (kind) {
    case PromptKind::Password:
        caption = L"密码";
        text = L"请键入打开文件所需的密码:\n" + name;
        buttons = {{IDOK, L"确定"}, {IDCANCEL, L"取消"}};
        edit = true;
        break;
    case PromptKind::WritePassword:
        caption = L"密码";
        text = L"" + name + L" 受保护。请输入写入权限密码，或以只读方式打开。";
        buttons = {{IDOK, L"确定"}, {IDIGNORE, L"只读"}, {IDCANCEL, L"取消"}};
        edit = true;
        break;
    case PromptKind::Save:
        text = L"是否将更改保存到 " + name + L" 中?";
        buttons = {{IDYES, L"保存"}, {IDNO, L"不保存"}, {IDCANCEL, L"取消"}};
        break;
    case PromptKind::Macro:
        caption = L"宏";
        text = L"自动宏正在运行: " + name;
        buttons = {{IDOK, L"确定"}};
        break;
    case PromptKind::Links:
        text = L"此文件包含指向一个或多个外部源的链接。\n是否更新链接?";
        buttons = {{IDYES, L"更新"}, {IDNO, L"不更新"}};
        break;
    case PromptKind::Encoding:
        caption = L"文件转换";
        text = L"请选择使文档可读的编码:\n" + name;
        buttons = {{IDOK, L"确定"}, {IDCANCEL, L"取消"}};
        break;
    case PromptKind::ReadOnly:
        text = L"作者希望您以只读方式打开 " + name + L"，除非您需要进行更改。是否以只读方式打开?";
        buttons = {{IDYES, L"是"}, {IDNO, L"否"}};
        break;
    case PromptKind::Notify:
        caption = L"文件正在使用";
        text = name + L" 正由另一用户编辑。";
        buttons = {{IDYES, L"只读"}, {IDNO, L"通知"}, {IDCANCEL, L"取消"}};
        break;
    case PromptKind::StartWindow:
        caption = L"激活向导";
        text = L"请激活此产品以继续使用全部功能。";
        buttons = {{IDOK, L"稍后"}};
        break;
    case PromptKind::Unknown:
        text = L"请稍候…";
        break;
    }
    Template dialog(caption, text, edit, buttons, true);
    PromptState state{entered};
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, PromptProc,
                                   reinterpret_cast<LPARAM>(&state));
}

namespace {

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
        SetWindowLongPtrW(dialog, DWLP_USER, 1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

PrintProgress::PrintProgress(const std::wstring& document) : document_(FileName(document)) {
    Template dialog(AppName(), L"正在打印", false, {{IDCANCEL, L"取消"}}, true);
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, ProgressProc, 0);
}

PrintProgress::~PrintProgress() {
    if (window_) DestroyWindow(window_);
}

void PrintProgress::Page(int page, int pages) {
    if (!window_) return;
    std::wstring text = L"正在打印第 " + std::to_wstring(page) + L" 页，共 " + std::to_wstring(pages) +
                        L" 页\n" + document_;
    SetDlgItemTextW(window_, kTextId, text.c_str());
}

bool PrintProgress::Pump() {
    if (!window_) return true;
    // Only the window's own messages: the server's thread messages wait for its main loop.
    MSG msg;
    while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(window_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return GetWindowLongPtrW(window_, DWLP_USER) == 0;
}

}  // namespace officesim
