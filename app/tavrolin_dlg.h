// The main window: the document list, the print settings and every command button.
// Its handlers live with their subsystem (doclist/, run/, ui/).
#pragma once

#include <future>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/framework.h"
#include "ui/dpi.h"

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

    // The document list (doclist/document_list.cpp).
    bool HasDocument(const std::wstring& path) const;
    void InsertDocument(const std::wstring& path);
    void UpdateFileCount();
    // The only ways rows leave the list, so the path index stays in step with it.
    void RemoveDocument(int row);
    void ClearDocuments();

    // Folder scan (doclist/folder_scan.cpp): appends the qualifying full paths of `folder` to
    // `result`, ordered by last-write time (0 oldest first, 1 newest first, other: listing order).
    static void ScanFolder(const std::wstring& folder, std::vector<std::wstring>& result, int order);

    // Read-only: rows are inserted and deleted only through the members above.
    const CListCtrl& DocumentList() const { return m_documentList; }
    void SetDocumentListRedraw(bool redraw) { m_documentList.SetRedraw(redraw); }

    // True from the start of a print run to its end; drops are refused meanwhile.
    bool m_runActive = false;

    // Starts reading the printers on a thread of its own, so that the spooler's answers
    // (slow through CUPS) come in while the window is being built. Without it the window
    // reads them itself when it initialises.
    void BeginReadingPrinters();

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;

    // Main window (app/).
    bool OnSysCommand(UINT id, LPARAM lParam);
    HCURSOR OnQueryDragIcon();
    void OnAbout();
    void OnCancel() override;

    // Document list commands (doclist/).
    void SetUpDocumentList();
    void OnAddFiles();
    void OnDropFiles(HDROP drop);
    void OnAddFolder();
    void OnRemoveFile();
    void OnClearList();

    // Print run (run/).
    void OnStart();
    LRESULT OnPrintProgress(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);

    // Painting and the vendor's page (ui/).
    BOOL OnEraseBkgnd(HDC dc);
    void OnPaint();
    void OnVisitWebsite();
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

    static const MessageEntry s_messageEntries[];

    HICON m_hIcon = nullptr;
    CListCtrl m_documentList;
    // Column-0 texts of the list's rows with how many rows hold each, so the duplicate rule
    // does not walk the whole list for every candidate.
    std::unordered_map<std::wstring, int> m_documentPaths;
    int m_phase = 0;
    std::future<PrinterChoices> m_printerRead;
    dpi::DialogScaler m_dpiScaler;

    friend class CTavrolinDlgTest;
};
