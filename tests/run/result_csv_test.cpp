// The run's record as a spreadsheet opens it, and files written whole or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/whole_file.h"
#include "run/result_csv.h"
#include "support/files.h"

namespace {

TEST(ResultCsv, FieldsStayTextAndQuoteOnlyWhereNeeded) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"C:\\报告\\a.docx", L"C:\\报告\\a.docx"},
        {L"C:\\a,b.docx", L"\"C:\\a,b.docx\""},
        {L"C:\\say \"hi\".docx", L"\"C:\\say \"\"hi\"\".docx\""},
        {L"=cmd|' /C calc'!A0", L"'=cmd|' /C calc'!A0"},
        {L"+1", L"'+1"},
        {L"-1", L"'-1"},
        {L"@SUM(A1)", L"'@SUM(A1)"},
        {L"=a,\"b\"", L"\"'=a,\"\"b\"\"\""},
        {L"line\r\nbreak", L"\"line\r\nbreak\""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.in), c.out) << "for " << testing::PrintToString(c.in);
}

TEST(ResultCsv, WholeFileHasMarkHeaderAndOneCrlfLinePerRecord) {
    ResultRecord printed{L"C:\\a,1.docx", L"完成", L"", L"Tavrolin-A", 2, L"MS Office", {2026, 12, 5, 11, 9, 5, 7, 0},
                         L"打印机默认", L"打印机默认", L"全部"};
    ResultRecord failed{L"=x.xlsx", L"失败", L"文档需要密码", L"测试打印机", 1, L"WPS", {2026, 1, 0, 2, 23, 59, 0, 0},
                        L"双面（短边翻转）", L"黑白", L"2-5"};
    ResultRecord never{L"C:\\=b.pptx", L"未打印", L"", L"", 0, L"", {}, L"", L"", L""};
    // The first seven columns stand where they stood before the settings' three were added.
    const std::string expected =
        "\xEF\xBB\xBF"
        "文件路径,状态,原因,打印机,份数,办公软件,时间,双面,颜色,页码范围\r\n"
        "\"C:\\a,1.docx\",完成,,Tavrolin-A,2,MS Office,2026-12-11 09:05:07,打印机默认,打印机默认,全部\r\n"
        "'=x.xlsx,失败,文档需要密码,测试打印机,1,WPS,2026-01-02 23:59:00,双面（短边翻转）,黑白,2-5\r\n"
        "C:\\=b.pptx,未打印,,,,,,,,\r\n";
    EXPECT_EQ(ResultCsv({printed, failed, never}), expected);
    EXPECT_EQ(ResultFileName(SYSTEMTIME{2026, 3, 0, 4, 8, 7, 0, 0}), L"打印结果 2026-03-04 0807.csv");
}

std::vector<std::wstring> Entries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") names.push_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WholeFile, ReplacesTheTargetOrLeavesEverythingAsItWas) {
    testing_files::TempFolder folder(L"whole file");
    const std::wstring target = folder / L"结果 1.csv";
    ASSERT_EQ(WriteWholeFile(target, "first"), 0u);
    ASSERT_EQ(WriteWholeFile(target, "second, longer"), 0u);
    std::string bytes;
    ASSERT_EQ(ReadWholeFile(target, bytes), 0u);
    EXPECT_EQ(bytes, "second, longer");

    // A target that cannot be replaced (a folder stands there), and a folder that is not there:
    // an error each, and nothing new left behind.
    const std::wstring blocked = folder.Folder(L"占用.csv");
    EXPECT_NE(WriteWholeFile(blocked, "x"), 0u);
    EXPECT_NE(WriteWholeFile(folder / L"没有\\a.csv", "x"), 0u);
    EXPECT_EQ(Entries(folder.Path()), (std::vector<std::wstring>{L"占用.csv", L"结果 1.csv"}));

    // Past MAX_PATH.
    const std::wstring deep = folder.Folder(std::wstring(120, L'深') + L"\\" + std::wstring(120, L'层'));
    ASSERT_EQ(WriteWholeFile(deep + L"\\" + std::wstring(40, L'长') + L".csv", "long"), 0u);
    EXPECT_EQ(testing_files::ReadAll(deep + L"\\" + std::wstring(40, L'长') + L".csv"), "long");
}

// Writes half of what it is given, then fails as a full disk does.
BOOL WINAPI FailingHalfway(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    DWORD done = 0;
    ::WriteFile(file, data, size / 2, &done, overlapped);
    *written = done;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST(WholeFile, AWriteThatFailsPartwayLeavesTheOldFileByteForByte) {
    testing_files::TempFolder folder(L"whole file failing");
    const std::wstring target = folder / L"每周 list.txt";
    const std::string old = "\xEF\xBB\xBF" "C:\\reports\\a.docx\r\nC:\\reports\\b.xlsx\r\n";
    ASSERT_EQ(WriteWholeFile(target, old), 0u);

    FileWriteInUse() = &FailingHalfway;
    const DWORD error = WriteWholeFile(target, std::string(3u << 20, 'n'));
    FileWriteInUse() = &::WriteFile;
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
    const std::string now = testing_files::ReadAll(target);
    EXPECT_TRUE(now == old) << "the old file now holds " << now.size() << " bytes";
    EXPECT_EQ(Entries(folder.Path()), (std::vector<std::wstring>{L"每周 list.txt"})) << "a temporary file was left";
}

}  // namespace
