// The modal run of a dialog on this ground: its window lives on the thread
// that asked for the run.
#include "framework/Dialog.h"

#include "ModalRun.h"

CDialog::~CDialog() {
    HWND hWnd = GetSafeHwnd();
    if (hWnd && ::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId()) ::DestroyWindow(hWnd);
}

INT_PTR CDialog::DoModal() {
    CModalRun run(*this);
    if (!run.Open()) return -1;
    return run.Run();
}

void CDialog::EndDialog(int nResult) {
    // From another thread the end travels behind what that thread posted
    // before, so the dialog handles those messages first.
    HWND hWnd = GetSafeHwnd();
    bool elsewhere = hWnd && ::GetWindowThreadProcessId(hWnd, nullptr) != ::GetCurrentThreadId();
    if (elsewhere && ::PostMessageW(hWnd, CModalRun::EndMessage(), static_cast<WPARAM>(nResult), 0)) return;
    CModalRun::End(hWnd, nResult);
}
