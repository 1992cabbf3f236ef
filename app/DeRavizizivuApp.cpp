#include "DeRavizizivuApp.h"

#include "app/DownloadRequest.h"
#include "app/Language.h"
#include "framework/MsgBox.h"
#include "install/CaptureAllowed.h"
#include "platform/Com.h"
#include "platform/CommandLine.h"
#include "res/resource.h"
#include "ui/DAzOredavedidEzi.h"

BEGIN_MESSAGE_MAP(CDeRavizizivuApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CDeRavizizivuApp::CDeRavizizivuApp() : m_nCaptureAllowed(0) {}

CDeRavizizivuApp::~CDeRavizizivuApp() {
    CoUninitialize();
}

int32_t CaptureAllowed() {
    auto* app = static_cast<CDeRavizizivuApp*>(AfxGetApp());
    return app ? app->m_nCaptureAllowed : 0;
}

static void PreparePlatform(CWinApp& app) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    app.CWinApp::InitInstance();
    AfxEnableControlContainer();
    app.SetRegistryKey(L"Local AppWizard-Generated Applications");
    CoInitialize(nullptr);
}

BOOL CDeRavizizivuApp::InitInstance() {
    SelectInterfaceLanguage();
    PreparePlatform(*this);

    std::vector<CStringA> values;
    if (SplitCommandLine(GetCommandLineA(), values) != SPLIT_OK) return FALSE;
    DownloadRequest request{values[0], values[1], values[2], values[3], ParseCaptureFlag(values[4])};
    m_nCaptureAllowed = request.captureAllowed;

    CString message;
    message.LoadString(IDS_DICT_CHECK_FAILED);
    if (request.dictionaryKey.empty()) {
        AfxMessageBox(message, MB_OK);
        return FALSE;
    }
    DAzOredavedidEzi dlg(request.packageUrl, request.destinationPath, request.dictionaryKey, request.displayName,
                         nullptr);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
