// Decisions of the document list that need no window.
#pragma once

#include <utility>

// Widths of the path and status columns for a list whose client area is `clientWidth` pixels:
// 85 % and 15 %, truncated toward zero.
std::pair<int, int> DocumentColumnWidths(int clientWidth);
