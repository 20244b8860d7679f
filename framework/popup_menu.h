// A shortcut menu shown where the person asked for it, waiting for their choice. A test puts a
// scripted person in front of it who reads the real menu and answers with a command.
#pragma once

#include <windows.h>

#include <functional>

namespace person {

// The command chosen from `menu`, or 0 when the menu was dismissed.
using PopupMenuAnswer = std::function<UINT(HMENU menu, HWND owner, POINT screen)>;

class ScriptedPopupMenu {
public:
    explicit ScriptedPopupMenu(PopupMenuAnswer answer);
    ~ScriptedPopupMenu();
    ScriptedPopupMenu(const ScriptedPopupMenu&) = delete;
    ScriptedPopupMenu& operator=(const ScriptedPopupMenu&) = delete;

private:
    PopupMenuAnswer m_previous;
};

}  // namespace person

// Shows `menu` at the screen point `at`, owned by `owner`, and returns the chosen command (0: none).
UINT ChooseFromPopupMenu(HMENU menu, HWND owner, POINT at);
