#pragma once
// Windows: a CWnd stands for one window of the interface thread, reached by
// its handle from any thread.
#include <atomic>

#include "AfxString.h"
#include "AfxTypes.h"
#include "CmdTarget.h"
#include "InterfaceThread.h"
#include "Resource.h"

#ifndef _WIN32
#define RDW_INVALIDATE 0x0001u
#define RDW_ERASE 0x0004u
#define RDW_UPDATENOW 0x0100u
#endif

class CRgn;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd() = default;
    ~CWnd() override;

    // Written on the interface thread when the window is made or destroyed;
    // read by workers that post to it.
    std::atomic<HWND> m_hWnd{nullptr};

    HWND GetSafeHwnd() const { return m_hWnd.load(); }
    operator HWND() const { return m_hWnd.load(); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowText(LPCWSTR text);
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsIconic() const;
    // The client area: the window inside its border, at (0, 0).
    void GetClientRect(LPRECT rect) const;
    // Marks part of the client area (all of it for null) for the next paint.
    // Every paint here erases first, so bErase changes nothing.
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    BOOL RedrawWindow(LPCRECT rectUpdate = nullptr, CRgn* rgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    // Paints what waits to be painted, now. A window just shown is painted
    // only once the window system has exposed it: that is waited for first (a
    // second at most), handling nothing but the window system's own events
    // meanwhile (no input, timers, sockets or posted messages).
    BOOL UpdateWindow();
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Takes over the dialog's control nID: its messages reach this object's map.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    virtual BOOL DestroyWindow();

    // The ground calls this for every message the window receives.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled now.
    LRESULT Default();

    DECLARE_MESSAGE_MAP()
};

#ifndef _WIN32
LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND hWnd);
HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
#endif
// The window's text as WM_GETTEXT answers it, whatever its length.
CString AfxGetWindowText(HWND hWnd);
// Answers WM_GETTEXT with text: at most as much as the buffer of wParam
// characters at lParam holds, always terminated there; the characters
// copied, 0 when there is no buffer.
LRESULT AfxAnswerGetText(const CString& text, WPARAM wParam, LPARAM lParam);
