#pragma once
// The download dialog: names the dictionary, shows the progress and carries
// the one button that cancels, and once the package is in place, installs.
#include <atomic>
#include <mutex>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "transfer/IDownloadDialog.h"
#include "ui/TextProgressCtrl.h"

// Posted by the download worker with the percentage in wParam.
#define WM_DOWNLOAD_PROGRESS (WM_USER + 111)

// The dictionary's name as the dialog keeps it: "词典" in the code page in
// force (B4 CA B5 E4 where that is 936) when none is given.
CStringA DisplayNameOrDefault(CStringA strDisplayName);

class DAzOredavedidEzi : public CDialog, public IDownloadDialog {
public:
    DAzOredavedidEzi(CStringA strUrl, CStringA strDestPath, CStringA strDictKey, CStringA strDisplayName,
                     CWnd* pParent = nullptr);
    ~DAzOredavedidEzi() override;

    enum { IDD = IDD_DERAVIZIZIVU_DIALOG };

    // What the download worker reads and runs.
    const CStringA& GetPackageUrl() const override { return m_strUrl; }
    const CStringA& GetDestPath() const override { return m_strDestPath; }
    HWND GetProgressWindow() const override { return GetSafeHwnd(); }
    UINT GetProgressMessage() const override { return m_nProgressMsg; }
    void OnDownloadComplete() override;
    void ShowDownloadError() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    LRESULT OnDownloadProgress(WPARAM wParam, LPARAM lParam);
    void OnBnClickedCancel();

    DECLARE_MESSAGE_MAP()

private:
    // Starts the next download worker, which is given this dialog.
    void StartDownloadWorker();

    HICON m_hIcon;
    CTextProgressCtrl m_ctlProgress;
    UINT m_nProgressMsg;
    CStringA m_strUrl;
    CStringA m_strDestPath;
    CStringA m_strDictKey;
    CStringA m_strDisplayName;
    CButton m_btnCancel;
    std::atomic<bool> m_bFinished;
    CStatic m_stcDictName;
    // Set as the dialog ends: a placement under way abandons its copy.
    std::atomic<bool> m_bLeaving;
    // Held by the worker while it places the package.
    std::mutex m_placing;
};
