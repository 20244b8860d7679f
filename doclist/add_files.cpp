#include "doclist/doclist.h"
#include "doclist/document_kind.h"
#include "doclist/document_list.h"
#include "framework/file_dialog.h"

#include <shlobj.h>  // DROPFILES

namespace doclist {

bool IsDroppableName(const std::wstring& name) { return DocumentKindOf(name).has_value(); }

std::vector<std::wstring> DroppedNames(HDROP drop) {
    std::vector<std::wstring> names;
    // DragQueryFile walks the block from its start for every index, which costs the square of
    // the names in a large drop; a wide block is read here in one pass, name by name alike.
    if (const auto* header = static_cast<const BYTE*>(::GlobalLock(drop))) {
        const auto* files = reinterpret_cast<const DROPFILES*>(header);
        const SIZE_T size = ::GlobalSize(drop);
        const bool wide = size >= sizeof(DROPFILES) && files->fWide && files->pFiles < size;
        if (wide) {
            const auto* at = reinterpret_cast<const wchar_t*>(header + files->pFiles);
            const auto* end = reinterpret_cast<const wchar_t*>(header + size);
            // As DragQueryFile counts: the first name always, then one more while the character
            // after a name's NUL is not NUL itself.
            do {
                const wchar_t* start = at;
                while (at < end && *at) ++at;
                names.emplace_back(start, at);
                ++at;
            } while (at < end && *at);
        }
        ::GlobalUnlock(drop);
        if (wide) return names;
    }
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Fetched at its own length: a name past MAX_PATH must not arrive cut short.
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(static_cast<size_t>(length) + 1, L'\0');
        name.resize(::DragQueryFileW(drop, i, name.data(), length + 1));
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace doclist

void DocumentList::AddFromFileDialog() {
    CFileDialog dialog(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_ENABLESIZING,
                       doclist::kDocumentFilter, m_dialog);
    if (dialog.DoModal() == IDOK) AddNewDocuments(dialog.PathNames());
    UpdateFileCount();
}

void DocumentList::AddDropped(HDROP drop, bool refused) {
    AddNames(refused ? std::vector<std::wstring>() : doclist::DroppedNames(drop), refused);
    ::DragFinish(drop);
}

void DocumentList::AddNames(const std::vector<std::wstring>& names, bool refused) {
    // Rows keep their index for the whole of a run, so nothing may be inserted above them.
    if (!refused) {
        std::vector<std::wstring> accepted;
        for (const std::wstring& name : names)
            if (doclist::IsDroppableName(name)) accepted.push_back(name);
        AddNewDocuments(accepted);
    }
    UpdateFileCount();
}
