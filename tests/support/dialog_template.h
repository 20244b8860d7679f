// Reads an extended dialog template (DIALOGEX) from the test program's resources, so tests
// can compare a template with the table it was built from.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_ui {

struct TemplateItem {
    DWORD id = 0;
    std::wstring windowClass;  // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" for atoms
    std::wstring title;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0, exStyle = 0;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

// Empty template (no items, zero size) when the resource is missing or not a DIALOGEX.
DialogTemplate LoadDialogTemplate(UINT id);

}  // namespace testing_ui
