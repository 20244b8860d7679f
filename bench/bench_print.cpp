// A print run of 20 Word documents started on the real main window against officesim, the same
// run again two-sided, and the same 20 documents printed by a bare client: create, Open,
// PrintOut, Close, Quit by DISPID.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <vector>

#include "app/tavrolin_dlg.h"
#include "bench_common.h"
#include "common/resource.h"

namespace {

constexpr int kDocuments = 20;

// Word's members, as officesim declares them.
constexpr DISPID kDocumentsMember = 6;
constexpr DISPID kOpen = 19;
constexpr DISPID kPrintOut = 446;
constexpr DISPID kClose = 1105;
constexpr DISPID kQuit = 1105;

// Invokes a method with `args` in declared order, each passed by reference to its variant.
HRESULT Invoke(IDispatch* object, DISPID member, WORD kind, std::vector<VARIANT>& args, VARIANT* result) {
    std::vector<VARIANT> refs(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        VariantInit(&refs[args.size() - 1 - i]);
        refs[args.size() - 1 - i].vt = VT_BYREF | VT_VARIANT;
        refs[args.size() - 1 - i].pvarVal = &args[i];
    }
    DISPPARAMS params{refs.data(), nullptr, static_cast<UINT>(refs.size()), 0};
    return object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr);
}

VARIANT Missing() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

VARIANT I2(short value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT I4(long value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

bool BareCycle(const std::wstring& path) {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"Word.Application", &clsid))) return false;
    IDispatch* app = nullptr;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app))))
        return false;
    bool printed = false;
    std::vector<VARIANT> none;
    VARIANT documents;
    VariantInit(&documents);
    if (SUCCEEDED(Invoke(app, kDocumentsMember, DISPATCH_PROPERTYGET, none, &documents)) && documents.vt == VT_DISPATCH) {
        VARIANT file;
        VariantInit(&file);
        file.vt = VT_BSTR;
        file.bstrVal = ::SysAllocString(path.c_str());
        std::vector<VARIANT> open = {file, I2(0), I2(1), I2(0)};
        while (open.size() < 16) open.push_back(Missing());
        VARIANT document;
        VariantInit(&document);
        if (SUCCEEDED(Invoke(documents.pdispVal, kOpen, DISPATCH_METHOD, open, &document)) &&
            document.vt == VT_DISPATCH) {
            std::vector<VARIANT> print = {I2(0), Missing(), Missing(), Missing(), Missing(), Missing(),
                                          Missing(), I4(1), Missing(), I4(0), I2(0)};
            while (print.size() < 18) print.push_back(Missing());
            printed = SUCCEEDED(Invoke(document.pdispVal, kPrintOut, DISPATCH_METHOD, print, nullptr));
            std::vector<VARIANT> close = {Missing(), Missing(), Missing()};
            Invoke(document.pdispVal, kClose, DISPATCH_METHOD, close, nullptr);
            VariantClear(&document);
        }
        ::SysFreeString(file.bstrVal);
        VariantClear(&documents);
    }
    std::vector<VARIANT> quit = {Missing(), Missing(), Missing()};
    Invoke(app, kQuit, DISPATCH_METHOD, quit, nullptr);
    app->Release();
    return printed;
}

}  // namespace

int wmain() {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), 0xFF};
    ::InitCommonControlsEx(&icc);

    bench::TempFolder folder(L"tavrolin-bench-print");
    std::vector<std::wstring> paths;
    for (int i = 0; i < kDocuments; ++i) {
        paths.push_back(folder.path() + L"\\letter " + std::to_wstring(i) + L".docx");
        bench::MakeEmptyFile(paths.back());
    }

    // The bare cycles first; then the program, so neither starts on a cold spooler.
    int bareDone = 0;
    const double bareStart = bench::NowMs();
    for (const std::wstring& p : paths) bareDone += BareCycle(p) ? 1 : 0;
    const double bareMs = bench::NowMs() - bareStart;

    CTavrolinDlg dlg;
    dlg.Create();
    ::ShowWindow(dlg.GetSafeHwnd(), SW_SHOW);
    bench::Pump();
    for (const std::wstring& p : paths) dlg.Documents().InsertDocument(p);
    dlg.Documents().UpdateFileCount();
    bench::Pump();

    // One run as the window starts it: its time, and how many rows read 完成.
    auto run = [&](double& ms) {
        const double start = bench::NowMs();
        ::SendMessageW(dlg.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dlg.GetSafeHwnd(), IDC_START)));
        MSG msg;
        while (dlg.Run().Active() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ms = bench::NowMs() - start;
        int done = 0;
        for (int i = 0; i < kDocuments; ++i) done += dlg.Documents().Control().GetItemText(i, 1) == L"完成" ? 1 : 0;
        return done;
    };
    double runMs = 0;
    const int done = run(runMs);

    // The same run two-sided (long edge), once the printer's capabilities offer it: the printer's
    // settings are set before each server starts and put back after each PrintOut.
    HWND duplex = ::GetDlgItem(dlg.GetSafeHwnd(), IDC_DUPLEX);
    for (double waited = bench::NowMs(); ::SendMessageW(duplex, CB_GETCOUNT, 0, 0) < 4 && bench::NowMs() - waited < 10000;)
        bench::Pump();
    const bool twoSided = ::SendMessageW(duplex, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(L"双面（长边翻转）")) != CB_ERR;
    ::SendMessageW(dlg.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_DUPLEX, CBN_SELCHANGE), reinterpret_cast<LPARAM>(duplex));
    double duplexMs = 0;
    const int duplexDone = twoSided ? run(duplexMs) : 0;

    // The window remembers what it last started with; the bench's choices are nobody's.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrolin\\Settings");
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tavrolin\\Settings");

    bench::Report("print_run_documents_done", done, "documents");
    bench::Report("print_run_20", runMs, "ms");
    bench::Report("print_run_duplex_documents_done", duplexDone, "documents");
    bench::Report("print_run_20_duplex", duplexMs, "ms");
    bench::Report("bare_cycles_done", bareDone, "documents");
    bench::Report("bare_cycles_20", bareMs, "ms");
    return 0;
}
