#include "DownloadThread.h"

#include "platform/CodePage.h"
#include "transfer/IDownloadDialog.h"
#include "transfer/Placement.h"
#include "transfer/TransferRequest.h"

namespace {
// One attempt with the library set up; true when the transfer succeeded.
bool Transfer(TransferRequest& request, IDownloadDialog* dlg) {
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) return false;
    CurlEasy handle(curl_easy_init());
    if (!handle) return false;
    request.handle = handle.get();
    int result = request.RunTransfer(dlg);
    handle.reset();
    request.handle = nullptr;
    return result == kTransferDone;
}
}  // namespace

UINT DownloadThreadProc(LPVOID pParam) {
    auto* dlg = static_cast<IDownloadDialog*>(pParam);
    TempFileHold hold;  // the temporary file, from its transfer until it is placed
    std::wstring url = CA2W(dlg->GetPackageUrl());
    std::wstring localPath = CA2W(MakeTempFilePath(dlg->GetDestPath()));
    TransferRequest request{url.c_str(), localPath.c_str(), nullptr};
    if (Transfer(request, dlg)) {
        curl_global_cleanup();
        dlg->OnDownloadComplete();
        return kWorkerCompleted;
    }
    // The library stays initialised; a retry's init then does nothing.
    dlg->ShowDownloadError();
    return kWorkerShowedError;
}
