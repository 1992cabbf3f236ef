#include "WinApp.h"

namespace {
CWinApp* g_pApp = nullptr;
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCWSTR lpszAppName) {
    g_pApp = this;
    // Without a name of its own the title is the executable's base name.
    if (lpszAppName) m_strAppName = lpszAppName;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}
int CWinApp::ExitInstance() {
    return 0;
}
// The program keeps no settings of its own: the key is named, and nothing is
// ever stored under it.
void CWinApp::SetRegistryKey(LPCWSTR) {}
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    return g_pApp;
}
CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

void AfxEnableControlContainer() {}
