#pragma once
// The two yes-or-no questions of the download: leave while downloading, and
// try again after a failure.
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

protected:
    void OnBnClickedOk();
    void OnBnClickedCancel();
    DECLARE_MESSAGE_MAP()
};
