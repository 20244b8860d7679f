#include "ui/shell_open.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <utility>

#include "framework/framework.h"

namespace shell {
namespace {
Opener& Redirected() {
    static Opener opener;
    return opener;
}
Opener& RedirectedShow() {
    static Opener shower;
    return shower;
}
}  // namespace

void Open(const std::wstring& address) {
    if (const Opener& redirected = Redirected()) {
        redirected(address);
        return;
    }
    ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

Redirect::Redirect(Opener opener) : m_previous(std::exchange(Redirected(), std::move(opener))) {}

Redirect::~Redirect() { Redirected() = std::move(m_previous); }

void ShowInFolder(const std::wstring& path) {
    if (const Opener& redirected = RedirectedShow()) {
        redirected(path);
        return;
    }
    if (!AfxEnsureUiApartment()) return;
    PIDLIST_ABSOLUTE item = nullptr;
    if (SUCCEEDED(::SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr))) {
        // The item's own absolute ID list with no children: its folder opens with it selected.
        ::SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ::CoTaskMemFree(item);
        return;
    }
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return;
    const std::wstring folder = path.substr(0, slash + 1);
    if (::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
        ::ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

RedirectShowInFolder::RedirectShowInFolder(Opener shower)
    : m_previous(std::exchange(RedirectedShow(), std::move(shower))) {}

RedirectShowInFolder::~RedirectShowInFolder() { RedirectedShow() = std::move(m_previous); }

}  // namespace shell
