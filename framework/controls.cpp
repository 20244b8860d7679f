#include "framework/framework.h"

int CListCtrl::GetItemCount() const { return static_cast<int>(::SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring CListCtrl::GetItemText(int item, int subItem) const {
    // LVM_GETITEMTEXT cuts the text to the buffer; grow until it fits, whatever its length.
    std::wstring text;
    for (size_t size = 512;; size *= 2) {
        text.assign(size, L'\0');
        LVITEMW lvi{};
        lvi.iSubItem = subItem;
        lvi.pszText = text.data();
        lvi.cchTextMax = static_cast<int>(size);
        auto copied = static_cast<size_t>(::SendMessageW(m_hWnd, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi)));
        if (copied + 1 < size) {
            text.resize(copied);
            return text;
        }
    }
}

bool CListCtrl::SetItemText(int item, int subItem, const wchar_t* text) {
    LVITEMW lvi{};
    lvi.iSubItem = subItem;
    lvi.pszText = const_cast<wchar_t*>(text);
    return ::SendMessageW(m_hWnd, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi)) != 0;
}

bool CListCtrl::SetItemData(int item, LPARAM data) {
    LVITEMW lvi{};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = item;
    lvi.lParam = data;
    return ::SendMessageW(m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) != 0;
}

LPARAM CListCtrl::GetItemData(int item) const {
    LVITEMW lvi{};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = item;
    return ::SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) ? lvi.lParam : 0;
}

int CListCtrl::InsertItem(int item, const wchar_t* text) {
    LVITEMW lvi{};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = item;
    lvi.pszText = const_cast<wchar_t*>(text);
    return static_cast<int>(::SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
}

int CListCtrl::InsertColumn(int column, const wchar_t* heading, int format, int width) {
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<wchar_t*>(heading);
    col.iSubItem = column;
    return static_cast<int>(::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col)));
}

bool CListCtrl::DeleteItem(int item) { return ::SendMessageW(m_hWnd, LVM_DELETEITEM, item, 0) != 0; }
bool CListCtrl::DeleteAllItems() { return ::SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0) != 0; }

int CListCtrl::GetNextItem(int start, UINT flags) const {
    return static_cast<int>(::SendMessageW(m_hWnd, LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(::SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
}

void CListCtrl::SetRedraw(bool redraw) {
    ::SendMessageW(m_hWnd, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (redraw) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

// ---------------------------------------------------------------------------------------------

int CComboBox::AddString(const wchar_t* text) {
    return static_cast<int>(::SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int CComboBox::SetCurSel(int index) { return static_cast<int>(::SendMessageW(m_hWnd, CB_SETCURSEL, index, 0)); }
int CComboBox::GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
bool CComboBox::SetItemData(int index, LPARAM data) {
    return ::SendMessageW(m_hWnd, CB_SETITEMDATA, index, data) != CB_ERR;
}

LPARAM CComboBox::GetItemData(int index) const { return ::SendMessageW(m_hWnd, CB_GETITEMDATA, index, 0); }

int CComboBox::GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }

std::wstring CComboBox::GetLBText(int index) const {
    LRESULT length = ::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(m_hWnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// ---------------------------------------------------------------------------------------------

CPrintDialog::CPrintDialog() { m_pd.lStructSize = sizeof(m_pd); }

CPrintDialog::~CPrintDialog() {
    if (m_pd.hDevMode) ::GlobalFree(m_pd.hDevMode);
    if (m_pd.hDevNames) ::GlobalFree(m_pd.hDevNames);
}

bool CPrintDialog::GetDefaults() {
    m_pd.Flags = PD_RETURNDEFAULT;
    m_pd.hwndOwner = nullptr;
    return ::PrintDlgW(&m_pd) != FALSE;
}

std::wstring CPrintDialog::GetDeviceName() const {
    if (!m_pd.hDevNames) return {};
    auto* names = static_cast<DEVNAMES*>(::GlobalLock(m_pd.hDevNames));
    if (!names) return {};
    std::wstring device(reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset);
    ::GlobalUnlock(m_pd.hDevNames);
    return device;
}
