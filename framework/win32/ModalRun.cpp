#include "ModalRun.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "TemplateFrames.h"
#include "WndProc.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {
std::mutex g_runsMutex;
std::vector<CModalRun*> g_runs;  // every open run, in order of opening

bool OnThisThread(HWND hWnd) {
    return hWnd && ::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId();
}
}  // namespace

CModalRun::CModalRun(CDialog& dlg) : m_dlg(dlg), m_nThreadId(::GetCurrentThreadId()) {
    CWnd* owner = m_dlg.m_pParentWnd ? m_dlg.m_pParentWnd : AfxGetMainWnd();
    HWND hOwner = owner && owner != &m_dlg ? owner->GetSafeHwnd() : nullptr;
    // A window of another thread is never disabled: its own thread's questions
    // and buttons must stay answerable.
    if (OnThisThread(hOwner))
        m_hOwner = hOwner;
    else
        m_hAskedFor = hOwner;
}

CModalRun::~CModalRun() {
    {
        std::lock_guard lock(g_runsMutex);
        g_runs.erase(std::remove(g_runs.begin(), g_runs.end(), this), g_runs.end());
    }
    // The owner first, so that activation goes back to it, not elsewhere.
    if (m_hOwner && m_bOwnerWasEnabled) ::EnableWindow(m_hOwner, TRUE);
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CModalRun::Open() {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(m_dlg.m_nIDTemplate), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    auto* dialogTemplate = static_cast<LPCDLGTEMPLATEW>(loaded ? ::LockResource(loaded) : nullptr);
    if (!dialogTemplate) return false;
    m_pTemplate = dialogTemplate;
    {
        std::lock_guard lock(g_runsMutex);
        g_runs.push_back(this);
        // A question about a window whose run has already ended has nobody to answer.
        if (m_hAskedFor && !::IsWindow(m_hAskedFor)) m_bEnded = true;
    }
    if (m_hOwner) m_bOwnerWasEnabled = !::EnableWindow(m_hOwner, FALSE);
    HWND created =
        ::CreateDialogIndirectParamW(module, dialogTemplate, m_hOwner, &DialogProc, reinterpret_cast<LPARAM>(this));
    if (!created) return false;
    if (!Ended()) ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

INT_PTR CALLBACK CModalRun::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // Everything else reaches the dialog through its object's window procedure.
    if (message != WM_INITDIALOG) return FALSE;
    return reinterpret_cast<CModalRun*>(lParam)->InitDialog(hWnd);
}

BOOL CModalRun::InitDialog(HWND hWnd) {
    {
        std::lock_guard lock(g_runsMutex);
        m_hWnd = hWnd;
    }
    AfxRestoreTemplateFrames(hWnd, m_pTemplate);
    AfxAttachWindow(hWnd, &m_dlg);
    return m_dlg.OnInitDialog();
}

bool CModalRun::Ended() const {
    std::lock_guard lock(g_runsMutex);
    return m_bEnded;
}

INT_PTR CModalRun::Run() {
    MSG msg;
    while (!Ended()) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The thread is asked to quit: this run ends, and so do the runs around it.
            End(m_hWnd, IDCANCEL);
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        // The keyboard of every dialog of this thread, Tab, Enter and Escape among it.
        HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && ::IsDialogMessageW(root, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    std::lock_guard lock(g_runsMutex);
    return m_nResult;
}

UINT CModalRun::EndMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"DeRavizizivu.EndDialog");
    return message;
}

void CModalRun::End(HWND hWnd, INT_PTR nResult) {
    if (!hWnd) return;
    std::lock_guard lock(g_runsMutex);
    auto it = std::find_if(g_runs.begin(), g_runs.end(), [hWnd](CModalRun* r) { return r->m_hWnd == hWnd; });
    if (it != g_runs.end()) (*it)->EndLocked(nResult);
}

void CModalRun::EndLocked(INT_PTR nResult) {
    if (m_bEnded) return;
    m_bEnded = true;
    m_nResult = nResult;
    auto self = std::find(g_runs.begin(), g_runs.end(), this);
    for (auto inner = g_runs.end(); inner != self;) {
        --inner;
        bool askedForThis = m_hWnd && (*inner)->m_hAskedFor == m_hWnd;
        if ((*inner)->m_nThreadId == m_nThreadId || askedForThis) (*inner)->EndLocked(IDCANCEL);
    }
    // Wakes the loop, which may be waiting on another thread; a run without
    // its window yet sees the end before its loop begins.
    if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}
