#include "Dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <future>
#include <vector>

#include "ProgressWidget.h"
#include "WinApp.h"
#include "WndWidget.h"

// One open dialog: a nested loop on the interface thread, or, for a dialog
// asked for by a worker, the promise that wakes the waiting worker.
struct AFX_MODAL_RUN {
    CDialog* pDialog;
    QEventLoop* pLoop;
    std::shared_ptr<std::promise<INT_PTR>> done;
    QWidget* pOwner;
    bool bEnded = false;
};

namespace {
std::vector<AFX_MODAL_RUN*> g_openRuns;  // interface thread, in order of opening

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

void EndRunsAbove(AFX_MODAL_RUN* run) {
    // Dialogs opened inside this one, or owned by it, end with it, innermost
    // first, or the outer loop could never return.
    auto it = std::find(g_openRuns.begin(), g_openRuns.end(), run);
    std::vector<AFX_MODAL_RUN*> later(it == g_openRuns.end() ? g_openRuns.end() : it + 1, g_openRuns.end());
    WndCore* core = WndCore::FromHandle(run->pDialog->GetSafeHwnd());
    QWidget* self = core ? core->Widget() : nullptr;
    for (auto r = later.rbegin(); r != later.rend(); ++r)
        if ((run->pLoop && (*r)->pLoop) || (*r)->pOwner == self) (*r)->pDialog->EndDialog(IDCANCEL);
}
}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (GetSafeHwnd() && AfxIsInterfaceThread()) CWnd::DestroyWindow();
}

bool CDialog::Create() {
    const DLGTEMPLATE* t = AfxFindDialogTemplate(m_nIDTemplate);
    if (!t) return false;
    CWnd* owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    WndCore* ownerCore = owner && owner != this ? WndCore::FromHandle(owner->GetSafeHwnd()) : nullptr;
    auto* dlg = new DialogWidget(ownerCore ? ownerCore->Widget() : nullptr);
    dlg->Attach(this);
    dlg->setWindowModality(ownerCore ? Qt::WindowModal : Qt::NonModal);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t->style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t->style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
    dlg->setWindowFlags(flags);
    dlg->setWindowTitle(QString::fromUtf8(t->caption ? t->caption : ""));
    QFont font = TemplateFont(*t);
    dlg->setFont(font);
    DialogUnits du = BaseUnits(font);
    dlg->setFixedSize(du.X(t->cx), du.Y(t->cy));
    for (const DLGITEMTEMPLATE& item : t->items) {
        QWidget* w = CreateControl(item, dlg);
        w->setGeometry(du.X(item.x), du.Y(item.y), du.X(item.cx), du.Y(item.cy));
    }
    if ((t->style & DS_CENTER) && !ownerCore && dlg->screen()) {
        QRect screen = dlg->screen()->availableGeometry();
        dlg->move(screen.center() - QPoint(dlg->width() / 2, dlg->height() / 2));
    }
    return true;
}

static void ShowAndFocus(QWidget* dlg) {
    dlg->show();
    for (QWidget* child : dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->focusPolicy() & Qt::TabFocus && child->isEnabled() && child->isVisible()) {
            child->setFocus(Qt::TabFocusReason);
            break;
        }
}

INT_PTR CDialog::DoModal() {
    if (!AfxIsInterfaceThread()) {
        auto done = std::make_shared<std::promise<INT_PTR>>();
        std::future<INT_PTR> answer = done->get_future();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, done] {
                if (!Create()) return done->set_value(-1);
                QWidget* w = WndCore::FromHandle(GetSafeHwnd())->Widget();
                m_pRun = new AFX_MODAL_RUN{this, nullptr, done, w->parentWidget()};
                g_openRuns.push_back(m_pRun);
                BOOL focus = OnInitDialog();
                if (m_pRun && !m_pRun->bEnded) focus ? ShowAndFocus(w) : w->show();
            },
            Qt::QueuedConnection);
        return answer.get();
    }
    if (!Create()) return -1;
    QWidget* w = WndCore::FromHandle(GetSafeHwnd())->Widget();
    QEventLoop loop;
    AFX_MODAL_RUN run{this, &loop, nullptr, w->parentWidget()};
    m_pRun = &run;
    g_openRuns.push_back(&run);
    BOOL focus = OnInitDialog();
    if (!run.bEnded) {
        focus ? ShowAndFocus(w) : w->show();
        loop.exec(QEventLoop::DialogExec);
    }
    g_openRuns.erase(std::find(g_openRuns.begin(), g_openRuns.end(), &run));
    m_pRun = nullptr;
    CWnd::DestroyWindow();
    return m_nModalResult.load();
}

void CDialog::Finish(int nResult) {
    AFX_MODAL_RUN* run = m_pRun;
    if (!run || run->bEnded) return;
    run->bEnded = true;
    m_nModalResult = nResult;
    EndRunsAbove(run);
    if (WndCore* core = WndCore::FromHandle(GetSafeHwnd())) core->Widget()->hide();
    if (run->pLoop) return run->pLoop->exit();
    // A worker's dialog: the window goes once the handler that ended it has
    // returned, then the worker wakes with the answer.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, run] {
            g_openRuns.erase(std::find(g_openRuns.begin(), g_openRuns.end(), run));
            m_pRun = nullptr;
            CWnd::DestroyWindow();
            auto done = run->done;
            delete run;
            done->set_value(m_nModalResult.load());
        },
        Qt::QueuedConnection);
}

void CDialog::EndDialog(int nResult) {
    HWND hWnd = GetSafeHwnd();
    if (!hWnd) return;
    auto end = [hWnd, nResult] {
        if (auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd))) dlg->Finish(nResult);
    };
    if (AfxIsInterfaceThread())
        end();
    else
        QMetaObject::invokeMethod(QCoreApplication::instance(), end, Qt::QueuedConnection);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetSafeHwnd() == nullptr) rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd);
}
