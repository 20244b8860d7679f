#include "ui/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>

namespace shell {
namespace {
Opener& Redirected() {
    static Opener opener;
    return opener;
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

}  // namespace shell
