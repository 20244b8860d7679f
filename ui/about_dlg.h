#pragma once

#include "framework/framework.h"
#include "ui/dpi.h"

// The About box: product, version and the vendor's details painted beside the logo, with
// links to the vendor's web page and web shop. Modal, no state; Esc or the close box end it.
class CAboutDlg : public CDialogEx {
public:
    CAboutDlg();
    const MessageMap* GetMessageMap() const override;

    BOOL OnEraseBkgnd(HDC dc);
    void OnVisitWebsite();
    void OnVisitShop();
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

protected:
    BOOL OnInitDialog() override;

private:
    static const MessageEntry s_messageEntries[];
    dpi::DialogScaler m_dpiScaler;
};

// Where the About box paints, in client pixels at `dpi`: the places given for 96 DPI, scaled.
struct AboutLayout {
    POINT vendorName;
    RECT text;  // the About text, clipped to it
    RECT logo;
};
AboutLayout LayOutAbout(UINT dpi);

// The vendor's web page in the user's browser; the About box and the main window's button
// both open it.
void OpenVendorWebsite();
