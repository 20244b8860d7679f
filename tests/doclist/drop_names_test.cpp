// A drop's names are read from the shell's block in one pass; they must be exactly the names
// DragQueryFileW hands out, index by index.
#include <gtest/gtest.h>

#include <cstring>

#include "doclist/doclist.h"
#include "fixtures.h"

namespace {

std::vector<std::wstring> ByDragQueryFile(HDROP drop) {
    std::vector<std::wstring> names;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        name.resize(::DragQueryFileW(drop, i, name.data(), length + 1));
        names.push_back(name);
    }
    return names;
}

// The block older shells hand over: ANSI names.
HDROP MakeAnsiDrop(const std::vector<std::string>& names) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& n : names) bytes += n.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    char* out = reinterpret_cast<char*>(header + 1);
    for (const std::string& n : names) {
        std::memcpy(out, n.c_str(), n.size() + 1);
        out += n.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST(DroppedNames, SameAsDragQueryFile) {
    const std::wstring longName = L"C:\\" + std::wstring(300, L'n') + L".doc";
    const std::vector<std::vector<std::wstring>> drops = {
        {},
        {L"C:\\a.doc"},
        {L"C:\\a.doc", L"C:\\a.doc", L"C:\\A.doc", L"C:\\我的 文档\\报告.pptx", longName, L"x"},
    };
    for (const auto& names : drops) {
        HDROP drop = fixtures::MakeDrop(names);
        EXPECT_EQ(doclist::DroppedNames(drop), ByDragQueryFile(drop));
        if (!names.empty()) {
            EXPECT_EQ(doclist::DroppedNames(drop), names);
        }
        ::GlobalFree(drop);
    }
    HDROP ansi = MakeAnsiDrop({"C:\\one.doc", "C:\\two.xls"});
    EXPECT_EQ(doclist::DroppedNames(ansi), (std::vector<std::wstring>{L"C:\\one.doc", L"C:\\two.xls"}));
    EXPECT_EQ(doclist::DroppedNames(ansi), ByDragQueryFile(ansi));
    ::GlobalFree(ansi);
}

}  // namespace
