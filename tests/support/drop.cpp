#include "support/drop.h"

#include <shlobj.h>

#include <cstring>

namespace fixtures {

HDROP MakeDrop(const std::vector<std::wstring>& names) {
    size_t chars = 1;
    for (const auto& n : names) chars += n.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(files + 1);
    for (const auto& n : names) {
        std::memcpy(out, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
        out += n.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

bool DropAlive(HDROP drop) { return ::GlobalSize(drop) != 0; }

}  // namespace fixtures
