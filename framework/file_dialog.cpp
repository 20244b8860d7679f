#include "framework/file_dialog.h"

#include <shobjidl.h>

#include "framework/framework.h"
#include "framework/person.h"
#include "framework/scoped.h"

namespace {
FILEOPENDIALOGOPTIONS ItemDialogOptions(DWORD ofnFlags) {
    // The item dialog returns shell items; this program only deals in file-system paths.
    FILEOPENDIALOGOPTIONS options = FOS_FORCEFILESYSTEM;
    if (ofnFlags & OFN_ALLOWMULTISELECT) options |= FOS_ALLOWMULTISELECT;
    if (ofnFlags & OFN_FILEMUSTEXIST) options |= FOS_FILEMUSTEXIST;
    if (ofnFlags & OFN_PATHMUSTEXIST) options |= FOS_PATHMUSTEXIST;
    if (ofnFlags & OFN_OVERWRITEPROMPT) options |= FOS_OVERWRITEPROMPT;
    if (ofnFlags & OFN_NOCHANGEDIR) options |= FOS_NOCHANGEDIR;
    if (ofnFlags & OFN_NOVALIDATE) options |= FOS_NOVALIDATE;
    if (ofnFlags & OFN_CREATEPROMPT) options |= FOS_CREATEPROMPT;
    if (ofnFlags & OFN_SHAREAWARE) options |= FOS_SHAREAWARE;
    if (ofnFlags & OFN_NOREADONLYRETURN) options |= FOS_NOREADONLYRETURN;
    if (ofnFlags & OFN_NOTESTFILECREATE) options |= FOS_NOTESTFILECREATE;
    if (ofnFlags & OFN_DONTADDTORECENT) options |= FOS_DONTADDTORECENT;
    if (ofnFlags & OFN_FORCESHOWHIDDEN) options |= FOS_FORCESHOWHIDDEN;
    if (ofnFlags & OFN_NODEREFERENCELINKS) options |= FOS_NODEREFERENCELINKS;
    return options;
}

HRESULT AppendPath(IShellItem* item, std::vector<std::wstring>& paths) {
    CoTaskString path;
    HRESULT hr = item->GetDisplayName(SIGDN_FILESYSPATH, path.put());
    if (FAILED(hr)) return hr;
    paths.emplace_back(path.get());
    return S_OK;
}
}  // namespace

CFileDialog::CFileDialog(bool openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, HWND parent)
    : m_open(openFileDialog),
      m_defaultExtension(defaultExtension ? defaultExtension : L""),
      m_fileName(fileName ? fileName : L""),
      m_flags(flags),
      m_filter(ParseFilter(filter)),
      m_parent(parent) {}

std::vector<std::pair<std::wstring, std::wstring>> CFileDialog::ParseFilter(const wchar_t* filter) {
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    if (!filter) return entries;
    std::wstring rest(filter);
    // "Name|patterns|" pairs; an empty name ("||") ends the list.
    size_t pos = 0;
    while (pos < rest.size()) {
        size_t bar = rest.find(L'|', pos);
        if (bar == std::wstring::npos || bar == pos) break;
        size_t end = rest.find(L'|', bar + 1);
        if (end == std::wstring::npos) end = rest.size();
        entries.emplace_back(rest.substr(pos, bar - pos), rest.substr(bar + 1, end - bar - 1));
        pos = end + 1;
    }
    return entries;
}

INT_PTR CFileDialog::DoModal() {
    m_paths.clear();
    HWND owner = m_parent ? m_parent : AfxGetMainWnd();
    if (const auto* scripted = person::ScriptedFileDialog()) {
        person::FileDialogRequest request{m_open, owner, m_flags, m_filter, m_title, m_initialFolder,
                                          m_defaultExtension, m_fileName};
        auto answer = (*scripted)(request);
        if (!answer) return IDCANCEL;
        m_paths = std::move(*answer);
        return IDOK;
    }
    return SUCCEEDED(Show(owner)) ? IDOK : IDCANCEL;
}

HRESULT CFileDialog::Show(HWND owner) {
    if (!AfxEnsureUiApartment()) return CO_E_NOTINITIALIZED;
    ComPtr<IFileDialog> dialog;
    HRESULT hr = ::CoCreateInstance(m_open ? CLSID_FileOpenDialog : CLSID_FileSaveDialog, nullptr,
                                    CLSCTX_INPROC_SERVER, IID_IFileDialog, reinterpret_cast<void**>(dialog.put()));
    if (FAILED(hr)) return hr;

    FILEOPENDIALOGOPTIONS options = 0;
    hr = dialog->GetOptions(&options);
    if (FAILED(hr)) return hr;
    if (!(m_flags & OFN_ALLOWMULTISELECT)) options &= ~FOS_ALLOWMULTISELECT;
    hr = dialog->SetOptions(options | ItemDialogOptions(m_flags));
    if (FAILED(hr)) return hr;

    if (!m_filter.empty()) {
        std::vector<COMDLG_FILTERSPEC> specs;
        for (const auto& [name, patterns] : m_filter) specs.push_back({name.c_str(), patterns.c_str()});
        hr = dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
        if (FAILED(hr)) return hr;
        hr = dialog->SetFileTypeIndex(1);
        if (FAILED(hr)) return hr;
    }
    if (!m_defaultExtension.empty() && FAILED(hr = dialog->SetDefaultExtension(m_defaultExtension.c_str()))) return hr;
    if (!m_fileName.empty() && FAILED(hr = dialog->SetFileName(m_fileName.c_str()))) return hr;
    if (!m_title.empty() && FAILED(hr = dialog->SetTitle(m_title.c_str()))) return hr;
    if (!m_initialFolder.empty()) {
        ComPtr<IShellItem> folder;
        if (SUCCEEDED(::SHCreateItemFromParsingName(m_initialFolder.c_str(), nullptr, IID_IShellItem,
                                                    reinterpret_cast<void**>(folder.put()))))
            dialog->SetFolder(folder.get());
    }

    hr = dialog->Show(owner);
    if (FAILED(hr)) return hr;  // includes the person's cancel

    std::vector<std::wstring> paths;
    if (m_open) {
        ComPtr<IFileOpenDialog> open;
        hr = dialog->QueryInterface(IID_IFileOpenDialog, reinterpret_cast<void**>(open.put()));
        if (FAILED(hr)) return hr;
        ComPtr<IShellItemArray> items;
        hr = open->GetResults(items.put());
        if (FAILED(hr)) return hr;
        DWORD count = 0;
        hr = items->GetCount(&count);
        if (FAILED(hr)) return hr;
        for (DWORD i = 0; i < count; ++i) {
            ComPtr<IShellItem> item;
            if (FAILED(hr = items->GetItemAt(i, item.put()))) return hr;
            if (FAILED(hr = AppendPath(item.get(), paths))) return hr;
        }
    } else {
        ComPtr<IShellItem> item;
        if (FAILED(hr = dialog->GetResult(item.put()))) return hr;
        if (FAILED(hr = AppendPath(item.get(), paths))) return hr;
    }
    m_paths = std::move(paths);
    return S_OK;
}
