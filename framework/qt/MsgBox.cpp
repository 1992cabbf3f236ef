#include "framework/MsgBox.h"

#include <QMessageBox>

#include "WndWidget.h"
#include "framework/WinApp.h"
#include "platform/CodePage.h"

int AfxMessageBox(LPCWSTR lpszText, UINT) {
    CWnd* main = AfxGetMainWnd();
    WndCore* owner = main ? WndCore::FromHandle(main->GetSafeHwnd()) : nullptr;
    QMessageBox box(QMessageBox::Warning, QString::fromStdWString(ShownText(AfxGetAppName())),
                    QString::fromStdWString(ShownText(lpszText ? lpszText : L"")), QMessageBox::Ok,
                    owner ? owner->Widget() : nullptr);
    box.exec();
    return IDOK;
}
