#pragma once
// The standard controls, as objects that take over a dialog's control.
#include "Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
};

class CStatic : public CWnd {};

class CProgressCtrl : public CWnd {};
