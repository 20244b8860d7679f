// The file-open and file-save dialog in its Vista-style form, on the common item dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <utility>
#include <vector>

class CFileDialog {
public:
    // `filter` uses the framework's notation: "Name|patterns|Name|patterns||".
    CFileDialog(bool openFileDialog, const wchar_t* defaultExtension = nullptr, const wchar_t* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* filter = nullptr,
                HWND parent = nullptr);

    // IDOK with the chosen paths in PathNames(), or IDCANCEL.
    INT_PTR DoModal();

    // Every chosen file as a full path, in the order the dialog returned them. The common item
    // dialog hands them over one by one, so no selection buffer limits their number or length.
    const std::vector<std::wstring>& PathNames() const { return m_paths; }

    void SetTitle(std::wstring title) { m_title = std::move(title); }
    void SetInitialFolder(std::wstring folder) { m_initialFolder = std::move(folder); }

    static std::vector<std::pair<std::wstring, std::wstring>> ParseFilter(const wchar_t* filter);

private:
    HRESULT Show(HWND owner);

    bool m_open;
    std::wstring m_defaultExtension;
    std::wstring m_fileName;
    DWORD m_flags;
    std::vector<std::pair<std::wstring, std::wstring>> m_filter;
    HWND m_parent;
    std::wstring m_title;
    std::wstring m_initialFolder;
    std::vector<std::wstring> m_paths;
};
