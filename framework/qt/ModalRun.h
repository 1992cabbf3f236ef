#pragma once
// One modal run of a dialog. It is opened and ended on the interface thread;
// the thread that asked for it waits for its end: in a nested event loop when
// that is the interface thread, blocked when it is a worker.
//
// Runs end innermost first. Ending a run first ends, newest first, every run
// inside it: the later runs of the interface thread when it is one of them
// (their loops are nested in its loop, which cannot return before theirs),
// and the runs it owns (a worker's question about this dialog).
#include <condition_variable>
#include <mutex>

#include "framework/AfxTypes.h"

class CDialog;
class QEventLoop;
class WndCore;

class CModalRun {
public:
    explicit CModalRun(CDialog& dlg);  // on the asking thread
    CModalRun(const CModalRun&) = delete;
    CModalRun& operator=(const CModalRun&) = delete;

    // Interface thread: builds the window, runs OnInitDialog and shows the
    // window; false when there is no template.
    bool Open();
    // Interface thread, once: ends the runs inside this one, then this one.
    void End(INT_PTR nResult);
    // The asking thread: waits for the end and answers its result.
    INT_PTR Wait();

    // The open run of the dialog window hWnd, or null (interface thread).
    static CModalRun* FromHandle(HWND hWnd);

private:
    bool Encloses(const CModalRun& other) const;
    CModalRun* NewestInside() const;

    CDialog& m_dlg;
    const bool m_bOnInterfaceThread;  // who waits: a nested loop, or a worker
    HWND m_hWnd = nullptr;
    HWND m_hOwner = nullptr;
    WndCore* m_pWindow = nullptr;
    QEventLoop* m_pLoop = nullptr;
    bool m_bEnding = false;  // interface thread only

    // The end, as the waiting worker sees it.
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_bEnded = false;
    INT_PTR m_nResult = -1;
};
