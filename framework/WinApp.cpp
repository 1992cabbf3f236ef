#include "WinApp.h"

#include <QApplication>

#include <cerrno>  // program_invocation_short_name
#include <clocale>

#include "platform/CodePage.h"
#include "platform/CommandLine.h"

namespace {
CWinApp* g_pApp = nullptr;
}

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
void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) {
    m_strRegistryKey = lpszRegistryKey;
}
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    return g_pApp;
}
CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

LPCWSTR AfxGetAppName() {
    static thread_local CString name;
    if (g_pApp && !g_pApp->m_strAppName.empty()) return g_pApp->m_strAppName.c_str();
    name = CA2W(program_invocation_short_name);
    return name.c_str();
}

void AfxEnableControlContainer() {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    return picce && picce->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

int AfxWinMain(int argc, char** argv) {
    setlocale(LC_ALL, "");
    SetProcessCommandLine(argc, argv);
    // The toolkit gets the program name only: it would take away arguments
    // such as "-reverse" that belong to the command line.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QApplication application(toolkitArgc, toolkitArgv);
    CWinApp* app = AfxGetApp();
    if (!app) return 0;
    // There is no message loop of the application's own: its dialogs run
    // theirs inside InitInstance, and the exit code carries nothing.
    app->InitInstance();
    app->ExitInstance();
    return 0;
}
