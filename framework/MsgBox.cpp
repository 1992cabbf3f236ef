#include "MsgBox.h"

#include <QMessageBox>

#include "WinApp.h"
#include "WndWidget.h"

int AfxMessageBox(LPCWSTR lpszText, UINT) {
    CWnd* main = AfxGetMainWnd();
    WndCore* owner = main ? WndCore::FromHandle(main->GetSafeHwnd()) : nullptr;
    QMessageBox box(QMessageBox::Warning, QString::fromWCharArray(AfxGetAppName()),
                    QString::fromWCharArray(lpszText ? lpszText : L""), QMessageBox::Ok,
                    owner ? owner->Widget() : nullptr);
    box.exec();
    return IDOK;
}
