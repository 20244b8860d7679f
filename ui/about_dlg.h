#pragma once

#include "framework/framework.h"

// The About box: product, version and the vendor's details painted beside the logo, with
// links to the vendor's web page and web shop. Modal, no state; Esc or the close box end it.
class CAboutDlg : public CDialogEx {
public:
    CAboutDlg();
    const MessageMap* GetMessageMap() const override;

    BOOL OnEraseBkgnd(HDC dc);
    void OnVisitWebsite();
    void OnVisitShop();

protected:
    BOOL OnInitDialog() override;

private:
    static const MessageEntry s_messageEntries[];
};

// The vendor's web page in the user's browser; the About box and the main window's button
// both open it.
void OpenVendorWebsite();
