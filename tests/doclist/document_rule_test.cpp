// One rule decides what a document is wherever a name comes in: a drop on the window, the
// folder scan, and the print worker's turn for a row that the file dialog added. Real files in
// a temporary folder, the real window, and officesim over real COM for the printing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "automation/convert_class.h"
#include "doclist/document_kind.h"
#include "fixtures.h"
#include "framework/person.h"
#include "automation/convert_class.h"
#include "support/main_window.h"
#include "support/officesim_control.h"
#include "support/officesim_log.h"

namespace {

using fixtures::Local;
using Paths = std::vector<std::wstring>;
using Kind = std::optional<DocumentKind>;
constexpr Kind kRefused = std::nullopt;

struct Case {
    std::wstring folder;  // where it lies, under the test's temporary folder
    std::wstring name;
    bool isFolder;
    Kind kind;
};

// Long enough that the full path passes MAX_PATH, short enough for one file-system name.
const std::wstring kLongName = std::wstring(240, L'n') + L".pptx";

const Case kCases[] = {
    {L"all", L"a.doc", false, DocumentKind::Word},
    {L"all", L"B.DOCX", false, DocumentKind::Word},
    {L"all", L"c.Xls", false, DocumentKind::Excel},
    {L"all", L"d.xlsx", false, DocumentKind::Excel},
    {L"all", L"e.PPT", false, DocumentKind::PowerPoint},
    {L"all", L"f.pptx", false, DocumentKind::PowerPoint},
    {L"all", L"g.docm", false, kRefused},
    {L"all", L"h.doc.bak", false, kRefused},
    {L"all", L"i.doc.txt", false, kRefused},
    {L"all", L"mydoc", false, kRefused},
    {L"all", L"deck.xlsx.ppt", false, DocumentKind::PowerPoint},  // the last extension counts
    {L"all", L"年度 报告.docx", false, DocumentKind::Word},
    {L"all", kLongName, false, DocumentKind::PowerPoint},
    {L"all", L"old.xls", true, kRefused},                           // a folder is never a document
    {L"all\\old.xls", L"inner.doc", false, DocumentKind::Word},     // not reached by scanning "all"
    {L"dir.doc", L"sheet.xls", false, DocumentKind::Excel},
    {L"x.docs", L"setup.exe", false, kRefused},
    {L"x.docs", L"nc8-script.ppt.bat", false, kRefused},
    {L"x.docs", L"pictures", true, kRefused},
};

class DocumentRule : public testing::Test {
protected:
    void SetUp() override {
        for (const Case& c : kCases) {
            m_temp.Folder(c.folder);
            if (c.isFolder)
                m_temp.Folder(c.folder + L"\\" + c.name);
            else
                fixtures::MakeFile(PathOf(c), Local(2020, 4, 1));
        }
        ASSERT_GT((m_temp / L"all\\" + kLongName).size(), static_cast<size_t>(MAX_PATH));
    }

    std::wstring PathOf(const Case& c) const { return m_temp / c.folder + L"\\" + c.name; }

    fixtures::TempFolder m_temp{L"document rule"};
};

std::string Shown(const std::wstring& path) { return testing::PrintToString(path); }

Paths Rows(MainWindow& w) {
    Paths rows;
    for (int i = 0; i < w.RowCount(); ++i) rows.push_back(w.Cell(i, 0));
    return rows;
}

TEST_F(DocumentRule, Drop) {
    Paths dropped, accepted;
    for (const Case& c : kCases) {
        dropped.push_back(PathOf(c));
        if (c.kind) accepted.push_back(PathOf(c));
    }
    MainWindow w;
    ::SendMessageW(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(fixtures::MakeDrop(dropped)), 0);
    // Every insertion goes to the top: the last accepted name is the first row.
    std::reverse(accepted.begin(), accepted.end());
    EXPECT_EQ(Rows(w), accepted);
    EXPECT_EQ(w.CountLabel(), std::to_wstring(accepted.size()));
}

TEST_F(DocumentRule, FolderScan) {
    std::map<std::wstring, std::set<std::wstring>> expected;  // folder -> its documents
    for (const Case& c : kCases) {
        std::set<std::wstring>& documents = expected[m_temp / c.folder];
        if (c.kind) documents.insert(PathOf(c));
    }
    for (const auto& [folder, documents] : expected) {
        SCOPED_TRACE(Shown(folder));
        MainWindow w;
        person::Scripted pick(
            person::FolderBrowserAnswer([&](const person::FolderBrowserRequest&) { return std::optional(folder); }));
        w.Click(IDC_ADD_FOLDER);
        const Paths rows = Rows(w);
        EXPECT_EQ(std::set<std::wstring>(rows.begin(), rows.end()), documents);
        EXPECT_EQ(rows.size(), documents.size()) << "a path came twice";
    }
}

// The file dialog adds whatever it returns; at its turn in the run, a row that is not a
// document fails without any office server hearing of it.
TEST_F(DocumentRule, PrintRun) {
    officesim::ResetBehaviours();
    officesim::RegisterAll();
    officesim::ClearLog();
    const std::wstring userDefault = officesim::DefaultPrinter();

    Paths chosen;
    for (const Case& c : kCases) chosen.push_back(PathOf(c));
    MainWindow w;
    {
        person::Scripted pick(person::FileDialogAnswer([&](const person::FileDialogRequest&) { return std::optional(chosen); }));
        w.Click(IDC_ADD_FILES);
    }
    ASSERT_EQ(w.RowCount(), static_cast<int>(chosen.size()));
    w.Click(IDC_START);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 300000)) << "the run did not end";
    testing_ui::Pump(50);

    // Which role each path was handed to, from the first argument of officesim's calls.
    std::map<std::wstring, std::set<std::wstring>> rolesOf;
    for (const officesim::LoggedCall& call : officesim::ReadLog()) {
        if (call.args.empty()) continue;
        const std::wstring& arg = call.args[0];
        const size_t eq = arg.find(L'=');
        if (eq == std::wstring::npos) continue;
        // Microsoft PowerPoint is handed "path::password::"; no path holds "::".
        const std::wstring value = arg.substr(eq + 1);
        rolesOf[value.substr(0, value.find(L"::"))].insert(call.progId);
    }
    std::map<std::wstring, std::wstring> statusOf;
    for (int i = 0; i < w.RowCount(); ++i) statusOf[w.Cell(i, 0)] = w.Cell(i, 1);

    for (const Case& c : kCases) {
        const std::wstring path = PathOf(c);
        SCOPED_TRACE(Shown(path));
        EXPECT_EQ(statusOf[path], c.kind ? L"完成" : L"失败");
        const std::set<std::wstring> roles = rolesOf.contains(path) ? rolesOf[path] : std::set<std::wstring>{};
        if (c.kind)
            EXPECT_EQ(roles, std::set<std::wstring>{ProgIdFor(*c.kind, kSuiteMsOffice)});
        else
            EXPECT_TRUE(roles.empty()) << "an office server was asked";
    }

    EXPECT_TRUE(officesim::WaitNoServers(15000)) << "a server was left behind";
    officesim::EndServers();
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault);
}

}  // namespace
