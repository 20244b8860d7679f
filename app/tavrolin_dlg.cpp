#include "app/tavrolin_dlg.h"

#include <memory>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "app/command_line.h"
#include "app/print_settings.h"
#include "app/recovery.h"
#include "automation/default_printer.h"
#include "common/resource.h"
#include "common/texts.h"
#include "run/outcome_text.h"
#include "ui/about_dlg.h"
#include "ui/painting.h"

const MessageEntry CTavrolinDlg::s_messageEntries[] = {
    OnMessage<&CTavrolinDlg::OnStartUnattended>(WM_START_UNATTENDED),
    OnMessage<&CTavrolinDlg::OnSysCommand>(WM_SYSCOMMAND),
    OnMessage<&CTavrolinDlg::OnPaint>(WM_PAINT),
    OnMessage<&CTavrolinDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
    OnCommand<&CTavrolinDlg::OnAddFiles>(IDC_ADD_FILES),
    OnCommand<&CTavrolinDlg::OnRemoveFile>(IDC_REMOVE_FILE),
    OnCommand<&CTavrolinDlg::OnClearList>(IDC_CLEAR_LIST),
    OnCommand<&CTavrolinDlg::OnStart>(IDC_START),
    OnCommand<&CTavrolinDlg::OnStopRun>(IDC_STOP_RUN),
    OnMessage<&CTavrolinDlg::OnDropFiles>(WM_DROPFILES, Then::Default),
    OnMessage<&CTavrolinDlg::OnPrintStarting>(WM_PRINT_STARTING),
    OnMessage<&CTavrolinDlg::OnPrintProgress>(WM_PRINT_PROGRESS),
    OnMessage<&CTavrolinDlg::OnContextMenu>(WM_CONTEXTMENU),
    OnMessage<&CTavrolinDlg::OnServerStartFailed>(WM_SERVER_START_FAILED),
    OnMessage<&CTavrolinDlg::OnTimer>(WM_TIMER, Then::Default),
    OnMessage<&CTavrolinDlg::OnEraseBkgnd>(WM_ERASEBKGND),
    OnMessage<&CTavrolinDlg::OnEndSession>(WM_ENDSESSION),
    OnMessage<&CTavrolinDlg::OnNotify>(WM_NOTIFY),
    OnMessage<&CTavrolinDlg::OnCopyData>(WM_COPYDATA),
    OnCommand<&CTavrolinDlg::OnVisitWebsite>(IDC_VISIT_WEBSITE),
    OnCommand<&CTavrolinDlg::OnAbout>(IDC_ABOUT),
    OnCommand<&CTavrolinDlg::OnCancel>(IDCANCEL),
    OnCommand<&CTavrolinDlg::OnOK>(IDOK),
    OnCommand<&CTavrolinDlg::OnAddFolder>(IDC_ADD_FOLDER),
    OnMessage<&CTavrolinDlg::OnDpiChanged>(WM_DPICHANGED),
    OnMessage<&CTavrolinDlg::OnOfferCutRun>(WM_OFFER_CUT_RUN),
    OnCommand<&CTavrolinDlg::OnPrinterChanged>(IDC_PRINTER, CBN_SELCHANGE),
    OnCommand<&CTavrolinDlg::OnDuplexChanged>(IDC_DUPLEX, CBN_SELCHANGE),
    OnCommand<&CTavrolinDlg::OnColorChanged>(IDC_COLOR, CBN_SELCHANGE),
    OnMessage<&CTavrolinDlg::OnPrinterCapabilities>(WM_PRINTER_CAPABILITIES),
};

CTavrolinDlg::CTavrolinDlg() : CDialogEx(IDD_TAVROLIN_DIALOG) {
    m_hIcon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                             IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

CTavrolinDlg::~CTavrolinDlg() = default;

const MessageMap* CTavrolinDlg::GetMessageMap() const {
    static const MessageMap map{CDialogEx::GetMessageMap(), s_messageEntries};
    return &map;
}

void CTavrolinDlg::DoDataExchange() {
    CDialogEx::DoDataExchange();
    m_documents.Attach(m_hWnd, IDC_DOCUMENT_LIST, IDC_FILE_COUNT);
    m_run.Attach(m_hWnd, &m_documents);
}

int PrinterToSelect(const std::vector<std::wstring>& printers, const std::wstring& defaultPrinter) {
    for (size_t i = 0; i < printers.size(); ++i)
        if (printers[i] == defaultPrinter) return static_cast<int>(i);
    return 0;
}

PrinterChoices ReadPrinterChoices() {
    PrinterChoices choices;
    choices.defaultPrinter = ReadDefaultPrinter();

    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, returned = 0;
    ::EnumPrintersW(flags, nullptr, 5, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    if (needed && ::EnumPrintersW(flags, nullptr, 5, buffer.data(), needed, &needed, &returned)) {
        auto* printers = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) choices.names.emplace_back(printers[i].pPrinterName);
    }
    return choices;
}

void CTavrolinDlg::BeginReadingPrinters(bool recoverCutRunFirst) {
    if (m_printerRead.valid()) return;
    try {
        // The window reads m_cutRun only once the printers are in (the future's get).
        m_printerRead = std::async(std::launch::async, [this, recoverCutRunFirst] {
            // First: the default the printer box selects may be the one put back here.
            if (recoverCutRunFirst) m_cutRun = RecoverAfterCut(true);
            return ReadPrinterChoices();
        });
    } catch (const std::system_error&) {
        // No thread to spare: the window reads the printers itself.
        if (recoverCutRunFirst) m_cutRun = RecoverAfterCut(true);
    }
}

namespace {
void FillPrinterBox(CComboBox& box, const PrinterChoices& choices) {
    for (const std::wstring& name : choices.names) box.AddString(name.c_str());
    // With no printer at all the box stays empty and nothing is selected.
    if (!choices.names.empty()) box.SetCurSel(PrinterToSelect(choices.names, choices.defaultPrinter));
}
}  // namespace

BOOL CTavrolinDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    m_dpiScaler.Attach(m_hWnd);

    if (HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t aboutItem[128] = {};
        if (::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, aboutItem, 128) > 0) {
            ::AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(sysMenu, MF_STRING, IDM_ABOUTBOX, aboutItem);
        }
    }

    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    CComboBox printers;
    printers.Attach(GetDlgItem(IDC_PRINTER));
    FillPrinterBox(printers, m_printerRead.valid() ? m_printerRead.get() : ReadPrinterChoices());

    LOGFONTW iconFont{};
    if (::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconFont), &iconFont, 0))
        UiFontFace() = iconFont.lfFaceName;

    SetDlgItemText(IDC_ADD_FILES, texts::kAddFiles);
    SetDlgItemText(IDC_REMOVE_FILE, texts::kRemoveFile);
    SetDlgItemText(IDC_CLEAR_LIST, texts::kClearList);
    SetDlgItemText(IDC_START, texts::kStart);
    SetDlgItemText(IDC_ABOUT, texts::kAbout);
    SetDlgItemText(IDC_VISIT_WEBSITE, texts::kVisitWebsite);

    m_documents.SetUp();

    CComboBox copies;
    copies.Attach(GetDlgItem(IDC_COPIES));
    for (int i = 1; i <= 300; ++i) copies.SetItemData(copies.AddString(std::to_wstring(i).c_str()), i);
    copies.SetCurSel(0);

    CComboBox suite;
    suite.Attach(GetDlgItem(IDC_SUITE));
    suite.SetItemData(suite.AddString(texts::kSuiteNameMsOffice), kSuiteMsOffice);
    suite.SetItemData(suite.AddString(texts::kSuiteNameWps), kSuiteWps);
    suite.SetCurSel(0);

    ::SendMessageW(GetDlgItem(IDC_PAGES), EM_LIMITTEXT, 32, 0);

    // Before the title: a second launch finds the window by it, and its names come after ours.
    if (!m_startNames.empty()) m_documents.AddNames(std::exchange(m_startNames, {}), false);

    if (m_unattended) {
        // The boxes show what the run uses; a person at the machine sees the run, minimised.
        m_run.SetUnattended(true);
        ShowOptions(*m_unattended);
        SetDlgItemText(IDC_PAGES, m_unattended->pages.All() ? L"" : PageRangeText(m_unattended->pages).c_str());
        SetWindowText(texts::kPrintCommandTitle);
        ::ShowWindow(m_hWnd, SW_SHOWMINNOACTIVE);
        ::PostMessageW(m_hWnd, WM_START_UNATTENDED, 0, 0);
        return FALSE;
    }
    // The person's last choices, where they still apply; "/print" neither reads nor writes them.
    const print_settings::Remembered remembered = print_settings::ReadRemembered();
    PrintOptions last;
    last.printer = remembered.printer.empty() ? CWnd::GetWindowText(GetDlgItem(IDC_PRINTER)) : remembered.printer;
    last.copies = remembered.copies;
    last.suite = remembered.suite;
    last.duplex = remembered.duplex;
    last.color = remembered.color;
    ShowOptions(last);
    SetWindowText(texts::kMainTitle);
    // Asked once the window is up, over it.
    if (m_cutRun) ::PostMessageW(m_hWnd, WM_OFFER_CUT_RUN, 0, 0);
    return TRUE;
}

void CTavrolinDlg::PrintUnattended(const PrintOptions& options) { m_unattended = options; }

LRESULT CTavrolinDlg::OnStartUnattended(WPARAM, LPARAM) {
    if (!m_unattended || m_run.Active()) return 0;
    m_unattendedStart = m_run.Start(*m_unattended);
    if (m_unattendedStart != RunStart::Started) Exit();
    return 0;
}

bool CTavrolinDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX) return false;
    OnAbout();
    return true;
}

HCURSOR CTavrolinDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CTavrolinDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CTavrolinDlg::OnVisitWebsite() { OpenVendorWebsite(); }

BOOL CTavrolinDlg::OnEraseBkgnd(HDC dc) {
    painting::EraseMainWindow(m_hWnd, dc, m_dpiScaler.Dpi());
    return TRUE;
}

LRESULT CTavrolinDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_dpiScaler.OnDpiChanged(m_hWnd, wParam, lParam);
    return 0;
}

std::optional<LRESULT> CTavrolinDlg::OnPaint(WPARAM, LPARAM) {
    // Only the minimised window needs us; otherwise the dialog's default painting runs.
    if (painting::PaintMinimised(m_hWnd, m_hIcon)) return 0;
    return std::nullopt;
}

LRESULT CTavrolinDlg::OnNotify(WPARAM, LPARAM header) {
    auto* nm = reinterpret_cast<NMHDR*>(header);
    if (!nm || nm->idFrom != IDC_DOCUMENT_LIST) return 0;
    if (nm->code == LVN_GETINFOTIPW) {
        m_documents.OnInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(header));
    } else if (nm->code == LVN_KEYDOWN && reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) {
        // The key is the button: refused whenever the button is (during a run).
        if (::IsWindowEnabled(GetDlgItem(IDC_REMOVE_FILE))) OnRemoveFile();
    } else if (nm->code == LVN_COLUMNCLICK) {
        // The rows' order is the printing order: it holds still while a run goes.
        if (!m_run.Active()) m_documents.SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    }
    return 0;
}

LRESULT CTavrolinDlg::OnCopyData(WPARAM, LPARAM data) {
    const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(data);
    std::optional<std::vector<std::wstring>> names;
    if (block) names = command_line::UnpackNames(*block);
    if (!names) return FALSE;
    m_documents.AddNames(*names, m_run.Active());
    return TRUE;
}

void CTavrolinDlg::OnAddFiles() { m_documents.AddFromFileDialog(); }
void CTavrolinDlg::OnDropFiles(HDROP drop) { m_documents.AddDropped(drop, m_run.Active()); }
void CTavrolinDlg::OnAddFolder() { m_documents.AddFolder(); }
void CTavrolinDlg::OnRemoveFile() { m_documents.RemoveSelected(); }
void CTavrolinDlg::OnClearList() { m_documents.Clear(); }

void CTavrolinDlg::OnStart() {
    const std::wstring pages = CWnd::GetWindowText(GetDlgItem(IDC_PAGES));
    std::wstring problem;
    if (!print_settings::ParsePageRange(pages, &problem)) {
        const std::wstring text = texts::kBadPagesStart + pages + texts::kBadPagesEnd + problem;
        MessageBox(text.c_str(), AfxGetAppName(), MB_OK | MB_ICONWARNING);
        ::SetFocus(GetDlgItem(IDC_PAGES));
        return;
    }
    const PrintOptions options = ChosenOptions();
    print_settings::Remember(options);
    m_run.Start(options);
}

namespace {
// The run's busy indicator has timer 1.
constexpr UINT_PTR kCapabilityTimer = 2;
// What a read of capabilities hands the window in its message's lParam.
constexpr LPARAM kCanDuplex = 1, kCanColor = 2;
}  // namespace

void CTavrolinDlg::OnPrinterChanged() { ReadCapabilitiesOfChosenPrinter(); }

void CTavrolinDlg::OnDuplexChanged() {
    CComboBox box;
    box.Attach(GetDlgItem(IDC_DUPLEX));
    if (const int chosen = box.GetCurSel(); chosen >= 0) m_wantedDuplex = static_cast<Duplex>(box.GetItemData(chosen));
}

void CTavrolinDlg::OnColorChanged() {
    CComboBox box;
    box.Attach(GetDlgItem(IDC_COLOR));
    if (const int chosen = box.GetCurSel(); chosen >= 0) m_wantedColor = static_cast<ColorMode>(box.GetItemData(chosen));
}

void CTavrolinDlg::ReadCapabilitiesOfChosenPrinter() {
    // Until the answer comes, only what every printer can do is offered.
    m_capabilities = {};
    FillSettingBoxes();
    const UINT read = ++m_capabilityRead;
    const std::wstring printer = CWnd::GetWindowText(GetDlgItem(IDC_PRINTER));
    if (printer.empty()) return;
    HWND window = m_hWnd;
    try {
        // A slow driver (a network printer's) must not hold the window; an answer that comes
        // after the window went is posted nowhere.
        std::thread([window, read, printer] {
            const PrinterCapabilities can = ReadPrinterCapabilities(printer);
            ::PostMessageW(window, WM_PRINTER_CAPABILITIES, read,
                           (can.duplex ? kCanDuplex : 0) | (can.color ? kCanColor : 0));
        }).detach();
    } catch (const std::system_error&) {
        m_capabilities = ReadPrinterCapabilities(printer);
        FillSettingBoxes();
    }
}

LRESULT CTavrolinDlg::OnPrinterCapabilities(WPARAM read, LPARAM bits) {
    if (read != m_capabilityRead) return 0;  // the printer changed again meanwhile
    m_capabilities.duplex = (bits & kCanDuplex) != 0;
    m_capabilities.color = (bits & kCanColor) != 0;
    FillSettingBoxes();
    return 0;
}

void CTavrolinDlg::FillSettingBoxes() {
    struct Item {
        const wchar_t* text;
        LPARAM value;
        bool offered;
    };
    const Item duplex[] = {
        {texts::kPrinterDefaultSetting, static_cast<LPARAM>(Duplex::PrinterDefault), true},
        {texts::kDuplexOneSided, static_cast<LPARAM>(Duplex::OneSided), true},
        {texts::kDuplexLongEdge, static_cast<LPARAM>(Duplex::LongEdge), m_capabilities.duplex},
        {texts::kDuplexShortEdge, static_cast<LPARAM>(Duplex::ShortEdge), m_capabilities.duplex},
    };
    const Item color[] = {
        {texts::kPrinterDefaultSetting, static_cast<LPARAM>(ColorMode::PrinterDefault), true},
        {texts::kColorColor, static_cast<LPARAM>(ColorMode::Color), m_capabilities.color},
        {texts::kColorMono, static_cast<LPARAM>(ColorMode::Mono), true},
    };
    auto fill = [this](int id, const auto& items, LPARAM wanted) {
        HWND box = GetDlgItem(id);
        ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
        int select = 0;
        for (const Item& item : items) {
            if (!item.offered) continue;
            const auto at = ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text));
            ::SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(at), item.value);
            if (item.value == wanted) select = static_cast<int>(at);
        }
        ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
    };
    fill(IDC_DUPLEX, duplex, static_cast<LPARAM>(m_wantedDuplex));
    fill(IDC_COLOR, color, static_cast<LPARAM>(m_wantedColor));
}
void CTavrolinDlg::OnStopRun() { m_run.Stop(); }

PrintOptions CTavrolinDlg::ChosenOptions() const {
    // Each box keeps its value with its item; the printer is known by its name.
    PrintOptions options;
    options.printer = CWnd::GetWindowText(GetDlgItem(IDC_PRINTER));
    CComboBox box;
    box.Attach(GetDlgItem(IDC_COPIES));
    if (const int chosen = box.GetCurSel(); chosen >= 0) options.copies = static_cast<std::int32_t>(box.GetItemData(chosen));
    box.Attach(GetDlgItem(IDC_SUITE));
    if (const int chosen = box.GetCurSel(); chosen >= 0) options.suite = static_cast<std::int32_t>(box.GetItemData(chosen));
    box.Attach(GetDlgItem(IDC_DUPLEX));
    if (const int chosen = box.GetCurSel(); chosen >= 0) options.duplex = static_cast<Duplex>(box.GetItemData(chosen));
    box.Attach(GetDlgItem(IDC_COLOR));
    if (const int chosen = box.GetCurSel(); chosen >= 0) options.color = static_cast<ColorMode>(box.GetItemData(chosen));
    options.pages = print_settings::ParsePageRange(CWnd::GetWindowText(GetDlgItem(IDC_PAGES))).value_or(PageRange{});
    return options;
}

void CTavrolinDlg::ShowOptions(const PrintOptions& options) {
    CComboBox box;
    box.Attach(GetDlgItem(IDC_PRINTER));
    for (int i = 0; i < box.GetCount(); ++i)
        if (box.GetLBText(i) == options.printer) {
            box.SetCurSel(i);
            break;
        }
    for (auto [id, value] : {std::pair{IDC_COPIES, options.copies}, std::pair{IDC_SUITE, options.suite}}) {
        box.Attach(GetDlgItem(id));
        for (int i = 0; i < box.GetCount(); ++i)
            if (box.GetItemData(i) == value) {
                box.SetCurSel(i);
                break;
            }
    }
    // Two-sided and colour are offered once the printer's capabilities are known.
    m_wantedDuplex = options.duplex;
    m_wantedColor = options.color;
    if (!m_unattended) {
        // Asked once the window is up and idle: a driver loads slowly, and its answer only adds
        // choices to boxes that already show what every printer can do.
        m_capabilities = {};
        FillSettingBoxes();
        ::SetTimer(m_hWnd, kCapabilityTimer, 0, nullptr);
        return;
    }
    // "/print" checked the printer before the window came up; asking its driver again while the
    // run sets the printer's settings could only get in the way (Wine's driver stores its own
    // two-sided default whenever a process loads it).
    m_capabilities.duplex = options.duplex == Duplex::LongEdge || options.duplex == Duplex::ShortEdge;
    m_capabilities.color = options.color == ColorMode::Color;
    FillSettingBoxes();
}

LRESULT CTavrolinDlg::OnOfferCutRun(WPARAM, LPARAM) {
    std::optional<run_journal::CutRun> cutRun = std::exchange(m_cutRun, std::nullopt);
    if (!cutRun) return 0;
    if (MessageBox(texts::kOfferCutRun, AfxGetAppName(), MB_YESNO) == IDYES && !m_run.Active()) {
        RestoreRows(cutRun->journal);
        ShowOptions(cutRun->journal.options);
    }
    ::DeleteFileW(cutRun->file.c_str());
    return 0;
}

void CTavrolinDlg::RestoreRows(const run_journal::Journal& journal) {
    // Rows go in on top, so the last goes in first; a path the list holds already stays where it is.
    std::vector<const run_journal::Row*> fresh;
    std::unordered_set<std::wstring> seen;
    for (const run_journal::Row& row : journal.rows)
        if (!m_documents.HasDocument(row.path) && seen.insert(row.path).second) fresh.push_back(&row);
    std::vector<std::wstring> paths;
    for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) paths.push_back((*it)->path);
    const int before = m_documents.Count();
    m_documents.AddNewDocuments(paths);
    if (m_documents.Count() - before != static_cast<int>(fresh.size())) return;
    const PrintOptions& options = journal.options;
    const wchar_t* suite = options.suite == kSuiteWps ? texts::kSuiteNameWps : texts::kSuiteNameMsOffice;
    for (size_t i = 0; i < fresh.size(); ++i) {
        const run_journal::Row& row = *fresh[i];
        const int at = static_cast<int>(i);
        if (row.state == run_journal::RowState::NotPrinted) {
            m_documents.SetStatus(at, texts::kNotPrinted);
            continue;
        }
        m_documents.SetResult(at, row.state == run_journal::RowState::Printed ? texts::kDone : texts::kFailed,
                              RowResult{row.reason, row.ended, options.printer, options.copies, suite,
                                        DuplexName(options.duplex), ColorName(options.color), PageRangeText(options.pages)});
    }
    m_documents.UpdateFileCount();
}

LRESULT CTavrolinDlg::OnPrintStarting(WPARAM index, LPARAM) {
    m_run.OnStarting(index);
    return 0;
}

std::optional<LRESULT> CTavrolinDlg::OnContextMenu(WPARAM window, LPARAM position) {
    if (reinterpret_cast<HWND>(window) != GetDlgItem(IDC_DOCUMENT_LIST)) return std::nullopt;
    m_documents.OnContextMenu(position, m_run.Active());
    return 0;
}

LRESULT CTavrolinDlg::OnPrintProgress(WPARAM index, LPARAM result) {
    m_run.OnProgress(index, result);
    // A run from the command line ends the program with it.
    if (m_unattended && index == kRunFinished) Exit();
    return 0;
}

LRESULT CTavrolinDlg::OnServerStartFailed(WPARAM server, LPARAM outcome) {
    m_run.OnServerStartFailed(static_cast<DocumentKind>(LOWORD(server)), static_cast<std::int16_t>(HIWORD(server)),
                              static_cast<PrintOutcome>(outcome));
    return 0;
}

void CTavrolinDlg::OnTimer(UINT_PTR id) {
    if (id != kCapabilityTimer) {
        m_run.OnTimer();
        return;
    }
    ::KillTimer(m_hWnd, kCapabilityTimer);
    ReadCapabilitiesOfChosenPrinter();
}

void CTavrolinDlg::OnOK() { ConfirmExit(); }

void CTavrolinDlg::OnCancel() { ConfirmExit(); }

void CTavrolinDlg::ConfirmExit() {
    // A run from the command line asks nobody: closing its window stops it.
    if (m_unattended) {
        Exit();
        return;
    }
    // A run goes on while the question is open.
    if (MessageBox(texts::kConfirmExit, AfxGetAppName(), MB_YESNO) != IDYES) return;
    Exit();
}

LRESULT CTavrolinDlg::OnEndSession(WPARAM ending, LPARAM) {
    // The session ends: nobody is asked, and the process may be ended as soon as this returns.
    if (ending) Exit();
    return 0;
}

void CTavrolinDlg::Exit() {
    // The worker is stopped and waited for, and the user's default printer is put back,
    // before the window goes.
    m_run.Shutdown();
    if (m_unattended) m_unattendedRecords = m_documents.ResultRecords();
    CDialogEx::OnCancel();
}
