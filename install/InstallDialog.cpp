#include "InstallDialog.h"

#include "install/CaptureAllowed.h"
#include "install/MainAppProcess.h"
#include "platform/CodePage.h"
#include "res/resource.h"

namespace {
const LONG DICT_USE_LOOKUP = 1;
const LONG DICT_USE_CAPTURE = 2;
const LONG DICT_USE_LOOKUP_AND_CAPTURE = 0x21;  // one call for both, to the running application only
const wchar_t kPlugInProgId[] = L"VuVadoZuv.UrEzarEziVevodo";
const LONG kAllFlags = -1;

// Each call gets fresh texts, freed as soon as it returns. An application
// that never answers holds the dialog only so long.
template <class Object, class Method>
void CallUsage(CComPtr<Object>& object, Method method, LONG usage, const CStringA& key) {
    CComBSTR bstrKey(CA2W(key).c_str());
    CComBSTR bstrProgId(kPlugInProgId);
    CallWithLimit(object, method, usage, bstrKey, bstrProgId, kAllFlags);
}
}  // namespace

IMPLEMENT_DYNAMIC(install_class, CDialog)

BEGIN_MESSAGE_MAP(install_class, CDialog)
    ON_BN_CLICKED(IDOK, OnBnClickedOk)
END_MESSAGE_MAP()

install_class::install_class(CStringA strDisplayName, CStringA strDictKey, CWnd* pParent)
    : CDialog(IDD_INSTALL_DIALOG, pParent),
      m_strDisplayName(std::move(strDisplayName)),
      m_strDictKey(std::move(strDictKey)) {}

void install_class::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DICT_NAME, m_stcDictName);
    DDX_Control(pDX, IDC_CHECK_LOOKUP, m_chkLookup);
    DDX_Control(pDX, IDC_CHECK_CAPTURE, m_chkCapture);
}

BOOL install_class::OnInitDialog() {
    BOOL result = CDialog::OnInitDialog();
    if (CaptureAllowed() == 0) m_chkCapture.EnableWindow(FALSE);
    m_stcDictName.SetWindowText(CA2W(m_strDisplayName).c_str());
    return result;
}

void install_class::OnBnClickedOk() {
    LRESULT capture = ::SendMessageW(m_chkCapture.GetSafeHwnd(), BM_GETCHECK, 0, 0);
    LRESULT lookup = ::SendMessageW(m_chkLookup.GetSafeHwnd(), BM_GETCHECK, 0, 0);
    if (IsMainAppRunning())
        RegisterWithRunningApp(capture, lookup);
    else
        RegisterWithConfig(capture, lookup);
    OnOK();
}

void install_class::RegisterWithRunningApp(LRESULT capture, LRESULT lookup) {
    CComPtr<IUnknown> running;
    if (SUCCEEDED(GetActiveObject(CLSID_DictAppControl, nullptr, &running)) && running)
        running->QueryInterface(IID_IDictAppControl, reinterpret_cast<void**>(&m_pAppControl));
    running.Release();
    if (!m_pAppControl)
        CoCreateInstance(CLSID_DictAppControl, nullptr, CLSCTX_ALL, IID_IDictAppControl,
                         reinterpret_cast<void**>(&m_pAppControl));
    if (!m_pAppControl) return;
    LONG usage = 0;
    if (capture & lookup)
        usage = DICT_USE_LOOKUP_AND_CAPTURE;
    else if (capture)
        usage = DICT_USE_CAPTURE;
    else if (lookup)
        usage = DICT_USE_LOOKUP;
    else
        OnOK();  // nothing chosen: the dialog ends first, and the application still hears of it
    CallUsage(m_pAppControl, &IDictAppControl::SetDictUsage, usage, m_strDictKey);
}

void install_class::RegisterWithConfig(LRESULT capture, LRESULT lookup) {
    if (FAILED(CoCreateInstance(CLSID_DictConfig, nullptr, CLSCTX_ALL, IID_IDictConfig,
                                reinterpret_cast<void**>(&m_pDictConfig))) ||
        !m_pDictConfig)
        return;
    // The configuration knows no combined code: capture first, then lookup.
    if (capture) CallUsage(m_pDictConfig, &IDictConfig::AddDictUsage, DICT_USE_CAPTURE, m_strDictKey);
    if (lookup) CallUsage(m_pDictConfig, &IDictConfig::AddDictUsage, DICT_USE_LOOKUP, m_strDictKey);
}
