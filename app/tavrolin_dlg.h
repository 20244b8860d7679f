// The main window: the document list, the print settings and every command button. The list
// and the print runs are objects of their own (doclist/, run/); the window routes its messages
// to them.
#pragma once

#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/printer_settings.h"
#include "doclist/document_list.h"
#include "framework/framework.h"
#include "run/result_csv.h"
#include "run/run_controller.h"
#include "run/run_journal.h"
#include "ui/dpi.h"

// Posted by the window to itself once it is up: in "/print" mode, to start the run; otherwise,
// when a cut-off run's list is to be offered. (The worker's messages are WM_APP + 1 to + 3.)
inline constexpr UINT WM_START_UNATTENDED = WM_APP + 20;
inline constexpr UINT WM_OFFER_CUT_RUN = WM_APP + 21;
// Posted by a thread that read a printer's capabilities: wParam is the read's number (only the
// latest counts), lParam the bits of what the printer can do.
inline constexpr UINT WM_PRINTER_CAPABILITIES = WM_APP + 22;

// The printer box's selection: the first printer named exactly like the default, else 0.
int PrinterToSelect(const std::vector<std::wstring>& printers, const std::wstring& defaultPrinter);

// What the printer box shows: the system default printer's name (from the print dialog's
// defaults; empty when there is none) and every local and connected printer, in the
// spooler's order.
struct PrinterChoices {
    std::wstring defaultPrinter;
    std::vector<std::wstring> names;
};
PrinterChoices ReadPrinterChoices();

class CTavrolinDlg : public CDialogEx {
public:
    CTavrolinDlg();
    ~CTavrolinDlg() override;
    const MessageMap* GetMessageMap() const override;

    DocumentList& Documents() { return m_documents; }
    const DocumentList& Documents() const { return m_documents; }
    PrintRunController& Run() { return m_run; }
    const PrintRunController& Run() const { return m_run; }

    // Starts reading the printers on a thread of its own, so that the spooler's answers
    // (slow through CUPS) come in while the window is being built. Without it the window
    // reads them itself when it initialises.
    // With `recoverCutRunFirst` (a start with a window), that thread first acts on what a cut-off
    // run left (RecoverAfterCut), off the way to the first idle window, and the window offers
    // the run's list once it is up.
    void BeginReadingPrinters(bool recoverCutRunFirst = false);
    // Names from the command line, added as a drop of them would be once the list is set up.
    void AddOnStart(std::vector<std::wstring> names) { m_startNames = std::move(names); }
    // "/print": the window shows minimised under its own title, starts the run with `options` by
    // itself once it is up, asks nothing and ends the program when the run is over.
    void PrintUnattended(const PrintOptions& options);
    // How that run's start went, and the rows as the run left them (read as the window went).
    RunStart UnattendedStart() const { return m_unattendedStart; }
    const std::vector<ResultRecord>& UnattendedRecords() const { return m_unattendedRecords; }

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    // Esc, the close box and Enter all ask before the program ends.
    void OnOK() override;
    void OnCancel() override;

    bool OnSysCommand(UINT id, LPARAM lParam);
    HCURSOR OnQueryDragIcon();
    LRESULT OnEndSession(WPARAM ending, LPARAM flags);
    void OnAbout();
    void OnVisitWebsite();
    BOOL OnEraseBkgnd(HDC dc);
    std::optional<LRESULT> OnPaint(WPARAM, LPARAM);

    LRESULT OnNotify(WPARAM, LPARAM header);
    // A second launch's names (command_line::kCopyDataAddNames); TRUE when the block was ours.
    LRESULT OnCopyData(WPARAM, LPARAM data);
    void OnAddFiles();
    void OnDropFiles(HDROP drop);
    void OnAddFolder();
    void OnRemoveFile();
    void OnClearList();

    void OnStart();
    // The printer box's choice changed: what the new printer can do is read off the UI thread.
    void OnPrinterChanged();
    void OnDuplexChanged();
    void OnColorChanged();
    LRESULT OnPrinterCapabilities(WPARAM read, LPARAM bits);
    LRESULT OnStartUnattended(WPARAM, LPARAM);
    void OnStopRun();
    // The printer, copies, suite, two-sided and colour as the boxes stand, and the page range as
    // its box reads (every page when it cannot be read: OnStart refuses that first).
    PrintOptions ChosenOptions() const;
    // The boxes set to `options`, each where its item is still there (the page range is never
    // set: each run asks for it anew).
    void ShowOptions(const PrintOptions& options);
    // The two-sided and colour boxes refilled with what the chosen printer can do, the person's
    // choice kept where it is still offered.
    void FillSettingBoxes();
    // Starts reading the chosen printer's capabilities on a thread of its own.
    void ReadCapabilitiesOfChosenPrinter();
    // Asks whether to bring a cut-off run's list back; the journal goes whatever the answer.
    LRESULT OnOfferCutRun(WPARAM, LPARAM);
    // The journal's rows on top of the list, in their order, each with what became of it.
    void RestoreRows(const run_journal::Journal& journal);
    LRESULT OnPrintStarting(WPARAM index, LPARAM);
    LRESULT OnPrintProgress(WPARAM index, LPARAM result);
    // The list's shortcut menu; a menu asked for elsewhere in the window goes to the default.
    std::optional<LRESULT> OnContextMenu(WPARAM window, LPARAM position);
    LRESULT OnServerStartFailed(WPARAM server, LPARAM outcome);
    void OnTimer(UINT_PTR id);

    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

    static const MessageEntry s_messageEntries[];

private:
    void ConfirmExit();
    // Ends the program: a run in progress is stopped and waited for first.
    void Exit();

    HICON m_hIcon = nullptr;
    DocumentList m_documents;
    PrintRunController m_run;
    std::future<PrinterChoices> m_printerRead;
    dpi::DialogScaler m_dpiScaler;
    std::vector<std::wstring> m_startNames;
    std::optional<run_journal::CutRun> m_cutRun;
    std::optional<PrintOptions> m_unattended;
    RunStart m_unattendedStart = RunStart::Started;
    std::vector<ResultRecord> m_unattendedRecords;
    // The person's choices in the two-sided and colour boxes, kept while the chosen printer's
    // capabilities are read (and across printers that cannot do them).
    Duplex m_wantedDuplex = Duplex::PrinterDefault;
    ColorMode m_wantedColor = ColorMode::PrinterDefault;
    PrinterCapabilities m_capabilities;
    UINT m_capabilityRead = 0;
};
