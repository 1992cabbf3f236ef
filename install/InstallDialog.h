#pragma once
// The install step: the user sets the downloaded dictionary as a lookup
// and/or capture dictionary, and the choice goes to the dictionary
// application, running or not.
#include "framework/AfxString.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "platform/AtlBase.h"
#include "platform/TarnwickObjects.h"

class install_class : public CDialog {
    DECLARE_DYNAMIC(install_class)

public:
    install_class(CStringA strDisplayName, CStringA strDictKey, CWnd* pParent = nullptr);

    CStatic m_stcDictName;
    CComPtr<IDictAppControl> m_pAppControl;
    CButton m_chkLookup;
    CButton m_chkCapture;
    CStringA m_strDisplayName;
    CStringA m_strDictKey;
    CComPtr<IDictConfig> m_pDictConfig;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // "确定" is the only way out: Escape and the close box do nothing.
    void OnCancel() override {}
    void OnBnClickedOk();

    DECLARE_MESSAGE_MAP()

private:
    void RegisterWithRunningApp(LRESULT capture, LRESULT lookup);
    void RegisterWithConfig(LRESULT capture, LRESULT lookup);
};
