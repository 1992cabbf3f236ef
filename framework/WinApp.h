#pragma once
// The application object: one per process, its InitInstance does the work.
#include "CmdTarget.h"
#include "Wnd.h"

#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    void SetRegistryKey(LPCWSTR lpszRegistryKey);

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;  // the application title

protected:
    void OnHelp();
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
LPCWSTR AfxGetAppName();

// Hosting of ActiveX controls; no dialog here contains one.
void AfxEnableControlContainer();

#ifdef _WIN32
#include <commctrl.h>
#else
#define ICC_WIN95_CLASSES 0x000000FFu
struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);
#endif

// The framework's entry: starts the ground's application and runs InitInstance.
int AfxWinMain(int argc, char** argv);
