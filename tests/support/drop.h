// Drops built the way the shell builds them, for WM_DROPFILES in tests.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace fixtures {

// DROPFILES followed by the wide names, each ended by a NUL, the list ended by a second NUL.
HDROP MakeDrop(const std::vector<std::wstring>& names);
// True while `drop` has not been released.
bool DropAlive(HDROP drop);

}  // namespace fixtures
