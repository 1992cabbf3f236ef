// The English resource library: the program's resources under the same ids,
// in English. The dialogs keep their sizes; controls move or widen only
// where an English text needs the room.
#include "framework/Messages.h"
#include "framework/Resource.h"
#include "res/icon.xpm.h"
#include "res/resource.h"

namespace {
const DWORD kSmallDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

const DLGITEMTEMPLATE kDownloadItems[] = {
    {IDC_STATIC, "static", "Download:", 23, 14, 38, 9, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_DICT_NAME, "static", "Concise", 67, 14, 202, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_PROGRESS, "msctls_progress32", "", 23, 31, 227, 15, WS_CHILD | WS_VISIBLE | WS_BORDER},
    {IDCANCEL, "button", "Cancel", 112, 70, 50, 16, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
};

const DLGITEMTEMPLATE kErrorItems[] = {
    {IDOK, "button", "Retry", 53, 57, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, "button", "Exit", 123, 57, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_STATIC, "static", "The download failed.", 69, 27, 88, 13, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
};

const DLGITEMTEMPLATE kAssureItems[] = {
    {IDOK, "button", "Exit", 37, 45, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, "button", "Cancel", 100, 45, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_STATIC, "static", "Exit now?", 72, 21, 41, 12, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
};

// "Set <name> as [Lookup] [Capture]": "Set" needs more room than its
// one-character original, and the boxes' labels wider boxes; the name and
// the boxes line up behind "Set" and "as".
const DLGITEMTEMPLATE kInstallItems[] = {
    {IDOK, "button", "OK", 79, 74, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDC_DICT_NAME, "static", "Concise Dictionary", 57, 21, 156, 12, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_STATIC, "static", "Set", 37, 21, 18, 14, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_STATIC, "static", "as", 37, 45, 18, 9, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_CHECK_LOOKUP, "button", "Lookup", 57, 44, 50, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
    {IDC_CHECK_CAPTURE, "button", "Capture", 113, 44, 50, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
};

const DLGTEMPLATE kDialogs[] = {
    {IDD_DERAVIZIZIVU_DIALOG, "Dictionary Download", 0, 0, 273, 98,
     WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER | DS_SETFONT |
         DS_FIXEDSYS,
     WS_EX_APPWINDOW, "MS Shell Dlg", 8, kDownloadItems},
    {IDD_ERROR_DIALOG, "Error", 0, 0, 228, 82, kSmallDialog, WS_EX_CONTROLPARENT, "MS Shell Dlg", 8, kErrorItems},
    {IDD_ASSURE_DIALOG, "Confirm Exit", 0, 0, 186, 66, kSmallDialog, WS_EX_CONTROLPARENT, "MS Shell Dlg", 8,
     kAssureItems},
    {IDD_INSTALL_DIALOG, "Install", 0, 0, 221, 103, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
     "MS Shell Dlg", 8, kInstallItems},
};

const STRINGRESOURCE kStrings[] = {
    {IDS_DICT_CHECK_FAILED, "The dictionary did not pass verification and cannot be downloaded."},
    {IDS_DOWNLOAD_DONE, "Done"},
};

const ICONRESOURCE kIcons[] = {
    {IDR_MAINFRAME, kMainIcon},
};
}  // namespace

// The one symbol the library exports: the framework finds its resources by it.
extern "C" {
[[gnu::visibility("default")]] extern const AFX_RESOURCE_MODULE afxResourceModule;
const AFX_RESOURCE_MODULE afxResourceModule = {kDialogs, kStrings, kIcons};
}
