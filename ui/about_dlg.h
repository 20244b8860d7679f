#pragma once

#include "framework/framework.h"

// The About box: product, version and the vendor's details, with links to the vendor's pages.
class CAboutDlg : public CDialogEx {
public:
    CAboutDlg();
    const MessageMap* GetMessageMap() const override;

    void OnVisitWebsite();
    void OnVisitShop();

protected:
    BOOL OnInitDialog() override;
};
