#include "framework/MsgBox.h"

#include "framework/WinApp.h"

int AfxMessageBox(LPCWSTR lpszText, UINT nType) {
    CWnd* main = AfxGetMainWnd();
    return ::MessageBoxW(main ? main->GetSafeHwnd() : nullptr, lpszText ? lpszText : L"", AfxGetAppName(),
                         nType | MB_ICONEXCLAMATION);
}
