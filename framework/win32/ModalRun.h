#pragma once
// One modal run of a dialog on this ground: the window is made, run and
// destroyed on the thread that asked for it, in that thread's own loop.
//
// Runs end innermost first. Ending a run first ends, newest first, the runs
// inside it: later runs of the same thread (their loops are nested in its
// loop, which cannot return before theirs), and runs another thread opened
// about its window (a worker's question about the download). Neither kind
// disables a window of another thread, so the questions of two threads stay
// answerable together, in either order.
#include "framework/AfxTypes.h"

class CDialog;

class CModalRun {
public:
    explicit CModalRun(CDialog& dlg);
    ~CModalRun();
    CModalRun(const CModalRun&) = delete;
    CModalRun& operator=(const CModalRun&) = delete;

    // Makes the window from the template of the module in force, runs
    // OnInitDialog and shows it; false when there is no template or window.
    bool Open();
    // The run's message loop, until the run ends; answers its result.
    INT_PTR Run();

    // Ends the open run of the dialog window hWnd, from any thread; nothing
    // when it has none.
    static void End(HWND hWnd, INT_PTR nResult);
    // The message that ends the run of the window it is posted to, with the
    // result in wParam, in whichever loop of its thread takes it.
    static UINT EndMessage();

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL InitDialog(HWND hWnd);
    void EndLocked(INT_PTR nResult);
    bool Ended() const;

    CDialog& m_dlg;
    const DWORD m_nThreadId;
    HWND m_hWnd = nullptr;
    const void* m_pTemplate = nullptr;  // the dialog's template, for the frames it gives
    HWND m_hOwner = nullptr;     // a window of this thread, disabled while the run lasts
    HWND m_hAskedFor = nullptr;  // the window of another thread this run is a question about
    bool m_bOwnerWasEnabled = false;
    // Under the runs' lock.
    bool m_bEnded = false;
    INT_PTR m_nResult = -1;
};
