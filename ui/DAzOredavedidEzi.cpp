#include "DAzOredavedidEzi.h"

#include "framework/Gdi.h"
#include "framework/Thread.h"
#include "install/InstallDialog.h"
#include "platform/CodePage.h"
#include "platform/Process.h"
#include "query/QueryPackageUrl.h"
#include "transfer/DownloadThread.h"
#include "transfer/Placement.h"
#include "ui/ConfirmDialogs.h"

namespace {
// Long enough for a transfer to notice that its dialog is gone (the library
// reports progress at least once a second) and for its worker to leave.
const DWORD kWorkerGraceMs = 2000;
}  // namespace

BEGIN_MESSAGE_MAP(DAzOredavedidEzi, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(WM_DOWNLOAD_PROGRESS, OnDownloadProgress)
    ON_BN_CLICKED(IDCANCEL, OnBnClickedCancel)
END_MESSAGE_MAP()

DAzOredavedidEzi::DAzOredavedidEzi(CStringA strUrl, CStringA strDestPath, CStringA strDictKey, CStringA strDisplayName,
                                   CWnd* pParent)
    : CDialog(IDD, pParent),
      m_hIcon(AfxLoadIcon(IDR_MAINFRAME)),
      m_nProgressMsg(WM_DOWNLOAD_PROGRESS),
      m_strUrl(std::move(strUrl)),
      m_strDestPath(std::move(strDestPath)),
      m_strDictKey(std::move(strDictKey)),
      m_strDisplayName(DisplayNameOrDefault(std::move(strDisplayName))),
      m_bFinished(false),
      m_bLeaving(false) {}

CStringA DisplayNameOrDefault(CStringA strDisplayName) {
    if (strDisplayName.empty()) return CW2A(L"\u8BCD\u5178");  // 词典
    return strDisplayName;
}

DAzOredavedidEzi::~DAzOredavedidEzi() {
    // A placement under way is waited for in full, so that the process never
    // ends in the middle of one: told to abandon, its copy stops within a
    // block and removes what it made.
    m_bLeaving = true;
    { std::lock_guard placed(m_placing); }
    // A worker still running stops once it sees that the window is gone; one
    // that does not leave in time would reach this object after it is gone,
    // so the process ends here instead.
    if (!AfxWaitForRunningThreads(kWorkerGraceMs)) ExitProcess(0);
}

void DAzOredavedidEzi::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_ctlProgress);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_DICT_NAME, m_stcDictName);
}

BOOL DAzOredavedidEzi::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    ShowWindow(SW_SHOW);
    m_ctlProgress.m_nMax = 100;
    m_ctlProgress.m_nMin = 0;
    m_stcDictName.SetWindowText(CA2W(m_strDisplayName).c_str());
    // The question to the service holds this thread: the user sees the
    // dialog drawn, not an empty frame, while it is asked.
    UpdateWindow();
    QueryPackageUrl(m_strDictKey, m_strUrl);
    StartDownloadWorker();
    return TRUE;
}

void DAzOredavedidEzi::StartDownloadWorker() {
    AfxBeginThread(DownloadThreadProc, static_cast<IDownloadDialog*>(this), THREAD_PRIORITY_NORMAL, 0, 0, nullptr);
}

void DAzOredavedidEzi::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    GetClientRect(&rect);
    int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR DAzOredavedidEzi::OnQueryDragIcon() {
    return m_hIcon;
}

LRESULT DAzOredavedidEzi::OnDownloadProgress(WPARAM wParam, LPARAM) {
    m_ctlProgress.SetPos(static_cast<int>(wParam));
    return 0;
}

void DAzOredavedidEzi::OnBnClickedCancel() {
    if (m_bFinished) {
        install_class install(m_strDisplayName, m_strDictKey, nullptr);
        install.DoModal();
        OnCancel();
        return;
    }
    assure_class confirm(nullptr);
    if (confirm.DoModal() == IDOK) OnCancel();
}

void DAzOredavedidEzi::OnDownloadComplete() {
    CStringA tempPath = MakeTempFilePath(m_strDestPath);
    bool placed = false;
    {
        std::lock_guard placing(m_placing);
        placed = VerifyAndMoveDownload(tempPath, m_strDestPath, &m_bLeaving);
    }
    if (!placed) {
        ShowDownloadError();
        return;
    }
    CString caption;
    caption.LoadString(IDS_DOWNLOAD_DONE);
    m_btnCancel.SetWindowText(caption);
    m_bFinished = true;
}

void DAzOredavedidEzi::ShowDownloadError() {
    // Once the run has ended there is nobody left to ask.
    if (!::IsWindow(GetSafeHwnd())) return;
    error_class dlg(nullptr);
    if (dlg.DoModal() == IDOK) {
        m_ctlProgress.m_nMax = 100;
        m_ctlProgress.m_nMin = 0;
        StartDownloadWorker();
        return;
    }
    OnCancel();
}
