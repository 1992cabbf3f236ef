#include "Dialog.h"

#include "framework/qt/ModalRun.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (GetSafeHwnd() && AfxIsInterfaceThread()) CWnd::DestroyWindow();
}

INT_PTR CDialog::DoModal() {
    CModalRun run(*this);
    bool opened = false;
    AfxCallOnInterfaceThread([&] { opened = run.Open(); });
    return opened ? run.Wait() : -1;
}

void CDialog::EndDialog(int nResult) {
    HWND hWnd = GetSafeHwnd();
    AfxCallOnInterfaceThread([hWnd, nResult] {
        if (CModalRun* run = CModalRun::FromHandle(hWnd)) run->End(nResult);
    });
}

BOOL CDialog::UpdateData(BOOL) {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetSafeHwnd() == nullptr) rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd);
}
