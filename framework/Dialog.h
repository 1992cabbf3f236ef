#pragma once
// Dialogs built from templates and run modally.
#include "Wnd.h"

// Only controls are bound here, and binding goes one way whatever the
// direction of the exchange, so the exchange carries none.
class CDataExchange {
public:
    explicit CDataExchange(CWnd* pDlgWnd) : m_pDlgWnd(pDlgWnd) {}
    CWnd* m_pDlgWnd;
};

// Binds the dialog's control nIDC to the object rControl.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog and answers its result; -1 when its
    // template is missing. From a worker the window still lives on the
    // interface thread, and the worker waits for the answer.
    virtual INT_PTR DoModal();
    // Ends the modal run with nResult; from any thread.
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    friend class CModalRun;
};
