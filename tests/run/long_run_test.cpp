// What a long run shows and holds around the window: the system kept awake, the taskbar
// button's progress, the row being printed, and the question about a printer in trouble.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "common/texts.h"
#include "framework/process_identity.h"
#include "run/keep_awake.h"
#include "run/print_worker.h"
#include "run/printer_state.h"
#include "run/run_journal.h"
#include "run/taskbar.h"
#include "support/main_window.h"
#include "support/officesim_control.h"

namespace fs = std::filesystem;

namespace taskbar {
void PrintTo(const Call& c, std::ostream* os) {
    if (c.kind == Call::Progress) *os << "Progress(" << c.done << "/" << c.total << ")";
    else if (c.kind == Call::State) *os << "State(" << c.state << ")";
    else *os << "Flash";
}
}  // namespace taskbar
using testing_ui::ModalBox;
using testing_ui::ModalResponder;

namespace {

constexpr LPARAM kPrinted = static_cast<LPARAM>(PrintOutcome::Printed);

// ---------------------------------------------------------------------------------------------
// The power request, seen through the table of calls.

std::vector<std::string> g_power;
HANDLE const kRequest = reinterpret_cast<HANDLE>(0x4711);

HANDLE WINAPI RecordCreate(REASON_CONTEXT* context) {
    const bool simple = context && context->Version == POWER_REQUEST_CONTEXT_VERSION &&
                        context->Flags == POWER_REQUEST_CONTEXT_SIMPLE_STRING && context->Reason.SimpleReasonString &&
                        std::wstring(context->Reason.SimpleReasonString) == texts::kKeepAwakeReason;
    g_power.push_back(simple ? "create(reason)" : "create(?)");
    return kRequest;
}
BOOL WINAPI RecordSet(HANDLE h, POWER_REQUEST_TYPE type) {
    g_power.push_back(std::string("set") + (h == kRequest && type == PowerRequestSystemRequired ? "(system)" : "(?)"));
    return TRUE;
}
BOOL WINAPI RecordClear(HANDLE h, POWER_REQUEST_TYPE type) {
    g_power.push_back(std::string("clear") + (h == kRequest && type == PowerRequestSystemRequired ? "(system)" : "(?)"));
    return TRUE;
}
BOOL WINAPI RecordClose(HANDLE h) {
    g_power.push_back(h == kRequest ? "close" : "close(?)");
    return TRUE;
}
EXECUTION_STATE WINAPI RecordThreadState(EXECUTION_STATE state) {
    g_power.push_back(state == (ES_CONTINUOUS | ES_SYSTEM_REQUIRED) ? "thread(system)"
                      : state == ES_CONTINUOUS                      ? "thread(none)"
                                                                    : "thread(?)");
    return ES_CONTINUOUS;
}

// Puts the recording table in for the object's lifetime; `withRequests` false is a system
// without power requests.
class RecordPower {
public:
    explicit RecordPower(bool withRequests) : m_saved(keep_awake::Calls()) {
        g_power.clear();
        keep_awake::Calls() = {withRequests ? &RecordCreate : nullptr, &RecordSet, &RecordClear, &RecordClose,
                               &RecordThreadState};
    }
    ~RecordPower() { keep_awake::Calls() = m_saved; }

private:
    keep_awake::PowerCalls m_saved;
};

// No question about the printer, whatever the spooler says of the test queues.
std::optional<PrinterState> ReadyPrinter(const std::wstring&) { return PrinterState{}; }
class PrinterIs {
public:
    explicit PrinterIs(PrinterStateReader read) : m_saved(std::exchange(ReadChosenPrinterState(), read)) {}
    ~PrinterIs() { ReadChosenPrinterState() = m_saved; }

private:
    PrinterStateReader m_saved;
};

// Every way a run ends lets go of what it held for the run: the power request, and the journal
// a later start would otherwise take for a run that was cut off.
TEST(KeepAwake, HeldFromStartToEveryWayOut) {
    const std::wstring journal = run_journal::FileFor(run_journal::Folder(), ThisProcess());
    const std::vector<std::string> request = {"create(reason)", "set(system)"};
    const std::vector<std::string> released = {"create(reason)", "set(system)", "clear(system)", "close"};
    struct Way {
        const char* name;
        bool workerStarts;
        void (*end)(MainWindow& w);
    } ways[] = {
        {"the last document", true, [](MainWindow& w) { ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0); }},
        {"a worker that cannot start", false, [](MainWindow&) {}},
        {"exit, answered Yes", true,
         [](MainWindow& w) {
             ModalResponder yes([](const ModalBox&) { return IDYES; });
             ::PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
             testing_ui::PumpUntil([&] { return w.dlg().Result().has_value(); }, 5000);
         }},
        {"the session ends", true, [](MainWindow& w) { ::SendMessageW(w.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        PrinterIs ready(&ReadyPrinter);
        RecordPower power(true);
        MainWindow w;
        w.AddRows({L"C:\\x\\a.docx", L"C:\\x\\b.docx"});
        {
            FakeWorker worker(way.workerStarts);
            ModalResponder ok([](const ModalBox&) { return IDOK; });
            w.Click(IDC_START);
        }
        if (way.workerStarts) {
            ASSERT_TRUE(w.dlg().Run().Active());
            EXPECT_EQ(g_power, request) << "held while the run goes";
            ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 0, kPrinted);
            EXPECT_EQ(g_power, request) << "a finished document changes nothing";
        }
        way.end(w);
        EXPECT_FALSE(w.dlg().Run().Active());
        EXPECT_EQ(g_power, released);
        EXPECT_EQ(::GetFileAttributesW(journal.c_str()), INVALID_FILE_ATTRIBUTES) << "the run's journal is left";
    }
}

TEST(KeepAwake, WithoutPowerRequestsTheThreadStateIsUsed) {
    PrinterIs ready(&ReadyPrinter);
    RecordPower power(false);
    MainWindow w;
    w.AddRows({L"C:\\x\\a.docx"});
    FakeWorker worker;
    w.Click(IDC_START);
    EXPECT_EQ(g_power, std::vector<std::string>{"thread(system)"});
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    EXPECT_EQ(g_power, (std::vector<std::string>{"thread(system)", "thread(none)"}));
}

TEST(KeepAwake, TheSystemCallsWork) {
    const keep_awake::PowerCalls& system = keep_awake::SystemCalls();
    std::cout << "power requests: " << (system.createRequest ? "present" : "absent, the thread state is used") << "\n";
    keep_awake::SystemRequired awake;
    ASSERT_TRUE(awake.Acquire(texts::kKeepAwakeReason));
    EXPECT_TRUE(awake.Held());
    awake.Release();
    EXPECT_FALSE(awake.Held());
    // Twice in a row, as two runs do.
    EXPECT_TRUE(awake.Acquire(texts::kKeepAwakeReason));
    awake.Release();
}

// ---------------------------------------------------------------------------------------------
// The taskbar button and the row being printed.

struct TaskbarLog {
    std::vector<taskbar::Call> calls;
    taskbar::Redirect redirect{[this](HWND, const taskbar::Call& c) { calls.push_back(c); }};
};

taskbar::Call Progress(ULONGLONG done, ULONGLONG total) { return {taskbar::Call::Progress, done, total}; }
taskbar::Call State(TBPFLAG s) { return {taskbar::Call::State, 0, 0, s}; }
const taskbar::Call kFlash{taskbar::Call::Flash};


// A top-level window of the test that takes the foreground from the main window.
struct OtherWindow {
    HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ~OtherWindow() { ::DestroyWindow(hwnd); }
};

TEST(Taskbar, ProgressErrorAndEndInOrder) {
    struct Case {
        const char* name;
        bool inFront;
        std::vector<LPARAM> outcomes;
        std::vector<taskbar::Call> expected;
    } cases[] = {
        {"a failure, window behind",
         false,
         {kPrinted, static_cast<LPARAM>(PrintOutcome::Failed), kPrinted, static_cast<LPARAM>(PrintOutcome::FileUnreadable)},
         {Progress(0, 4), Progress(1, 4), Progress(2, 4), State(TBPF_ERROR), Progress(3, 4), Progress(4, 4),
          State(TBPF_NOPROGRESS), kFlash}},
        {"all printed, window in front",
         true,
         {kPrinted, kPrinted},
         {Progress(0, 2), Progress(1, 2), Progress(2, 2), State(TBPF_NOPROGRESS)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrinterIs ready(&ReadyPrinter);
        TaskbarLog log;
        MainWindow w;
        for (size_t i = 0; i < c.outcomes.size(); ++i) w.AddRows({(L"C:\\x\\" + std::to_wstring(i) + L".docx").c_str()});
        FakeWorker worker;
        w.Click(IDC_START);
        for (size_t i = 0; i < c.outcomes.size(); ++i) {
            ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, i, 0);
            ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, i, c.outcomes[i]);
        }
        std::optional<OtherWindow> other;
        if (c.inFront) {
            ::SetForegroundWindow(w.hwnd());
        } else {
            other.emplace();
            ::SetForegroundWindow(other->hwnd);
        }
        testing_ui::Pump(50);
        ASSERT_EQ(::GetForegroundWindow() == w.hwnd(), c.inFront) << "the test could not place the window";
        ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
        EXPECT_EQ(log.calls, c.expected);
    }
}

TEST(Taskbar, TheShellsTaskbarUnderThisSystem) {
    // Reported, not required: the button works without the shell's object.
    ComPtr<ITaskbarList3> list;
    const HRESULT hr = ::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(list.put()));
    std::cout << "CoCreateInstance(CLSID_TaskbarList): 0x" << std::hex << static_cast<unsigned long>(hr) << std::dec
              << (list ? ", HrInit 0x" : "");
    if (list) std::cout << std::hex << static_cast<unsigned long>(list->HrInit()) << std::dec;
    std::cout << "\n";
    // The real calls on a real window, the flash included, return normally.
    MainWindow w;
    taskbar::Button button;
    button.Attach(w.hwnd());
    button.Progress(1, 3);
    button.State(TBPF_ERROR);
    button.State(TBPF_NOPROGRESS);
    button.Flash();
    testing_ui::Pump(50);
}

TEST(PrintingRow, OnlyTheRowInProgressSaysSo) {
    PrinterIs ready(&ReadyPrinter);
    MainWindow w;
    w.AddRows({L"C:\\x\\c.docx", L"C:\\x\\b.docx", L"C:\\x\\a.docx"});
    FakeWorker worker;
    w.Click(IDC_START);
    auto statuses = [&] {
        std::vector<std::wstring> s;
        for (int i = 0; i < w.RowCount(); ++i) s.push_back(w.Cell(i, 1));
        return s;
    };
    ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, 0, 0);
    EXPECT_EQ(statuses(), (std::vector<std::wstring>{L"打印中", L"待处理", L"待处理"}));
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 0, kPrinted);
    ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, 1, 0);
    EXPECT_EQ(statuses(), (std::vector<std::wstring>{L"完成", L"打印中", L"待处理"}));
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 1, static_cast<LPARAM>(PrintOutcome::Failed));
    ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, 2, 0);
    EXPECT_EQ(statuses(), (std::vector<std::wstring>{L"完成", L"失败", L"打印中"}));
    EXPECT_EQ(w.dlg().Documents().ReasonAt(2), L"") << "a row in progress has no reason yet";
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, 2, kPrinted);
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    EXPECT_EQ(statuses(), (std::vector<std::wstring>{L"完成", L"失败", L"完成"}));
    // After the run a late or stray message changes no row.
    ::SendMessageW(w.hwnd(), WM_PRINT_STARTING, 0, 0);
    EXPECT_EQ(w.Cell(0, 1), L"完成");
}

TEST(PrintingRow, TheWorkerAnnouncesEachDocumentBeforeItsOutcome) {
    // Collects both messages of a real worker on names of no kind (no office suite needed).
    struct Sink {
        static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
            auto* log = reinterpret_cast<std::vector<std::pair<UINT, long long>>*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
            if (log && (m == WM_PRINT_STARTING || m == WM_PRINT_PROGRESS)) {
                log->emplace_back(m, static_cast<long long>(static_cast<INT_PTR>(wp)));
                return 0;
            }
            return ::DefWindowProcW(h, m, wp, lp);
        }
    };
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Sink::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"StartingSink";
    ::RegisterClassW(&wc);
    std::vector<std::pair<UINT, long long>> log;
    HWND sink = ::CreateWindowW(L"StartingSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ::SetWindowLongPtrW(sink, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));
    PrintJob job;
    job.paths = {L"C:\\none\\a.txt", L"C:\\none\\b.txt"};
    PrintWorker worker;
    ASSERT_TRUE(worker.Start(std::move(job), sink));
    ASSERT_TRUE(testing_ui::PumpUntil([&] { return !log.empty() && log.back().second == -1; }, 10000));
    EXPECT_TRUE(worker.Join(5000));
    ::DestroyWindow(sink);
    const std::vector<std::pair<UINT, long long>> expected = {
        {WM_PRINT_STARTING, 0}, {WM_PRINT_PROGRESS, 0}, {WM_PRINT_STARTING, 1}, {WM_PRINT_PROGRESS, 1}, {WM_PRINT_PROGRESS, -1}};
    EXPECT_EQ(log, expected);
}

// ---------------------------------------------------------------------------------------------
// The printer's state before a run.

TEST(PrinterCheck, TheQuestionForEachState) {
    const std::wstring start = L"打印机“办公室 A”当前状态：";
    const std::wstring end = L"。\r\n\r\n仍要开始打印吗？";
    struct Case {
        const char* name;
        std::optional<PrinterState> state;
        std::wstring states;  // empty: no question
    } cases[] = {
        {"no state", std::nullopt, L""},
        {"ready", PrinterState{0, PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED}, L""},
        {"printing, busy, warming up", PrinterState{PRINTER_STATUS_PRINTING | PRINTER_STATUS_BUSY | PRINTER_STATUS_WARMING_UP, 0}, L""},
        {"toner low only", PrinterState{PRINTER_STATUS_TONER_LOW, 0}, L""},
        {"offline", PrinterState{PRINTER_STATUS_OFFLINE, 0}, L"脱机"},
        {"set to work offline", PrinterState{0, PRINTER_ATTRIBUTE_WORK_OFFLINE | PRINTER_ATTRIBUTE_LOCAL}, L"脱机"},
        {"offline both ways, said once", PrinterState{PRINTER_STATUS_OFFLINE, PRINTER_ATTRIBUTE_WORK_OFFLINE}, L"脱机"},
        {"paused", PrinterState{PRINTER_STATUS_PAUSED, 0}, L"已暂停"},
        {"error", PrinterState{PRINTER_STATUS_ERROR, 0}, L"出错"},
        {"paper out", PrinterState{PRINTER_STATUS_PAPER_OUT, 0}, L"缺纸"},
        {"paper jam", PrinterState{PRINTER_STATUS_PAPER_JAM, 0}, L"卡纸"},
        {"not available", PrinterState{PRINTER_STATUS_NOT_AVAILABLE, 0}, L"不接受打印任务"},
        {"being deleted", PrinterState{PRINTER_STATUS_PENDING_DELETION, 0}, L"不接受打印任务"},
        {"needs a person", PrinterState{PRINTER_STATUS_USER_INTERVENTION, 0}, L"需要人工干预"},
        {"several, in a fixed order",
         PrinterState{PRINTER_STATUS_PAPER_OUT | PRINTER_STATUS_PAUSED | PRINTER_STATUS_PRINTING, PRINTER_ATTRIBUTE_WORK_OFFLINE},
         L"脱机、已暂停、缺纸"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring question = PrinterQuestion(L"办公室 A", c.state);
        EXPECT_EQ(question, c.states.empty() ? std::wstring() : start + c.states + end);
    }
}

std::optional<PrinterState> g_chosenState;
std::wstring g_askedFor;
std::optional<PrinterState> ScriptedState(const std::wstring& printer) {
    g_askedFor = printer;
    return g_chosenState;
}

HWND g_box;
int g_answer;
LRESULT g_defaultButton;
void CALLBACK ReadDefaultAndAnswer(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    // The default is the button drawn as such and holding the focus, which Enter presses. (Wine's
    // message box does not tell its dialog, whose DM_GETDEFID stays at IDOK.)
    g_defaultButton = 0;
    for (int id : {IDYES, IDNO}) {
        HWND button = ::GetDlgItem(g_box, id);
        if ((::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON && ::GetFocus() == button)
            g_defaultButton = id;
    }
    ::PostMessageW(g_box, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(g_box, g_answer)));
}

TEST(PrinterCheck, TheWindowAsksAndNoStartsNothing) {
    struct Case {
        const char* name;
        std::optional<PrinterState> state;
        int answer;  // 0: no box expected
        bool runs;
    } cases[] = {
        {"paused, No", PrinterState{PRINTER_STATUS_PAUSED, 0}, IDNO, false},
        {"paused, Yes", PrinterState{PRINTER_STATUS_PAUSED, 0}, IDYES, true},
        {"offline, Esc", PrinterState{0, PRINTER_ATTRIBUTE_WORK_OFFLINE}, IDCANCEL, false},
        {"ready", PrinterState{}, 0, true},
        {"cannot be read", std::nullopt, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_chosenState = c.state;
        g_askedFor.clear();
        PrinterIs scripted(&ScriptedState);
        MainWindow w;
        w.AddRows({L"C:\\x\\a.docx"});
        w.dlg().Documents().SetStatus(0, texts::kDone);
        const std::wstring printer = testing_ui::WindowText(w.item(IDC_PRINTER));
        FakeWorker worker;
        g_defaultButton = 0;
        ModalResponder person([&](const ModalBox& box) {
            // The box is read once it runs its own loop, as the person sees it, and answered then.
            g_box = box.hwnd;
            g_answer = c.answer;
            ::SetTimer(nullptr, 0, 30, &ReadDefaultAndAnswer);
            return 0;
        });
        w.Click(IDC_START);
        EXPECT_EQ(g_askedFor, printer) << "the chosen printer is the one read";
        if (c.answer) {
            ASSERT_EQ(person.Boxes().size(), 1u);
            const ModalBox& box = person.Boxes()[0];
            EXPECT_EQ(box.text, PrinterQuestion(printer, c.state));
            EXPECT_NE(box.text.find(printer), std::wstring::npos);
            EXPECT_EQ(box.caption, AfxGetAppName());
            EXPECT_EQ(box.owner, w.hwnd());
            EXPECT_EQ(box.buttonIds, (std::vector<int>{IDYES, IDNO}));
            EXPECT_EQ(g_defaultButton, IDNO) << "No is the default";
        } else {
            EXPECT_TRUE(person.Boxes().empty());
        }
        EXPECT_EQ(w.dlg().Run().Active(), c.runs);
        EXPECT_EQ(w.Cell(0, 1), c.runs ? L"待处理" : L"完成") << "No leaves the rows as they were";
        EXPECT_EQ(::IsWindowEnabled(w.item(IDC_START)) != FALSE, !c.runs);
        if (c.runs) ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    }
}

TEST(PrinterCheck, WhatTheSpoolerReportsHere) {
    EXPECT_FALSE(ReadPrinterState(L"Tavrolin no such printer").has_value());
    EXPECT_FALSE(ReadPrinterState(L"").has_value());
    const std::wstring queue = officesim::DefaultPrinter();
    ASSERT_FALSE(queue.empty());
    const std::optional<PrinterState> state = ReadPrinterState(queue);
    if (state)
        std::cout << "state of the test queue: Status 0x" << std::hex << state->status << ", Attributes 0x"
                  << state->attributes << std::dec << "\n";
    else
        std::cout << "the test queue's state cannot be read\n";
    // An enabled, accepting queue is not asked about.
    EXPECT_EQ(PrinterQuestion(queue, state), L"");
}

}  // namespace
