#include "app/tavrolin_dlg.h"

#include <memory>
#include <system_error>

#include "app/resource.h"
#include "app/texts.h"
#include "automation/default_printer.h"
#include "ui/about_dlg.h"

const MessageEntry CTavrolinDlg::s_messageEntries[] = {
    OnMessage<&CTavrolinDlg::OnSysCommand>(WM_SYSCOMMAND),
    OnMessage<&CTavrolinDlg::OnPaint>(WM_PAINT, Then::Default),
    OnMessage<&CTavrolinDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
    OnCommand<&CTavrolinDlg::OnAddFiles>(IDC_ADD_FILES),
    OnCommand<&CTavrolinDlg::OnRemoveFile>(IDC_REMOVE_FILE),
    OnCommand<&CTavrolinDlg::OnClearList>(IDC_CLEAR_LIST),
    OnCommand<&CTavrolinDlg::OnStart>(IDC_START),
    OnMessage<&CTavrolinDlg::OnDropFiles>(WM_DROPFILES, Then::Default),
    OnMessage<&CTavrolinDlg::OnPrintProgress>(WM_USER + 12),
    OnMessage<&CTavrolinDlg::OnTimer>(WM_TIMER, Then::Default),
    OnMessage<&CTavrolinDlg::OnEraseBkgnd>(WM_ERASEBKGND),
    OnCommand<&CTavrolinDlg::OnVisitWebsite>(IDC_VISIT_WEBSITE),
    OnCommand<&CTavrolinDlg::OnAbout>(IDC_ABOUT),
    OnCommand<&CTavrolinDlg::OnCancel>(IDCANCEL),
    OnCommand<&CTavrolinDlg::OnAddFolder>(IDC_ADD_FOLDER),
    OnMessage<&CTavrolinDlg::OnDpiChanged>(WM_DPICHANGED),
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
    m_documentList.Attach(GetDlgItem(IDC_DOCUMENT_LIST));
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

void CTavrolinDlg::BeginReadingPrinters() {
    if (m_printerRead.valid()) return;
    try {
        m_printerRead = std::async(std::launch::async, ReadPrinterChoices);
    } catch (const std::system_error&) {
        // No thread to spare: the window reads the printers itself.
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

    SetDlgItemText(IDC_ADD_FILES, L"添加文件");
    SetDlgItemText(IDC_REMOVE_FILE, L"移除文件");
    SetDlgItemText(IDC_CLEAR_LIST, L"清空列表");
    SetDlgItemText(IDC_START, L"开始打印");
    SetDlgItemText(IDC_ABOUT, L"关于我们");
    SetDlgItemText(IDC_VISIT_WEBSITE, texts::kVisitWebsite);

    SetUpDocumentList();

    CComboBox copies;
    copies.Attach(GetDlgItem(IDC_COPIES));
    for (int i = 1; i <= 300; ++i) copies.AddString(std::to_wstring(i).c_str());
    copies.SetCurSel(0);

    CComboBox suite;
    suite.Attach(GetDlgItem(IDC_SUITE));
    suite.AddString(L"MS Office");
    suite.AddString(L"WPS");
    suite.SetCurSel(0);

    SetWindowText(texts::kMainTitle);
    return TRUE;
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

void CTavrolinDlg::OnCancel() {
    if (MessageBox(L"您确定要退出吗 ?", AfxGetAppName(), MB_YESNO) != IDYES) return;
    // The worker ends with the process wherever it is; a Word or Excel document in the middle
    // of printing must not leave the chosen printer as the user's default.
    if (m_runActive) RestorePendingDefaultPrinter();
    CDialogEx::OnCancel();
}
