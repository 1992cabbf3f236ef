#include "ModalRun.h"

#include <QEventLoop>

#include <algorithm>
#include <vector>

#include "DialogWindow.h"
#include "WndWidget.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {
std::vector<CModalRun*> g_openRuns;  // interface thread, in order of opening
}

CModalRun::CModalRun(CDialog& dlg) : m_dlg(dlg), m_bOnInterfaceThread(AfxIsInterfaceThread()) {}

bool CModalRun::Open() {
    ASSERT_INTERFACE_THREAD();
    const DLGTEMPLATE* t = AfxFindDialogTemplate(m_dlg.m_nIDTemplate);
    if (!t) return false;
    CWnd* owner = m_dlg.m_pParentWnd ? m_dlg.m_pParentWnd : AfxGetMainWnd();
    m_hOwner = owner && owner != &m_dlg ? owner->GetSafeHwnd() : nullptr;
    WndCore* ownerWindow = WndCore::FromHandle(m_hOwner);
    // The interface thread's question blocks its owner. A worker's blocks no
    // window (the worker itself waits), so that both threads' questions stay
    // answerable together, in either order.
    m_pWindow = AfxCreateDialogWindow(*t, m_bOnInterfaceThread && ownerWindow ? ownerWindow->Widget() : nullptr);
    m_pWindow->Attach(&m_dlg);
    m_hWnd = m_pWindow->Handle();
    g_openRuns.push_back(this);
    bool focus = m_dlg.OnInitDialog();
    if (!m_bEnding) AfxShowDialogWindow(m_pWindow, focus);
    return true;
}

INT_PTR CModalRun::Wait() {
    if (m_bOnInterfaceThread) {
        if (m_bEnding) return m_nResult;  // ended before it was shown
        QEventLoop loop;
        m_pLoop = &loop;
        return loop.exec(QEventLoop::DialogExec);  // End quits it with the result
    }
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return m_bEnded; });
    return m_nResult;
}

void CModalRun::End(INT_PTR nResult) {
    ASSERT_INTERFACE_THREAD();
    if (m_bEnding) return;
    m_bEnding = true;
    for (CModalRun* inner = NewestInside(); inner; inner = NewestInside()) inner->End(IDCANCEL);
    g_openRuns.erase(std::find(g_openRuns.begin(), g_openRuns.end(), this));
    AfxDestroyDialogWindow(m_pWindow);
    if (m_pLoop) m_pLoop->exit(static_cast<int>(nResult));
    std::lock_guard lock(m_mutex);
    m_nResult = nResult;
    m_bEnded = true;
    m_ended.notify_one();
    // A waiting worker may go on, and take this run with it, once the lock is released.
}

CModalRun* CModalRun::FromHandle(HWND hWnd) {
    ASSERT_INTERFACE_THREAD();
    auto it = std::find_if(g_openRuns.begin(), g_openRuns.end(), [hWnd](CModalRun* r) { return r->m_hWnd == hWnd; });
    return it == g_openRuns.end() ? nullptr : *it;
}

bool CModalRun::Encloses(const CModalRun& other) const {
    return (m_bOnInterfaceThread && other.m_bOnInterfaceThread) || other.m_hOwner == m_hWnd;
}

CModalRun* CModalRun::NewestInside() const {
    for (auto it = g_openRuns.rbegin(); it != g_openRuns.rend() && *it != this; ++it)
        if (Encloses(**it)) return *it;
    return nullptr;
}
