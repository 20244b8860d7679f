#pragma once

#include "framework/framework.h"

class CTavrolinApp : public CWinApp {
public:
    CTavrolinApp();
    ~CTavrolinApp() override;
    const MessageMap* GetMessageMap() const override;
    BOOL InitInstance() override;
    int ExitInstance() override { return m_exitCode; }

private:
    HANDLE m_instanceMutex = nullptr;
    int m_exitCode = 0;
};
