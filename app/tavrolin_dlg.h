// The main window: the document list, the print settings and every command button. The list
// and the print runs are objects of their own (doclist/, run/); the window routes its messages
// to them.
#pragma once

#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
    void BeginReadingPrinters();
    // Names from the command line, added as a drop of them would be once the list is set up.
    void AddOnStart(std::vector<std::wstring> names) { m_startNames = std::move(names); }
    // A cut-off run's journal (RecoverAfterCut), offered once the window is up.
    void OfferCutRun(std::optional<run_journal::CutRun> cutRun) { m_cutRun = std::move(cutRun); }
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
    LRESULT OnStartUnattended(WPARAM, LPARAM);
    void OnStopRun();
    // The printer, copies and suite as the three boxes stand.
    PrintOptions ChosenOptions() const;
    // The three boxes set to `options`, each where its item is still there.
    void ShowOptions(const PrintOptions& options);
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
};
