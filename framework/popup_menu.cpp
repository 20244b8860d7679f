#include "framework/popup_menu.h"

#include <utility>

namespace person {
namespace {
PopupMenuAnswer& Scripted() {
    static PopupMenuAnswer answer;
    return answer;
}
}  // namespace

ScriptedPopupMenu::ScriptedPopupMenu(PopupMenuAnswer answer) : m_previous(std::exchange(Scripted(), std::move(answer))) {}

ScriptedPopupMenu::~ScriptedPopupMenu() { Scripted() = std::move(m_previous); }

}  // namespace person

UINT ChooseFromPopupMenu(HMENU menu, HWND owner, POINT at) {
    if (const person::PopupMenuAnswer& scripted = person::Scripted()) return scripted(menu, owner, at);
    // The owner must be in front, or the menu does not go away when the person clicks elsewhere.
    ::SetForegroundWindow(owner);
    const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY |
                       (::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
    const UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(menu, flags, at.x, at.y, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return chosen;
}
