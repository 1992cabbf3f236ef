#pragma once
// What the download worker needs of the dialog that starts it: what to fetch
// and where it goes, the window and message its progress is posted with, and
// the two steps that follow a transfer. The worker knows the dialog by this
// alone; it is handed the dialog as a pointer to it.
#include "framework/AfxString.h"
#include "framework/AfxTypes.h"

class IDownloadDialog {
public:
    // Neither changes once a worker runs.
    virtual const CStringA& GetPackageUrl() const = 0;
    virtual const CStringA& GetDestPath() const = 0;
    virtual HWND GetProgressWindow() const = 0;
    virtual UINT GetProgressMessage() const = 0;

    // Run by the worker on its own thread: places the file (or, when that
    // fails, offers the error); offers Retry or Exit.
    virtual void OnDownloadComplete() = 0;
    virtual void ShowDownloadError() = 0;

protected:
    ~IDownloadDialog() = default;  // the dialog is never destroyed through this
};
