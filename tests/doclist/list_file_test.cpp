// A list file's entries as they are read back: encodings, hand-typed lines and relative paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/texts.h"
#include "doclist/list_file.h"
#include "support/files.h"

namespace {

using doclist::ListEntry;
using doclist::ListFileBytes;
using doclist::ListFileEntries;
using doclist::ListFilePaths;

TEST(ListFile, EncodingsAndHandTypedLinesReadTheSame) {
    const std::vector<std::wstring> expected{L"D:\\报告\\一 月.docx", L"D:\\表格.xlsx"};
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF" "D:\\\xE6\x8A\xA5\xE5\x91\x8A\\\xE4\xB8\x80 \xE6\x9C\x88.docx\r\nD:\\\xE8\xA1\xA8\xE6\xA0\xBC.xlsx\r\n"},
        {"UTF-8 without, LF lines", "D:\\\xE6\x8A\xA5\xE5\x91\x8A\\\xE4\xB8\x80 \xE6\x9C\x88.docx\nD:\\\xE8\xA1\xA8\xE6\xA0\xBC.xlsx"},
        {"UTF-16 with its mark", testing_files::Utf16WithMark(L"D:\\报告\\一 月.docx\r\nD:\\表格.xlsx\r\n")},
        // GBK, as an older Notepad on a Chinese system saves it (the system's ANSI page here).
        {"GBK", "D:\\\xB1\xA8\xB8\xE6\\\xD2\xBB \xD4\xC2.docx\r\nD:\\\xB1\xED\xB8\xF1.xlsx\r\n"},
        {"blank lines, spaces and quotes", "\r\n  \"D:\\\xE6\x8A\xA5\xE5\x91\x8A\\\xE4\xB8\x80 \xE6\x9C\x88.docx\"  \r\n\t\r\n \" D:\\\xE8\xA1\xA8\xE6\xA0\xBC.xlsx \"\r\n\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ListFilePaths(ListFileEntries(c.bytes, L"C:\\lists")), expected) << c.what;
}

TEST(ListFile, RelativePathsAreTakenFromTheListsFolderAndItsDrive) {
    const std::string bytes = "a.docx\r\nsub\\b.xlsx\r\n..\\c.pptx\r\nE:\\d.doc\r\n\\\\server\\share\\e.xls\r\n"
                              "\\dir\\f.docx\r\n/g.ppt\r\nE:h.docx\r\nD:\r\n";
    const wchar_t* driveRelative = texts::kSkippedDriveRelative;
    const struct {
        const wchar_t* listFolder;
        std::vector<ListEntry> expected;
    } cases[] = {
        {L"D:\\lists\\weekly",
         {{L"D:\\lists\\weekly\\a.docx"}, {L"D:\\lists\\weekly\\sub\\b.xlsx"}, {L"D:\\lists\\c.pptx"}, {L"E:\\d.doc"},
          {L"\\\\server\\share\\e.xls"}, {L"D:\\dir\\f.docx"}, {L"D:\\g.ppt"}, {L"E:h.docx", driveRelative},
          {L"D:", driveRelative}}},
        // A list on a share: the root is the share's.
        {L"\\\\nas\\team\\lists",
         {{L"\\\\nas\\team\\lists\\a.docx"}, {L"\\\\nas\\team\\lists\\sub\\b.xlsx"}, {L"\\\\nas\\team\\c.pptx"},
          {L"E:\\d.doc"}, {L"\\\\server\\share\\e.xls"}, {L"\\\\nas\\team\\dir\\f.docx"}, {L"\\\\nas\\team\\g.ppt"},
          {L"E:h.docx", driveRelative}, {L"D:", driveRelative}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.listFolder)));
        const std::vector<ListEntry> entries = ListFileEntries(bytes, c.listFolder);
        ASSERT_EQ(entries.size(), c.expected.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].path, c.expected[i].path) << i;
            // The words, not where they are kept: each library may keep its own copy.
            auto why = [](const ListEntry& e) { return std::wstring(e.refused ? e.refused : L""); };
            EXPECT_EQ(why(entries[i]), why(c.expected[i])) << i;
        }
    }
}

// A line that does not come out as a full path to a file (drive and folders, or a share) is
// refused with why, never handed on as a path it is not.
TEST(ListFile, LinesThatMakeNoFullPathAreRefused) {
    const std::wstring lines[] = {
        L"\\\\server",  // a server without a share
        L"\\\\?\\UNC\\server",
        L"C:\\a\\...\\y.doc",  // made full, it still holds a ".." that names another folder
        L"\\\\.\\COM1",        // devices, not files
        L"nul",
    };
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    const std::vector<ListEntry> entries = ListFileEntries(testing_files::Utf16WithMark(text), L"D:\\lists");
    ASSERT_EQ(entries.size(), std::size(lines));
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(std::wstring(entries[i].refused ? entries[i].refused : L""), texts::kSkippedNotAPath)
            << i << ": " << testing::PrintToString(entries[i].path);
        EXPECT_EQ(entries[i].path, lines[i]) << i;
    }
}

TEST(ListFile, WhatIsWrittenReadsBackUnchanged) {
    std::vector<std::wstring> paths{L"C:\\a b\\文档, 1.docx", L"C:\\" + std::wstring(300, L'长') + L".xlsx"};
    const std::string bytes = ListFileBytes(paths);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find("\r\n"), std::string::npos);
    EXPECT_EQ(ListFilePaths(ListFileEntries(bytes, L"D:\\elsewhere")), paths);
}

}  // namespace
