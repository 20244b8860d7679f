// The print run end to end: the Start command, the worker on its own thread, officesim over
// real COM as the office suite and the CUPS capture queues as the printers.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "common/texts.h"
#include "run/busy_indicator.h"
#include "run/outcome_text.h"
#include "run/print_worker.h"
#include "run/taskbar.h"
#include "support/drop.h"
#include "support/files.h"
#include "support/main_window.h"
#include "support/officesim_control.h"
#include "support/officesim_log.h"
#include "support/spool_capture.h"

namespace fs = std::filesystem;
using testing_ui::ModalBox;
using testing_ui::ModalResponder;

namespace {

TEST(PrintWorker, BusyIndicatorGeometry) {
    const BusyIndicatorGeometry g = BusyIndicatorAt(617, 555);
    EXPECT_EQ(g.anchor.x, 462);
    EXPECT_EQ(g.anchor.y, 471);
    const RECT squares[3] = {{467, 481, 487, 501}, {492, 481, 512, 501}, {517, 481, 537, 501}};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(::EqualRect(&g.squares[i], &squares[i])) << i;
    EXPECT_EQ(g.label.x, 542);
    EXPECT_EQ(g.label.y, 481);
    const RECT area{462, 471, 622, 516};
    EXPECT_TRUE(::EqualRect(&g.area, &area));
}

// Collects the progress messages a worker posts, in order.
class ProgressSink {
public:
    ProgressSink() : m_wnd(std::make_unique<CWnd>()) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ProgressSink";
        ::RegisterClassW(&wc);
        m_wnd->m_hWnd = ::CreateWindowW(L"ProgressSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrW(m_wnd->m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressSink() { ::DestroyWindow(m_wnd->m_hWnd); }
    CWnd* window() { return m_wnd.get(); }
    std::vector<std::pair<long long, LPARAM>> messages;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_PRINT_PROGRESS) {
            auto* self = reinterpret_cast<ProgressSink*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
            self->messages.emplace_back(static_cast<long long>(static_cast<INT_PTR>(w)), l);
            return 0;
        }
        return ::DefWindowProcW(h, m, w, l);
    }
    std::unique_ptr<CWnd> m_wnd;
};

TEST(PrintWorker, PostsOneMessagePerEntryThenTheEnd) {
    // Names of no kind print nothing, so this needs no office suite; each is "not printed".
    for (size_t n : {0u, 1u, 5u}) {
        SCOPED_TRACE(n);
        PrintJob job;
        for (size_t i = 0; i < n; ++i) job.paths.push_back(L"C:\\none\\notes" + std::to_wstring(i) + L".txt");
        ProgressSink sink;
        PrintWorker worker;
        ASSERT_TRUE(worker.Start(std::move(job), sink.window()->GetSafeHwnd()));
        ASSERT_TRUE(testing_ui::PumpUntil([&] { return !sink.messages.empty() && sink.messages.back().first == -1; }, 10000));
        EXPECT_TRUE(worker.Join(5000));
        EXPECT_FALSE(worker.Running());
        testing_ui::Pump(20);
        ASSERT_EQ(sink.messages.size(), n + 1);
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(sink.messages[i].first, static_cast<long long>(i));
            EXPECT_EQ(sink.messages[i].second, static_cast<LPARAM>(PrintOutcome::NotADocument));
        }
        EXPECT_EQ(sink.messages[n].second, 0);
    }
}

// ---------------------------------------------------------------------------------------------

bool IsEnabled(MainWindow& w, int id) { return ::IsWindowEnabled(w.item(id)) != FALSE; }

void Select(MainWindow& w, int box, const std::wstring& text) {
    LRESULT i = ::SendMessageW(w.item(box), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(i, CB_ERR) << testing::PrintToString(text);
    ::SendMessageW(w.item(box), CB_SETCURSEL, i, 0);
}

bool WaitForRunEnd(MainWindow& w) {
    return testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 120000);
}

constexpr int kLocked[] = {IDC_ADD_FILES, IDC_REMOVE_FILE, IDC_CLEAR_LIST, IDC_START, IDC_ADD_FOLDER, IDC_COPIES};

class PrintRun : public testing::Test {
protected:
    void SetUp() override {
        officesim::ResetBehaviours();
        officesim::RegisterAll();
        officesim::ClearLog();
        userDefault = officesim::DefaultPrinter();
        ASSERT_FALSE(userDefault.empty());
    }
    void TearDown() override {
        officesim::ResetBehaviours();
        EXPECT_TRUE(officesim::WaitNoServers(15000)) << "a server was left behind";
        officesim::EndServers();
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault) << "the run left the default printer changed";
        officesim::SetDefaultPrinter(userDefault);
    }
    std::wstring userDefault;
};

TEST_F(PrintRun, BothSuitesEndToEnd) {
    const std::wstring token = testing_files::UniquePart();
    const testing_files::TempFolder folder(L"运行 测试");
    const std::wstring chosen = userDefault == L"Tavrolin-A" ? L"测试打印机" : L"Tavrolin-A";
    for (const wchar_t* role : {L"kWps.Application", L"Word.Application"}) {
        officesim::Behaviour b;
        b.failOpenMarker = L"BROKEN";
        officesim::SetBehaviour(role, b);
    }

    MainWindow w;
    const std::wstring docx = folder.File(L"报告 " + token + L".docx");
    const std::wstring xlsx = folder.File(L"budget_" + token + L".xlsx");
    const std::wstring pptx = folder.File(L"deck_" + token + L".pptx");
    const std::wstring upper = folder.File(L"REPORT_" + token + L".DOC");
    const std::wstring broken = folder.File(L"BROKEN_" + token + L".docx");
    const std::wstring gone = folder / (L"gone_" + token + L".xls");
    // Inserted bottom-up, so the run prints them in this order.
    for (const auto& p : {gone, broken, upper, pptx, xlsx, docx}) w.dlg().Documents().InsertDocument(p);
    w.dlg().Documents().UpdateFileCount();
    const std::map<std::wstring, const wchar_t*> expectedStatus = {
        {docx, L"完成"}, {xlsx, L"完成"}, {pptx, L"完成"}, {upper, L"完成"}, {broken, L"失败"}, {gone, L"失败"},
    };

    struct Round { const wchar_t* suite; const wchar_t* word; const wchar_t* excel; const wchar_t* ppt; int copies; };
    const Round rounds[] = {
        {L"WPS", L"kWps.Application", L"ket.Application", L"kwpp.Application", 3},
        {L"MS Office", L"Word.Application", L"Excel.Application", L"PowerPoint.Application", 1},
    };
    size_t jobsBefore = 0;
    for (const Round& r : rounds) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(r.suite)));
        officesim::ClearLog();
        Select(w, IDC_SUITE, r.suite);
        Select(w, IDC_PRINTER, chosen);
        Select(w, IDC_COPIES, std::to_wstring(r.copies));
        w.Click(IDC_START);

        ASSERT_TRUE(w.dlg().Run().Active());
        for (int i = 0; i < w.RowCount(); ++i) EXPECT_EQ(w.Cell(i, 1), L"待处理") << "Start resets row " << i;
        for (int id : kLocked) EXPECT_FALSE(IsEnabled(w, id)) << "locked during the run: " << id;
        for (int id : {IDC_PRINTER, IDC_SUITE, IDC_ABOUT, IDC_VISIT_WEBSITE, IDC_DOCUMENT_LIST})
            EXPECT_TRUE(IsEnabled(w, id)) << "usable during the run: " << id;

        // Changing the settings or dropping a file during the run changes nothing of it.
        Select(w, IDC_SUITE, std::wstring(r.suite) == L"WPS" ? L"MS Office" : L"WPS");
        Select(w, IDC_PRINTER, userDefault);
        const std::wstring late = folder.File(L"late_" + token + L".docx");
        ::SendMessageW(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(fixtures::MakeDrop({late})), 0);
        EXPECT_EQ(w.RowCount(), 6) << "a drop during a run adds nothing";

        ASSERT_TRUE(WaitForRunEnd(w));
        testing_ui::Pump(50);
        for (int id : kLocked) EXPECT_TRUE(IsEnabled(w, id)) << "enabled after the run: " << id;
        for (int i = 0; i < w.RowCount(); ++i)
            EXPECT_EQ(w.Cell(i, 1), expectedStatus.at(w.Cell(i, 0))) << testing::PrintToString(w.Cell(i, 0));
        // A failed row says why; a printed one has nothing to say.
        const std::map<std::wstring, std::wstring> expectedReason = {
            {docx, L""}, {xlsx, L""}, {pptx, L""}, {upper, L""},
            {broken, OutcomeReason(PrintOutcome::Failed)}, {gone, OutcomeReason(PrintOutcome::FileUnreadable)},
        };
        for (int i = 0; i < w.RowCount(); ++i)
            EXPECT_EQ(w.dlg().Documents().ReasonAt(i), expectedReason.at(w.Cell(i, 0))) << i;

        // Exactly the four printed documents reached the spooler, on the printers of Start; the
        // upper-case name is a Word document like any other.
        std::vector<spool::Job> jobs = spool::WaitForJobs(token, jobsBefore + 4, 30000);
        testing_ui::Pump(500);
        jobs = spool::FindJobs(token);
        ASSERT_EQ(jobs.size(), jobsBefore + 4);
        std::sort(jobs.begin(), jobs.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
        // Presentations too print on the chosen printer.
        const std::wstring expectQueue[] = {chosen, chosen, chosen, chosen};
        const std::wstring expectTitle[] = {fs::path(docx).filename().wstring(), fs::path(xlsx).filename().wstring(),
                                            fs::path(pptx).filename().wstring(), fs::path(upper).filename().wstring()};
        for (size_t k = 0; k < 4; ++k) {
            const spool::Job& j = jobs[jobsBefore + k];
            EXPECT_EQ(j.queue, expectQueue[k]) << k;
            EXPECT_NE(j.title.find(expectTitle[k]), std::wstring::npos) << testing::PrintToString(j.title);
            EXPECT_EQ(j.copies, r.copies) << k;
        }
        jobsBefore += 4;

        // The suite of Start did the printing: only its servers were called.
        std::map<std::wstring, int> roles;
        for (const auto& call : officesim::ReadLog()) ++roles[call.progId];
        for (const auto& [role, count] : roles)
            EXPECT_TRUE(role == r.word || role == r.excel || role == r.ppt) << testing::PrintToString(role);
        EXPECT_GT(roles[r.word], 0);
        EXPECT_GT(roles[r.excel], 0);
        EXPECT_GT(roles[r.ppt], 0);
        EXPECT_EQ(officesim::DefaultPrinter(), userDefault);
    }
}

TEST_F(PrintRun, EmptyListIsRefused) {
    MainWindow w;
    ModalResponder ok([](const ModalBox&) { return IDOK; });
    w.Click(IDC_START);
    testing_ui::Pump(100);
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, L"无可转换的文件");
    EXPECT_EQ(ok.Boxes()[0].caption, AfxGetAppName());
    EXPECT_EQ(ok.Boxes()[0].buttonIds, std::vector<int>{IDOK});
    EXPECT_FALSE(ok.Boxes()[0].hasIcon);
    EXPECT_FALSE(w.dlg().Run().Active());
    for (int id : kLocked) EXPECT_TRUE(IsEnabled(w, id));
    EXPECT_FALSE(::KillTimer(w.hwnd(), 1)) << "no busy timer runs";
}

TEST_F(PrintRun, AWorkerThatCannotStartLeavesTheWindowAsItWas) {
    MainWindow w;
    w.AddRows({L"C:\\x\\a.docx", L"C:\\x\\b.xlsx"});
    ModalResponder ok([](const ModalBox&) { return IDOK; });
    {
        FakeWorker cannotStart(false);
        w.Click(IDC_START);
    }
    testing_ui::Pump(100);
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_NE(ok.Boxes()[0].text.find(L"无法启动打印"), std::wstring::npos);
    EXPECT_FALSE(w.dlg().Run().Active());
    for (int id : kLocked) EXPECT_TRUE(IsEnabled(w, id));
    for (int i = 0; i < w.RowCount(); ++i) EXPECT_EQ(w.Cell(i, 1), L"待处理");
    EXPECT_FALSE(::KillTimer(w.hwnd(), 1)) << "the busy timer was stopped";
}

// ---------------------------------------------------------------------------------------------

std::vector<COLORREF> Capture(HWND hwnd, const RECT rects[3]) {
    std::vector<COLORREF> colors;
    HDC dc = ::GetDC(hwnd);
    for (int i = 0; i < 3; ++i) colors.push_back(::GetPixel(dc, (rects[i].left + rects[i].right) / 2, (rects[i].top + rects[i].bottom) / 2));
    ::ReleaseDC(hwnd, dc);
    return colors;
}

TEST_F(PrintRun, BusyIndicatorMovesAndIsClearedAtTheEnd) {
    MainWindow w;
    // A document the worker passes over at once keeps the run short; the ticks are driven
    // by hand so the test does not wait for real seconds.
    w.AddRows({L"C:\\x\\notes.txt"});
    RECT rc{};
    ::GetClientRect(w.hwnd(), &rc);
    const BusyIndicatorGeometry g = BusyIndicatorAt(rc.right, rc.bottom);
    const COLORREF black = RGB(0, 0, 0), magenta = RGB(255, 0, 255);

    {
        FakeWorker worker;  // the run stays open until the test ends it
        w.Click(IDC_START);
    }
    ASSERT_TRUE(w.dlg().Run().Active());

    const int blackAt[] = {0, 1, 2, 0, 1};
    for (int step = 0; step < 5; ++step) {
        ::SendMessageW(w.hwnd(), WM_TIMER, 1, 0);
        std::vector<COLORREF> c = Capture(w.hwnd(), g.squares);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(c[i], i == blackAt[step] ? black : magenta) << "step " << step << " square " << i;
    }
    // A finished document starts the black square on the left again.
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 0, static_cast<LPARAM>(PrintOutcome::NotADocument));
    ::SendMessageW(w.hwnd(), WM_TIMER, 1, 0);
    EXPECT_EQ(Capture(w.hwnd(), g.squares)[0], black);
    EXPECT_EQ(w.Cell(0, 1), L"失败");

    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    for (COLORREF c : Capture(w.hwnd(), g.squares)) EXPECT_EQ(c, RGB(240, 240, 240));
    EXPECT_FALSE(w.dlg().Run().Active());
    EXPECT_FALSE(::KillTimer(w.hwnd(), 1)) << "the busy timer was stopped";
}

// Pixels of `r` in the window that are not the ground colour.
int NotGround(HWND hwnd, const RECT& r) {
    HDC dc = ::GetDC(hwnd);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) count += ::GetPixel(dc, x, y) != RGB(240, 240, 240);
    ::ReleaseDC(hwnd, dc);
    return count;
}

TEST_F(PrintRun, TheCountAndTheStopBesideTheIndicatorAndTheRowsNeverReached) {
    MainWindow w;
    w.AddRows({L"C:\\x\\e.txt", L"C:\\x\\d.txt", L"C:\\x\\c.txt", L"C:\\x\\b.txt", L"C:\\x\\a.txt"});
    RECT rc{};
    ::GetClientRect(w.hwnd(), &rc);
    const BusyIndicatorGeometry g = BusyIndicatorAt(rc.right, rc.bottom);
    RECT whole{};
    ::UnionRect(&whole, &g.area, &g.count);
    ::UnionRect(&whole, &whole, &g.stop);
    EXPECT_EQ(NotGround(w.hwnd(), whole), 0) << "the idle window shows nothing there";

    std::vector<taskbar::Call> calls;
    taskbar::Redirect redirect{[&](HWND, const taskbar::Call& c) { calls.push_back(c); }};
    {
        FakeWorker worker;
        w.Click(IDC_START);
    }
    ASSERT_TRUE(w.dlg().Run().Active());
    HWND stop = w.item(IDC_STOP_RUN), count = w.item(IDC_RUN_COUNT);
    ASSERT_TRUE(stop && count);
    EXPECT_TRUE(::IsWindowVisible(stop) && ::IsWindowEnabled(stop));
    EXPECT_EQ(testing_ui::WindowText(stop), L"停止打印");
    EXPECT_EQ(testing_ui::WindowText(count), L"已处理 0 / 5");

    ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, 0, 0);
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 0, static_cast<LPARAM>(PrintOutcome::Printed));
    ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, 1, 0);
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 1, static_cast<LPARAM>(PrintOutcome::NotADocument));
    EXPECT_EQ(testing_ui::WindowText(count), L"已处理 2 / 5") << "a failed row is handled too";
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), (taskbar::Call{taskbar::Call::State, 0, 0, TBPF_ERROR}));
    EXPECT_NE(std::find(calls.begin(), calls.end(), taskbar::Call{taskbar::Call::Progress, 2, 5}), calls.end())
        << "the taskbar follows the count";

    // The stop: pressed once, it says so and cannot be pressed again; the run goes on meanwhile.
    ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, 2, 0);
    w.Click(IDC_STOP_RUN);
    EXPECT_TRUE(w.dlg().Run().Stopping());
    EXPECT_EQ(testing_ui::WindowText(stop), L"正在停止…");
    EXPECT_FALSE(::IsWindowEnabled(stop));
    EXPECT_TRUE(w.dlg().Run().Active());
    EXPECT_EQ(w.Cell(2, 1), L"打印中");
    EXPECT_EQ(w.Cell(3, 1), L"未打印") << "what will not be started says so at once";
    EXPECT_EQ(w.Cell(4, 1), L"未打印");
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 2, static_cast<LPARAM>(PrintOutcome::Printed));
    EXPECT_EQ(testing_ui::WindowText(count), L"已处理 3 / 5");

    ModalResponder boxes([](const ModalBox&) { return IDOK; });
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    testing_ui::Pump(200);
    EXPECT_TRUE(boxes.Boxes().empty()) << "a stop asks and tells nothing";
    EXPECT_FALSE(w.dlg().Run().Active());
    const std::vector<std::wstring> statuses{L"完成", L"失败", L"完成", L"未打印", L"未打印"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w.Cell(i, 1), statuses[static_cast<size_t>(i)]) << i;
    EXPECT_FALSE(::IsWindowVisible(stop));
    EXPECT_FALSE(::IsWindowVisible(count));
    for (int id : kLocked) EXPECT_TRUE(IsEnabled(w, id));
    EXPECT_EQ(calls.back(), (taskbar::Call{taskbar::Call::State, 0, 0, TBPF_NOPROGRESS}));
    EXPECT_EQ(NotGround(w.hwnd(), whole), 0) << "the indicator's area is ground colour after the run";

    // The next run starts with a fresh control and count.
    {
        FakeWorker worker;
        w.Click(IDC_START);
    }
    EXPECT_EQ(testing_ui::WindowText(stop), L"停止打印");
    EXPECT_TRUE(::IsWindowEnabled(stop));
    EXPECT_EQ(testing_ui::WindowText(count), L"已处理 0 / 5");
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
}

}  // namespace

namespace {

TEST_F(PrintRun, EndingTheProgramMidDocumentPutsTheDefaultPrinterBack) {
    const std::wstring token = testing_files::UniquePart();
    const testing_files::TempFolder folder(L"运行 测试");
    const std::wstring chosen = userDefault == L"Tavrolin-A" ? L"测试打印机" : L"Tavrolin-A";
    officesim::Behaviour hang;
    hang.hangAt = L"PrintOut";
    officesim::SetBehaviour(L"Word.Application", hang);

    MainWindow w;
    w.AddRows({folder.File(L"stuck_" + token + L".docx").c_str()});
    Select(w, IDC_PRINTER, chosen);
    w.Click(IDC_START);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return officesim::DefaultPrinter() == chosen; }, 30000))
        << "the Word document swapped the default printer";
    testing_ui::Pump(500);  // well inside the hanging PrintOut

    ModalResponder yes([](const ModalBox&) { return IDYES; });
    ::PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return w.dlg().Result().has_value(); }, 5000));
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault);

    // Free the stuck worker: its server goes, its call fails, and it restores nothing twice.
    officesim::EndServers();
    testing_ui::PumpUntil([&] { return !w.dlg().Run().Active(); }, 15000);
    EXPECT_EQ(officesim::DefaultPrinter(), userDefault);
}

}  // namespace
