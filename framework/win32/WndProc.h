#pragma once
// The window side on Windows: a window the layer takes over keeps its own
// window class, and is subclassed with the layer's procedure, which hands
// each message to its object's WindowProc. What the object leaves goes to the
// procedure the window had before: the control's, or the dialog manager's.
#include "framework/Wnd.h"

// The message being handled on this thread now, for CWnd::Default.
struct AFX_CURRENT_MESSAGE {
    const CWnd* pWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
const AFX_CURRENT_MESSAGE* AfxCurrentMessage();

// Makes pWnd the object of hWnd, on hWnd's own thread; false for no window,
// or one already taken over.
bool AfxAttachWindow(HWND hWnd, CWnd* pWnd);
// Parts the window from its object: the former procedure back, the object's
// handle cleared. The window's destruction does this by itself.
void AfxDetachWindow(HWND hWnd);
// The object of a window taken over, or null.
CWnd* AfxWndFromHandle(HWND hWnd);
// The processing of the window's former procedure.
LRESULT AfxCallPreviousProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
