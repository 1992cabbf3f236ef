#pragma once
// Worker threads.
#include "platform/WinTypes.h"

typedef UINT (*AFX_THREADPROC)(LPVOID pParam);
#ifndef _WIN32
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#define THREAD_PRIORITY_NORMAL 0
#endif

// Stands for one started thread; it is gone when the thread ends.
class CWinThread {};

// Starts pfnThreadProc(pParam) on a new thread; null when it cannot start.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// Waits up to dwMilliseconds for every thread started with AfxBeginThread to
// return; TRUE when none runs.
BOOL AfxWaitForRunningThreads(DWORD dwMilliseconds);
