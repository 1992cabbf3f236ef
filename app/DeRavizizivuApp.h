#pragma once
#include "framework/WinApp.h"

class CDeRavizizivuApp : public CWinApp {
public:
    CDeRavizizivuApp();
    ~CDeRavizizivuApp() override;

    // Does the whole run and answers false, so the process ends with it.
    BOOL InitInstance() override;

    int32_t m_nCaptureAllowed;

    DECLARE_MESSAGE_MAP()
};

extern CDeRavizizivuApp theApp;
