#include "ConfirmDialogs.h"

#include "res/resource.h"

IMPLEMENT_DYNAMIC(assure_class, CDialog)
IMPLEMENT_DYNAMIC(error_class, CDialog)

assure_class::assure_class(CWnd* pParent) : CDialog(IDD_ASSURE_DIALOG, pParent) {}

BEGIN_MESSAGE_MAP(error_class, CDialog)
    ON_BN_CLICKED(IDOK, OnBnClickedOk)
    ON_BN_CLICKED(IDCANCEL, OnBnClickedCancel)
END_MESSAGE_MAP()

error_class::error_class(CWnd* pParent) : CDialog(IDD_ERROR_DIALOG, pParent) {}

void error_class::OnBnClickedOk() {
    OnOK();
}

void error_class::OnBnClickedCancel() {
    OnCancel();
}
