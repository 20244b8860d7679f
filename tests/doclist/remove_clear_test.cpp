// "移除文件", "清空列表" and the Delete key, with their message boxes answered on the real boxes.
#include <gtest/gtest.h>

#include "support/main_window.h"

namespace {

using testing_ui::ModalBox;
using testing_ui::ModalResponder;

void Select(MainWindow& w, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

std::vector<std::wstring> Rows(MainWindow& w) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < w.RowCount(); ++i) rows.push_back(w.Cell(i, 0));
    return rows;
}

struct ExpectedBox {
    std::wstring text;
    bool cancel;  // OK/Cancel rather than OK alone
};

TEST(RemoveClear, EveryMessageWithItsButtonsAndEffect) {
    const std::vector<std::wstring> three{L"C:\\c.doc", L"C:\\b.xls", L"C:\\a.ppt"};
    struct Case {
        const char* name;
        int command;
        bool filled;
        int selected;  // -1: none
        int answer;
        std::vector<ExpectedBox> boxes;
        std::vector<std::wstring> rowsAfter;
    } cases[] = {
        {"remove, none selected", IDC_REMOVE_FILE, true, -1, IDOK, {{L"请选择一项", false}}, three},
        {"remove, OK", IDC_REMOVE_FILE, true, 1, IDOK, {{L"确定移除吗", true}, {L"移除成功", false}},
         {L"C:\\c.doc", L"C:\\a.ppt"}},
        {"remove, Cancel", IDC_REMOVE_FILE, true, 1, IDCANCEL, {{L"确定移除吗", true}}, three},
        {"clear, empty", IDC_CLEAR_LIST, false, -1, IDOK, {{L"无可清理文件", false}}, {}},
        {"clear, OK", IDC_CLEAR_LIST, true, -1, IDOK, {{L"确定清空列表吗", true}, {L"清空成功", false}}, {}},
        {"clear, Cancel", IDC_CLEAR_LIST, true, 0, IDCANCEL, {{L"确定清空列表吗", true}}, three},
        {"remove, empty list", IDC_REMOVE_FILE, false, -1, IDCANCEL, {{L"请选择一项", false}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow w;
        if (c.filled) w.AddRows({L"C:\\a.ppt", L"C:\\b.xls", L"C:\\c.doc"});
        if (c.selected >= 0) Select(w, c.selected);
        ModalResponder person([&](const ModalBox&) { return c.answer; });
        w.Click(c.command);

        ASSERT_EQ(person.Boxes().size(), c.boxes.size());
        for (size_t i = 0; i < c.boxes.size(); ++i) {
            const ModalBox& box = person.Boxes()[i];
            EXPECT_EQ(box.text, c.boxes[i].text);
            EXPECT_EQ(box.caption, L"test_doclist");
            EXPECT_EQ(box.owner, w.hwnd());
            EXPECT_FALSE(box.hasIcon);
            const std::vector<int> buttons = c.boxes[i].cancel ? std::vector<int>{IDOK, IDCANCEL} : std::vector<int>{IDOK};
            EXPECT_EQ(box.buttonIds, buttons);
        }
        EXPECT_EQ(Rows(w), c.rowsAfter);
        EXPECT_EQ(w.CountLabel(), std::to_wstring(c.rowsAfter.size()));
    }
}

TEST(RemoveClear, RemoveTakesTheFirstSelectedRowOnly) {
    MainWindow w;
    w.AddRows({L"C:\\6.doc", L"C:\\5.doc", L"C:\\4.doc", L"C:\\3.doc", L"C:\\2.doc", L"C:\\1.doc"});
    ASSERT_EQ(w.Cell(2, 0), L"C:\\3.doc");
    Select(w, 5);
    Select(w, 2);
    ::SetFocus(w.item(IDC_START));  // the selection counts without the focus
    ModalResponder person([](const ModalBox&) { return IDOK; });
    w.Click(IDC_REMOVE_FILE);
    EXPECT_EQ(Rows(w), (std::vector<std::wstring>{L"C:\\1.doc", L"C:\\2.doc", L"C:\\4.doc", L"C:\\5.doc", L"C:\\6.doc"}));
    EXPECT_EQ(::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_GETNEXTITEM, -1, LVNI_SELECTED), 4);
    EXPECT_EQ(w.CountLabel(), L"5");
}

TEST(RemoveClear, SuccessBoxShowsAfterTheDeletionBeforeTheRefresh) {
    struct Case {
        int command;
        const wchar_t* success;
        int rowsWhileOpen;
        const wchar_t* labelWhileOpen;
        const wchar_t* labelAfter;
    } cases[] = {
        {IDC_REMOVE_FILE, L"移除成功", 2, L"3", L"2"},
        {IDC_CLEAR_LIST, L"清空成功", 0, L"3", L"0"},
    };
    for (const Case& c : cases) {
        MainWindow w;
        w.AddRows({L"C:\\a.doc", L"C:\\b.doc", L"C:\\c.doc"});
        Select(w, 0);
        int rowsSeen = -1;
        std::wstring labelSeen;
        ModalResponder person([&](const ModalBox& box) {
            if (box.text == c.success) {
                rowsSeen = w.RowCount();
                labelSeen = w.CountLabel();
            }
            return IDOK;
        });
        w.Click(c.command);
        EXPECT_EQ(rowsSeen, c.rowsWhileOpen) << c.success;
        EXPECT_EQ(labelSeen, c.labelWhileOpen) << c.success;
        EXPECT_EQ(w.CountLabel(), c.labelAfter) << c.success;
    }
}

TEST(RemoveClear, RemovingTheOnlyRowLeavesZero) {
    MainWindow w;
    w.AddRows({L"C:\\only.doc"});
    Select(w, 0);
    ModalResponder person([](const ModalBox&) { return IDOK; });
    w.Click(IDC_REMOVE_FILE);
    EXPECT_EQ(w.RowCount(), 0);
    EXPECT_EQ(w.CountLabel(), L"0");
}

TEST(DeleteKey, AsksAsTheRemoveButtonDoesAndNotDuringARun) {
    MainWindow w;
    w.AddRows({L"C:\\a.ppt", L"C:\\b.xls", L"C:\\c.doc"});
    HWND list = w.item(IDC_DOCUMENT_LIST);
    auto press = [&](UINT key) {
        ::SetFocus(list);
        ::SendMessageW(list, WM_KEYDOWN, key, 0);
        ::SendMessageW(list, WM_KEYUP, key, 0xC0000001);
    };
    auto texts = [](const ModalResponder& person) {
        std::vector<std::wstring> seen;
        for (const ModalBox& box : person.Boxes()) seen.push_back(box.text);
        return seen;
    };
    auto select = [&](int row) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    };

    {
        ModalResponder person([](const ModalBox&) { return IDOK; });
        press(VK_DELETE);
        EXPECT_EQ(texts(person), (std::vector<std::wstring>{L"请选择一项"})) << "nothing selected";
    }
    select(1);
    {
        ModalResponder person([](const ModalBox&) { return IDCANCEL; });
        press(VK_DELETE);
        EXPECT_EQ(texts(person), (std::vector<std::wstring>{L"确定移除吗"}));
        EXPECT_EQ(w.RowCount(), 3);
    }
    {
        ModalResponder person([](const ModalBox&) { return IDOK; });
        press(VK_BACK);
        press(VK_INSERT);
        EXPECT_TRUE(person.Boxes().empty()) << "only Delete removes";
        press(VK_DELETE);
        ASSERT_EQ(texts(person), (std::vector<std::wstring>{L"确定移除吗", L"移除成功"}));
        EXPECT_EQ(person.Boxes()[0].owner, w.hwnd());
        EXPECT_EQ(Rows(w), (std::vector<std::wstring>{L"C:\\c.doc", L"C:\\a.ppt"}));
        EXPECT_EQ(w.CountLabel(), L"2");
    }

    {
        FakeWorker worker;
        w.Click(IDC_START);
    }
    ASSERT_TRUE(w.dlg().Run().Active());
    select(0);
    {
        ModalResponder person([](const ModalBox&) { return IDOK; });
        press(VK_DELETE);
        EXPECT_TRUE(person.Boxes().empty()) << "refused during a run, as the disabled button is";
        EXPECT_EQ(w.RowCount(), 2);
    }
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
}

}  // namespace
