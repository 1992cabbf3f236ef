// Windows on this ground are widgets of the interface thread; a call from
// another thread is carried there and waited for.
#include "framework/Wnd.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>

#include "WndWidget.h"

CWnd::~CWnd() {
    // A control object may outlive its window or go first; either way they part here.
    if (AfxIsInterfaceThread())
        if (WndCore* core = WndCore::FromHandle(GetSafeHwnd()); core && core->Attached() == this) core->Detach();
}

LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Another thread waits while the window's own thread handles the message.
    LRESULT result = 0;
    AfxCallOnInterfaceThread([&] {
        if (WndCore* core = WndCore::FromHandle(hWnd)) result = core->Dispatch(message, wParam, lParam);
    });
    return result;
}

BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return WndCore::Post(hWnd, message, wParam, lParam) ? TRUE : FALSE;
}

BOOL IsWindow(HWND hWnd) {
    return hWnd != nullptr && WndCore::FromHandle(hWnd) != nullptr;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    WndCore* dlg = WndCore::FromHandle(hDlg);
    if (!dlg) return nullptr;
    for (QWidget* child : dlg->Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        WndCore* core = WndCore::FromWidget(child);
        if (core && core->Id() == nIDDlgItem) return core->Handle();
    }
    return nullptr;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    WndCore* core = WndCore::FromHandle(GetSafeHwnd());
    return core ? core->DefProc(message, wParam, lParam) : 0;
}

LRESULT CWnd::Default() {
    return AfxDefaultOfCurrentMessage(this);
}

// Runs f with the window's widget on the interface thread and answers its result.
template <class F>
static auto OnWidget(HWND hWnd, F f) -> decltype(f(static_cast<QWidget*>(nullptr))) {
    decltype(f(static_cast<QWidget*>(nullptr))) result{};
    AfxCallOnInterfaceThread([&] {
        if (WndCore* core = WndCore::FromHandle(hWnd)) result = f(core->Widget());
    });
    return result;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return OnWidget(GetSafeHwnd(), [&](QWidget* w) {
        BOOL wasVisible = w->isVisible();
        w->setVisible(nCmdShow != SW_HIDE);
        return wasVisible;
    });
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    return OnWidget(GetSafeHwnd(), [&](QWidget* w) {
        BOOL wasDisabled = !w->isEnabled();
        w->setEnabled(bEnable != FALSE);
        return wasDisabled;
    });
}

BOOL CWnd::IsIconic() const {
    return OnWidget(GetSafeHwnd(), [](QWidget* w) { return BOOL(w->isMinimized()); });
}

void CWnd::GetClientRect(LPRECT rect) const {
    *rect = OnWidget(GetSafeHwnd(), [](QWidget* w) {
        QSize client = WndCore::FromWidget(w)->ClientRect().size();
        return RECT{0, 0, client.width(), client.height()};
    });
}

// A rectangle of the client area in the widget's coordinates; all of it for null.
static QRect ClientToWidget(QWidget* w, LPCRECT rect) {
    QRect client = WndCore::FromWidget(w)->ClientRect();
    if (!rect) return client;
    return QRect(QPoint(rect->left, rect->top), QSize(rect->right - rect->left, rect->bottom - rect->top))
        .translated(client.topLeft())
        .intersected(client);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL) {
    OnWidget(GetSafeHwnd(), [&](QWidget* w) {
        w->update(ClientToWidget(w, lpRect));
        return 0;
    });
}

BOOL CWnd::RedrawWindow(LPCRECT rectUpdate, CRgn*, UINT flags) {
    return OnWidget(GetSafeHwnd(), [&](QWidget* w) {
        QRect r = ClientToWidget(w, rectUpdate);
        if (flags & RDW_UPDATENOW)
            w->repaint(r);  // painted before the call returns
        else if (flags & RDW_INVALIDATE)
            w->update(r);
        return TRUE;
    });
}

BOOL CWnd::UpdateWindow() {
    constexpr int kExposeWaitMs = 1000;
    constexpr auto kWindowSystemOnly =
        QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers;
    return OnWidget(GetSafeHwnd(), [&](QWidget* w) {
        WndCore* core = WndCore::FromWidget(w);
        QWidget* top = w->window();
        auto exposed = [top] { return top->windowHandle() && top->windowHandle()->isExposed(); };
        if (w->isVisible()) {
            CQueuedCallsHold hold;
            QElapsedTimer clock;
            clock.start();
            while (!(exposed() && core->HasPainted()) && clock.elapsed() < kExposeWaitMs) {
                QCoreApplication::processEvents(kWindowSystemOnly);
                if (!(exposed() && core->HasPainted())) QThread::msleep(1);
            }
        }
        if (exposed()) QCoreApplication::sendPostedEvents(top, QEvent::UpdateRequest);
        return TRUE;
    });
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent) return FALSE;
    WndCore* core = WndCore::FromHandle(::GetDlgItem(pParent->GetSafeHwnd(), static_cast<int>(nID)));
    if (!core) return FALSE;
    core->Attach(this);
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    return OnWidget(GetSafeHwnd(), [](QWidget* w) {
        delete w;
        return TRUE;
    });
}
