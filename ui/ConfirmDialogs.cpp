#include "ConfirmDialogs.h"

#include "res/resource.h"

IMPLEMENT_DYNAMIC(assure_class, CDialog)
IMPLEMENT_DYNAMIC(error_class, CDialog)

assure_class::assure_class(CWnd* pParent) : CDialog(IDD_ASSURE_DIALOG, pParent) {}

error_class::error_class(CWnd* pParent) : CDialog(IDD_ERROR_DIALOG, pParent) {}
