// The run's print settings in the window: the page range read at 开始打印 (a bad one refused with
// a box that says why), the two-sided and colour boxes following what the chosen printer can do,
// and the person's choices coming back at the next start.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/print_settings.h"
#include "automation/printer_settings.h"
#include "common/texts.h"
#include "support/main_window.h"
#include "support/program.h"
#include "support/ui.h"

namespace {

using print_settings::ParsePageRange;

TEST(PrintSettings, PageRangesAreReadOrRefusedWithWhy) {
    struct Case {
        const wchar_t* text;
        std::optional<PageRange> pages;
        const wchar_t* problem;
    };
    const Case cases[] = {
        {L"", PageRange{}, L""},
        {L"   ", PageRange{}, L""},
        {L"3", PageRange{3, 3}, L""},
        {L"2-5", PageRange{2, 5}, L""},
        {L" 2 - 5 ", PageRange{2, 5}, L""},
        {L"２－５", PageRange{2, 5}, L""},
        {L"1-9999", PageRange{1, 9999}, L""},
        {L"0", std::nullopt, texts::kPagesFromOne},
        {L"0-3", std::nullopt, texts::kPagesFromOne},
        {L"5-2", std::nullopt, texts::kPagesBackwards},
        {L"1-99999", std::nullopt, texts::kPagesTooLarge},
        {L"99999999999999999999", std::nullopt, texts::kPagesTooLarge},
        {L"a", std::nullopt, texts::kPagesNotARange},
        {L"2-", std::nullopt, texts::kPagesNotARange},
        {L"-3", std::nullopt, texts::kPagesNotARange},
        {L"1,3", std::nullopt, texts::kPagesNotARange},
        {L"2-3-4", std::nullopt, texts::kPagesNotARange},
        {L"+3", std::nullopt, texts::kPagesNotARange},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        std::wstring problem;
        const std::optional<PageRange> got = ParsePageRange(c.text, &problem);
        EXPECT_EQ(got.has_value(), c.pages.has_value());
        if (got && c.pages) {
            EXPECT_TRUE(*got == *c.pages) << got->from << "-" << got->to;
        }
        EXPECT_EQ(problem, c.problem);
    }
}

std::vector<std::wstring> Items(HWND box) { return testing_program::ComboItems(box); }

std::wstring Selected(HWND box) {
    const auto at = ::SendMessageW(box, CB_GETCURSEL, 0, 0);
    const std::vector<std::wstring> items = Items(box);
    return at >= 0 && static_cast<size_t>(at) < items.size() ? items[static_cast<size_t>(at)] : L"";
}

// Chooses `text` in a combo box as a person would: the selection, then the box's notice.
void Choose(MainWindow& w, int id, const std::wstring& text) {
    ::SendMessageW(w.item(id), CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(w.item(id)));
}

// The two-sided box once the chosen printer's capabilities have come back from their thread.
bool OffersTwoSided(MainWindow& w) {
    return testing_ui::PumpUntil([&] { return Items(w.item(IDC_DUPLEX)).size() == 4; }, 10000);
}

TEST(PrintSettings, OnlyWhatTheChosenPrinterCanDoIsOffered) {
    MainWindow w;
    // A PostScript printer with its duplexer installed, then a label printer: one side, black.
    Choose(w, IDC_PRINTER, L"Tavrolin-Duplex");
    ASSERT_TRUE(OffersTwoSided(w));
    EXPECT_EQ(Items(w.item(IDC_COLOR)), (std::vector<std::wstring>{texts::kPrinterDefaultSetting, texts::kColorColor, texts::kColorMono}));
    Choose(w, IDC_DUPLEX, texts::kDuplexLongEdge);
    Choose(w, IDC_COLOR, texts::kColorColor);

    Choose(w, IDC_PRINTER, L"Tavrolin-Label");
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return Items(w.item(IDC_DUPLEX)).size() == 2; }, 10000));
    testing_ui::Pump(500);  // no late answer of the other printer brings them back
    EXPECT_EQ(Items(w.item(IDC_DUPLEX)), (std::vector<std::wstring>{texts::kPrinterDefaultSetting, texts::kDuplexOneSided}));
    EXPECT_EQ(Items(w.item(IDC_COLOR)), (std::vector<std::wstring>{texts::kPrinterDefaultSetting, texts::kColorMono}));
    EXPECT_EQ(Selected(w.item(IDC_DUPLEX)), texts::kPrinterDefaultSetting) << "a choice the printer cannot do stayed";
    EXPECT_EQ(Selected(w.item(IDC_COLOR)), texts::kPrinterDefaultSetting);

    // Back on a printer that can: the person's choice comes back.
    Choose(w, IDC_PRINTER, L"Tavrolin-Duplex");
    ASSERT_TRUE(OffersTwoSided(w));
    EXPECT_EQ(Selected(w.item(IDC_DUPLEX)), texts::kDuplexLongEdge);
    EXPECT_EQ(Selected(w.item(IDC_COLOR)), texts::kColorColor);
}

TEST(PrintSettings, ABadPageRangeIsRefusedAtStartAndAGoodOneGoesToTheRun) {
    FakeWorker worker;
    MainWindow w;
    w.AddRows({L"C:\\settings\\a.docx"});
    for (const wchar_t* bad : {L"0", L"5-2", L"a", L"1-99999"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
        ::SetWindowTextW(w.item(IDC_PAGES), bad);
        std::wstring problem;
        ParsePageRange(bad, &problem);
        testing_ui::ModalResponder answer([](const testing_ui::ModalBox&) { return IDOK; });
        w.Click(IDC_START);
        ASSERT_EQ(answer.Boxes().size(), 1u);
        EXPECT_EQ(answer.Boxes()[0].text, texts::kBadPagesStart + std::wstring(bad) + texts::kBadPagesEnd + problem);
        EXPECT_FALSE(w.dlg().Run().Active()) << "a run started";
        EXPECT_EQ(w.Cell(0, 1), texts::kPending);
    }

    // A good range, and the two-sided and colour choices of a printer that can do both (Wine
    // says so of a queue without a driver of its own).
    Choose(w, IDC_PRINTER, L"Tavrolin-A");
    ASSERT_TRUE(OffersTwoSided(w));
    Choose(w, IDC_DUPLEX, texts::kDuplexShortEdge);
    Choose(w, IDC_COLOR, texts::kColorMono);
    ::SetWindowTextW(w.item(IDC_PAGES), L" 2-3 ");
    w.Click(IDC_START);
    ASSERT_TRUE(w.dlg().Run().Active());
    const PrintOptions& handed = FakeWorker::LastJob().options;
    EXPECT_EQ(handed.printer, L"Tavrolin-A");
    EXPECT_EQ(handed.duplex, Duplex::ShortEdge);
    EXPECT_EQ(handed.color, ColorMode::Mono);
    EXPECT_TRUE((handed.pages == PageRange{2, 3}));
    w.dlg().Run().Shutdown(1000);
}

TEST(PrintSettings, TheWindowComesBackWithTheLastChoicesOrTheDefaults) {
    const std::wstring userDefault = [] {
        MainWindow w;
        return Selected(w.item(IDC_PRINTER));
    }();
    const std::wstring other = userDefault == L"Tavrolin-A" ? L"测试打印机" : L"Tavrolin-A";
    {
        FakeWorker worker;
        MainWindow w;
        w.AddRows({L"C:\\settings\\b.docx"});
        Choose(w, IDC_PRINTER, other);
        Choose(w, IDC_COPIES, L"3");
        Choose(w, IDC_SUITE, texts::kSuiteNameWps);
        ASSERT_TRUE(OffersTwoSided(w));
        Choose(w, IDC_DUPLEX, texts::kDuplexLongEdge);
        Choose(w, IDC_COLOR, texts::kColorMono);
        ::SetWindowTextW(w.item(IDC_PAGES), L"2");
        w.Click(IDC_START);
        w.dlg().Run().Shutdown(1000);
    }
    auto put = [](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, print_settings::kSettingsKey, name, type, data, size);
    };
    for (const bool remembered : {true, false}) {
        SCOPED_TRACE(remembered ? "as left" : "damaged, and the printer gone");
        if (!remembered) {
            const DWORD huge = 9999, two = 2;
            put(L"Copies", REG_DWORD, &huge, sizeof(huge));
            put(L"Suite", REG_SZ, L"1", 4);
            put(L"Duplex", REG_BINARY, &two, 1);
            put(L"Color", REG_DWORD, &huge, sizeof(huge));
            put(L"Printer", REG_SZ, L"已经不在的打印机", 18);
        }
        MainWindow w;
        if (remembered) {
            ASSERT_TRUE(OffersTwoSided(w));
        }
        testing_ui::Pump(300);  // the capabilities of a printer that cannot do it would have come
        EXPECT_EQ(Selected(w.item(IDC_PRINTER)), remembered ? other : userDefault);
        EXPECT_EQ(Selected(w.item(IDC_COPIES)), remembered ? L"3" : L"1");
        EXPECT_EQ(Selected(w.item(IDC_SUITE)), remembered ? texts::kSuiteNameWps : texts::kSuiteNameMsOffice);
        EXPECT_EQ(Selected(w.item(IDC_DUPLEX)), remembered ? texts::kDuplexLongEdge : texts::kPrinterDefaultSetting);
        EXPECT_EQ(Selected(w.item(IDC_COLOR)), remembered ? texts::kColorMono : texts::kPrinterDefaultSetting);
        EXPECT_EQ(testing_ui::WindowText(w.item(IDC_PAGES)), L"") << "the page range is asked anew for every run";
    }
}

}  // namespace
