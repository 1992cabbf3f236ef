#include "framework/MsgBox.h"

#include "framework/WinApp.h"
#include "platform/CodePage.h"

int AfxMessageBox(LPCWSTR lpszText, UINT nType) {
    CWnd* main = AfxGetMainWnd();
    const std::wstring shown = ShownText(lpszText ? lpszText : L"");
    return ::MessageBoxW(main ? main->GetSafeHwnd() : nullptr, shown.c_str(), AfxGetAppName(),
                         nType | MB_ICONEXCLAMATION);
}
