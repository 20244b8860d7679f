#pragma once

#include "framework/framework.h"

class CTavrolinApp : public CWinApp {
public:
    CTavrolinApp();
    ~CTavrolinApp() override;
    const MessageMap* GetMessageMap() const override;
    BOOL InitInstance() override;

private:
    HANDLE m_instanceMutex = nullptr;
};
