#pragma once
// The two yes-or-no questions of the download: leave while downloading, and
// try again after a failure. Neither has logic of its own: the dialog's own
// handling ends each with the button pressed, IDOK or IDCANCEL.
#include "framework/Dialog.h"

class assure_class : public CDialog {
    DECLARE_DYNAMIC(assure_class)

public:
    explicit assure_class(CWnd* pParent = nullptr);
};

class error_class : public CDialog {
    DECLARE_DYNAMIC(error_class)

public:
    explicit error_class(CWnd* pParent = nullptr);
};
