#pragma once
// The standard controls, as objects that take over a dialog's control.
#include "Wnd.h"

class CButton : public CWnd {};

class CStatic : public CWnd {};

#ifndef _WIN32
struct PBRANGE {
    int iLow;
    int iHigh;
};
typedef PBRANGE* PPBRANGE;
#endif

class CProgressCtrl : public CWnd {};
