#include "WndWidget.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QPainter>

#include <mutex>
#include <unordered_map>

#include "framework/Gdi.h"
#include "platform/CodePage.h"

namespace {
std::mutex g_handleMutex;
std::unordered_map<HWND, WndCore*> g_handles;
uintptr_t g_nextHandle = 0x100;

// The message being handled on the interface thread, for CWnd::Default.
struct CurrentMessage {
    WndCore* core;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local const CurrentMessage* t_current = nullptr;
}  // namespace

WndCore::WndCore(QWidget* self, int id) : m_pSelf(self), m_nID(id) {
    AfxPrepareInterfaceThread();            // before a worker can post to this window
    self->setProperty("afxControlId", id);  // lets tools and tests find a control by its id
    std::lock_guard lock(g_handleMutex);
    g_nextHandle += 4;
    m_hWnd = reinterpret_cast<HWND>(g_nextHandle);
    g_handles.emplace(m_hWnd, this);
}

WndCore::~WndCore() {
    Retire();
}

void WndCore::Retire() {
    {
        std::lock_guard lock(g_handleMutex);
        g_handles.erase(m_hWnd);
    }
    Detach();
}

void WndCore::Attach(CWnd* pWnd) {
    m_pWnd = pWnd;
    if (pWnd) pWnd->m_hWnd = m_hWnd;
}

void WndCore::Detach() {
    if (m_pWnd) m_pWnd->m_hWnd = nullptr;
    m_pWnd = nullptr;
}

WndCore* WndCore::FromHandle(HWND hWnd) {
    std::lock_guard lock(g_handleMutex);
    auto it = g_handles.find(hWnd);
    return it == g_handles.end() ? nullptr : it->second;
}

WndCore* WndCore::FromWidget(QWidget* w) {
    return dynamic_cast<WndCore*>(w);
}

bool WndCore::Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Held while posting so the window cannot be destroyed in between; one
    // destroyed before delivery gets nothing.
    std::lock_guard lock(g_handleMutex);
    if (!g_handles.count(hWnd)) return false;
    AfxPostToInterfaceThread([=] {
        if (WndCore* core = FromHandle(hWnd)) core->Dispatch(message, wParam, lParam);
    });
    return true;
}

LRESULT WndCore::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage current{this, message, wParam, lParam};
    const CurrentMessage* saved = t_current;
    t_current = &current;
    LRESULT result = m_pWnd ? m_pWnd->WindowProc(message, wParam, lParam) : DefProc(message, wParam, lParam);
    t_current = saved;
    return result;
}

LRESULT AfxDefaultOfCurrentMessage(const CWnd* pWnd) {
    if (!t_current || !t_current->core || t_current->core->Attached() != pWnd) return 0;
    return t_current->core->DefProc(t_current->message, t_current->wParam, t_current->lParam);
}

static QString TextOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (w->isWindow()) return w->windowTitle();
    return w->property("afxWindowText").toString();
}

static void SetTextOf(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (w->isWindow())
        w->setWindowTitle(text);
    else
        w->setProperty("afxWindowText", text);
}

LRESULT WndCore::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT: {
            auto* text = reinterpret_cast<const wchar_t*>(lParam);
            SetTextOf(m_pSelf, text ? QString::fromStdWString(ShownText(text)) : QString());
            return TRUE;
        }
        case WM_GETTEXTLENGTH:
            return TextOf(m_pSelf).toStdWString().size();
        case WM_GETTEXT:
            return AfxAnswerGetText(TextOf(m_pSelf).toStdWString(), wParam, lParam);
        case BM_GETCHECK: {
            auto* button = qobject_cast<QAbstractButton*>(m_pSelf);
            return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
        }
        case WM_ERASEBKGND: {
            CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam));
            if (!dc) return FALSE;
            RECT box;
            dc->GetClipBox(&box);
            QColor c = m_pSelf->palette().color(m_pSelf->backgroundRole());
            dc->FillSolidRect(&box, RGB(c.red(), c.green(), c.blue()));
            return TRUE;
        }
        case WM_PAINT:
            if (m_pCurrentPaint) BasePaint(m_pCurrentPaint);
            return 0;
        case WM_SETICON:
            if (auto* icon = reinterpret_cast<QIcon*>(lParam)) m_pSelf->setWindowIcon(*icon);
            return 0;
        default:
            return 0;
    }
}

void WndCore::SetBorder(int nWidth) {
    m_nBorder = nWidth;
    m_pSelf->setContentsMargins(nWidth, nWidth, nWidth, nWidth);  // the toolkit's own painting stays inside too
}

QRect WndCore::ClientRect() const {
    return m_pSelf->rect().adjusted(m_nBorder, m_nBorder, -m_nBorder, -m_nBorder);
}

void WndCore::HandlePaint(QPaintEvent* e) {
    m_bPainted = true;
    QPaintEvent* saved = m_pCurrentPaint;
    m_pCurrentPaint = e;
    Dispatch(WM_PAINT, 0, 0);
    m_pCurrentPaint = saved;
    PaintBorder(e);
}

void WndCore::PaintBorder(QPaintEvent* e) {
    QRegion frame = QRegion(m_pSelf->rect()).subtracted(ClientRect()).intersected(e->region());
    if (frame.isEmpty()) return;
    QPainter painter(m_pSelf);
    painter.setClipRegion(frame);
    // The window-frame colour: a thin dark line.
    painter.fillRect(m_pSelf->rect(), m_pSelf->palette().color(QPalette::WindowText));
}

void WndCore::HandleResize(QResizeEvent*) {
    QSize client = ClientRect().size();
    Dispatch(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.width(), client.height()));
}
