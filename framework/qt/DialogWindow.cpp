#include "DialogWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ProgressWidget.h"
#include "WndWidget.h"

namespace {
class DialogWidget : public WndWidget<QDialog> {
public:
    explicit DialogWidget(QWidget* owner) : WndWidget<QDialog>(0, owner) {}

    LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        // The caption's close box asks the dialog to cancel, as Escape does.
        if (message == WM_CLOSE) return Dispatch(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return WndCore::DefProc(message, wParam, lParam);
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        Dispatch(WM_CLOSE, 0, 0);
    }

    void keyPressEvent(QKeyEvent* e) override {
        if (e->modifiers() & ~Qt::KeypadModifier) return QWidget::keyPressEvent(e);
        if (e->key() == Qt::Key_Escape) {
            Dispatch(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            PressDefault();
        } else {
            QWidget::keyPressEvent(e);
        }
    }

private:
    // Enter presses the focused push button, else the default push button.
    void PressDefault() {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* target = focused;
        if (!target)
            for (auto* b : findChildren<QPushButton*>())
                if (b->isDefault()) target = b;
        if (target) {
            if (target->isEnabled()) target->click();
        } else {
            Dispatch(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    }
};

struct DialogUnits {
    int baseX, baseY;
    int X(int du) const { return (du * baseX + 2) / 4; }
    int Y(int du) const { return (du * baseY + 4) / 8; }
};

QFont TemplateFont(const DLGTEMPLATE& t) {
    // "MS Shell Dlg" is the desktop's sans-serif face; CJK comes by fallback.
    QFont font(QStringLiteral("Sans Serif"), t.pointSize ? t.pointSize : 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogUnits BaseUnits(const QFont& font) {
    QFontMetrics fm(font);
    int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, fm.height()};
}

void NotifyParent(QWidget* control) {
    WndCore* self = WndCore::FromWidget(control);
    WndCore* parent = WndCore::FromWidget(control->parentWidget());
    if (self && parent)
        parent->Dispatch(WM_COMMAND, MAKEWPARAM(self->Id(), BN_CLICKED), reinterpret_cast<LPARAM>(self->Handle()));
}

QWidget* CreateControl(const DLGITEMTEMPLATE& item, QWidget* parent) {
    const QString text = QString::fromUtf8(item.text ? item.text : "");
    const QString cls = QString::fromLatin1(item.className).toLower();
    QWidget* w = nullptr;
    if (cls == QLatin1String("button")) {
        QAbstractButton* button;
        if ((item.style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
            button = new WndWidget<QCheckBox>(item.id, parent);
        } else {
            auto* push = new WndWidget<QPushButton>(item.id, parent);
            push->setAutoDefault(false);
            push->setDefault((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
            button = push;
        }
        button->setText(text);
        QObject::connect(button, &QAbstractButton::clicked, button, [button] { NotifyParent(button); });
        w = button;
    } else if (cls == QLatin1String("static")) {
        auto* label = new WndWidget<QLabel>(item.id, parent);
        label->setText(text);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = label;
    } else if (cls == QLatin1String("msctls_progress32")) {
        w = new ProgressWidget(item.id, parent);
    } else {
        w = new WndWidget<QWidget>(item.id, parent);
    }
    if (item.style & WS_BORDER) WndCore::FromWidget(w)->SetBorder(1);
    w->setFocusPolicy((item.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::NoFocus);
    w->setEnabled(!(item.style & WS_DISABLED));
    w->setVisible(item.style & WS_VISIBLE);
    return w;
}

void RetireTree(QWidget* w) {
    for (QWidget* child : w->findChildren<QWidget*>())
        if (WndCore* core = WndCore::FromWidget(child)) core->Retire();
    if (WndCore* core = WndCore::FromWidget(w)) core->Retire();
}
}  // namespace

WndCore* AfxCreateDialogWindow(const DLGTEMPLATE& t, QWidget* pOwner) {
    auto* dlg = new DialogWidget(pOwner);
    dlg->setWindowModality(pOwner ? Qt::WindowModal : Qt::NonModal);
    // The frame follows the template's style: no maximise box, and a fixed
    // size, as a dialog frame has.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
    dlg->setWindowFlags(flags);
    dlg->setWindowTitle(QString::fromUtf8(t.caption ? t.caption : ""));
    QFont font = TemplateFont(t);
    dlg->setFont(font);
    DialogUnits du = BaseUnits(font);
    dlg->setFixedSize(du.X(t.cx), du.Y(t.cy));
    for (const DLGITEMTEMPLATE& item : t.items) {
        QWidget* w = CreateControl(item, dlg);
        w->setGeometry(du.X(item.x), du.Y(item.y), du.X(item.cx), du.Y(item.cy));
    }
    if ((t.style & DS_CENTER) && !pOwner && dlg->screen()) {
        QRect screen = dlg->screen()->availableGeometry();
        dlg->move(screen.center() - QPoint(dlg->width() / 2, dlg->height() / 2));
    }
    return dlg;
}

void AfxShowDialogWindow(WndCore* pDlg, bool bSetFocus) {
    QWidget* dlg = pDlg->Widget();
    dlg->show();
    if (!bSetFocus) return;
    for (QWidget* child : dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->focusPolicy() & Qt::TabFocus && child->isEnabled() && child->isVisible()) {
            child->setFocus(Qt::TabFocusReason);
            break;
        }
}

void AfxDestroyDialogWindow(WndCore* pDlg) {
    QWidget* dlg = pDlg->Widget();
    dlg->hide();
    RetireTree(dlg);
    dlg->deleteLater();
}
