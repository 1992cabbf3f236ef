// The modal run of a dialog on this ground: its window lives on the
// interface thread, whichever thread asked for the run.
#include "framework/Dialog.h"

#include "ModalRun.h"

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
