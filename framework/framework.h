// The small application framework Tavrolin is built on: an application object, windows and
// dialogs with table-driven message maps, and thin wrappers over the common controls and
// common dialogs. Nothing in here knows about Tavrolin.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <winspool.h>

#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/scoped.h"

class CWnd;

// ---------------------------------------------------------------------------------------------
// Message maps: a static table of typed entries per class, chained to the base class's table.

// What happens after a handler ran: the message is finished, or it also goes on to the
// window's default handling.
enum class Then { Done, Default };

struct MessageEntry {
    UINT message;
    UINT id;    // control identifier for WM_COMMAND entries
    UINT code;  // notification code for WM_COMMAND entries (BN_CLICKED is 0)
    Then then;
    // The handler's result, or nothing when the handler left the message to the default handling.
    std::optional<LRESULT> (*invoke)(CWnd* self, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* base;
    std::span<const MessageEntry> entries;
};

namespace framework_detail {
template <typename T> struct MemberClass;
template <typename R, typename C, typename... A> struct MemberClass<R (C::*)(A...)> { using type = C; };

// Adapts the handler signatures the framework knows to one calling convention.
template <auto Handler>
std::optional<LRESULT> Invoke(CWnd* self, WPARAM wParam, LPARAM lParam) {
    using C = typename MemberClass<decltype(Handler)>::type;
    C* obj = static_cast<C*>(self);
    using H = decltype(Handler);
    if constexpr (std::is_same_v<H, void (C::*)()>) {
        (obj->*Handler)();
        return 0;
    } else if constexpr (std::is_same_v<H, LRESULT (C::*)(WPARAM, LPARAM)>) {
        return (obj->*Handler)(wParam, lParam);
    } else if constexpr (std::is_same_v<H, std::optional<LRESULT> (C::*)(WPARAM, LPARAM)>) {
        return (obj->*Handler)(wParam, lParam);
    } else if constexpr (std::is_same_v<H, void (C::*)(WPARAM, LPARAM)>) {
        (obj->*Handler)(wParam, lParam);
        return 0;
    } else if constexpr (std::is_same_v<H, BOOL (C::*)(HDC)>) {
        return (obj->*Handler)(reinterpret_cast<HDC>(wParam));
    } else if constexpr (std::is_same_v<H, void (C::*)(HDROP)>) {
        (obj->*Handler)(reinterpret_cast<HDROP>(wParam));
        return 0;
    } else if constexpr (std::is_same_v<H, void (C::*)(UINT_PTR)>) {
        (obj->*Handler)(static_cast<UINT_PTR>(wParam));
        return 0;
    } else if constexpr (std::is_same_v<H, bool (C::*)(UINT, LPARAM)>) {
        // true: handled; false: the default handling takes it.
        if ((obj->*Handler)(static_cast<UINT>(wParam), lParam)) return 0;
        return std::nullopt;
    } else if constexpr (std::is_same_v<H, HCURSOR (C::*)()>) {
        return reinterpret_cast<LRESULT>((obj->*Handler)());
    } else {
        static_assert(sizeof(H) == 0, "unsupported handler signature");
    }
}
}  // namespace framework_detail

// A button command (or another notification code of a control) handled by `void C::f()`.
template <auto Handler>
constexpr MessageEntry OnCommand(UINT id, UINT code = BN_CLICKED) {
    return {WM_COMMAND, id, code, Then::Done, &framework_detail::Invoke<Handler>};
}

// A window message handled by one of the supported handler signatures.
template <auto Handler>
constexpr MessageEntry OnMessage(UINT message, Then then = Then::Done) {
    return {message, 0, 0, then, &framework_detail::Invoke<Handler>};
}

// ---------------------------------------------------------------------------------------------

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::wstring GetWindowText() const;
    static std::wstring GetWindowText(HWND hwnd);
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    void SetDlgItemText(int id, const wchar_t* text) { ::SetDlgItemTextW(m_hWnd, id, text); }
    RECT GetClientRect() const;
    int MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const;

    virtual const MessageMap* GetMessageMap() const;

    HWND m_hWnd = nullptr;

protected:
    // Looks the message up in the class's message map chain; true when an entry handled it
    // and the default handling is not wanted.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// A dialog on a template resource. Run modally (DoModal) as the program does, or modelessly
// (Create) so that a test can drive the real window from its own message loop.
class CDialogEx : public CWnd {
public:
    explicit CDialogEx(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}
    ~CDialogEx() override;

    INT_PTR DoModal();
    bool Create(HWND parent = nullptr);
    void EndDialog(int result);

    // Set once the dialog has ended, with the result it ended with.
    std::optional<int> Result() const { return m_result; }

    const MessageMap* GetMessageMap() const override;

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_parent;
    bool m_modal = false;
    std::optional<int> m_result;
};

// ---------------------------------------------------------------------------------------------

class CListCtrl : public CWnd {
public:
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    int GetItemCount() const;
    std::wstring GetItemText(int item, int subItem) const;
    bool SetItemText(int item, int subItem, const wchar_t* text);
    // A number kept with the row (its LVIF_PARAM), 0 until set.
    bool SetItemData(int item, LPARAM data);
    LPARAM GetItemData(int item) const;
    int InsertItem(int item, const wchar_t* text);
    int InsertColumn(int column, const wchar_t* heading, int format, int width);
    bool DeleteItem(int item);
    bool DeleteAllItems();
    int GetNextItem(int start, UINT flags) const;
    DWORD SetExtendedStyle(DWORD style);
    void SetRedraw(bool redraw);
};

class CComboBox : public CWnd {
public:
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    int AddString(const wchar_t* text);
    int SetCurSel(int index);
    int GetCurSel() const;
    int GetCount() const;
    std::wstring GetLBText(int index) const;
    // A number kept with the item (CB_SETITEMDATA); GetItemData gives CB_ERR for an item that is
    // not there.
    bool SetItemData(int index, LPARAM data);
    LPARAM GetItemData(int index) const;
};

// The print dialog, used only for the system's defaults (never shown by this program).
class CPrintDialog {
public:
    CPrintDialog();
    ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // Asks for the default printer without showing the dialog; false when there is none.
    bool GetDefaults();
    std::wstring GetDeviceName() const;

private:
    PRINTDLGW m_pd{};
};

// ---------------------------------------------------------------------------------------------

// Shell services the application uses: the folder browser.
class CShellManager {
public:
    // Shows the shell's folder browser owned by `owner`; the chosen folder's file-system path,
    // or nothing when the person cancelled or chose an item without such a path.
    std::optional<std::wstring> BrowseForFolder(HWND owner, const wchar_t* title, UINT flags);
};

class CWinApp {
public:
    // appName null: the executable's file name without its extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance() { return 0; }
    virtual const MessageMap* GetMessageMap() const;

    std::wstring m_appName;
    CWnd* m_pMainWnd = nullptr;
    // Made by AfxEnsureUiApartment, undone when the application's work is over.
    std::optional<ScopedCom> m_uiApartment;

protected:
    // Restart-manager support requested by the application's constructor.
    bool m_restartManagerSupport = false;
};

CWinApp* AfxGetApp();
// The UI thread's OLE apartment, made once on first need (the shell's file dialog and folder
// browser are COM objects) and kept until the application ends, so that start-up does not wait
// for COM. False when the thread's apartment cannot be had.
bool AfxEnsureUiApartment();
HWND AfxGetMainWnd();
const wchar_t* AfxGetAppName();

// The framework's entry: runs the application object's InitInstance and ends.
int AfxWinMain();
