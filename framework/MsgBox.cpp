#include "MsgBox.h"

#include <QMessageBox>

#include "WinApp.h"
#include "WndWidget.h"
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
