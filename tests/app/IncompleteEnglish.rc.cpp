// A deliberately incomplete English resource library: the download dialog
// alone; no other dialog, no string, no icon. Loaded in place of the real one
// by the language tests, which lie beside it.
#include "framework/Messages.h"
#include "framework/Resource.h"
#include "res/resource.h"

namespace {
const DLGITEMTEMPLATE kDownloadItems[] = {
    {IDC_STATIC, "static", "Download:", 23, 14, 38, 9, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_DICT_NAME, "static", "", 67, 14, 202, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_PROGRESS, "msctls_progress32", "", 23, 31, 227, 15, WS_CHILD | WS_VISIBLE | WS_BORDER},
    {IDCANCEL, "button", "Cancel", 112, 70, 50, 16, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
};

const DLGTEMPLATE kDialogs[] = {
    {IDD_DERAVIZIZIVU_DIALOG, "Incomplete Download", 0, 0, 273, 98,
     WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, "MS Shell Dlg", 8,
     kDownloadItems},
};
}  // namespace

extern "C" {
[[gnu::visibility("default")]] extern const AFX_RESOURCE_MODULE afxResourceModule;
const AFX_RESOURCE_MODULE afxResourceModule = {kDialogs, {}, {}};
}
