// The program's own resources, in Simplified Chinese.
#include "framework/Messages.h"
#include "framework/Resource.h"
#include "res/icon.xpm.h"
#include "res/resource.h"

namespace {
const DWORD kSmallDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

const DLGITEMTEMPLATE kDownloadItems[] = {
    {IDC_STATIC, "static", "正在下载:", 23, 14, 38, 9, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_DICT_NAME, "static", "简明", 67, 14, 202, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_PROGRESS, "msctls_progress32", "", 23, 31, 227, 15, WS_CHILD | WS_VISIBLE | WS_BORDER},
    {IDCANCEL, "button", "取消", 112, 70, 50, 16, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
};

const DLGITEMTEMPLATE kErrorItems[] = {
    {IDOK, "button", "重试", 53, 57, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, "button", "退出", 123, 57, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_STATIC, "static", "词典下载过程中出现错误", 69, 27, 88, 13, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
};

const DLGITEMTEMPLATE kAssureItems[] = {
    {IDOK, "button", "退出", 37, 45, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, "button", "取消", 100, 45, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_STATIC, "static", "确认退出？", 72, 21, 41, 12, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
};

const DLGITEMTEMPLATE kInstallItems[] = {
    {IDOK, "button", "确定", 79, 74, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDC_DICT_NAME, "static", "简明英汉词典", 85, 21, 134, 12, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_STATIC, "static", "将", 77, 21, 8, 14, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_STATIC, "static", "设置为", 37, 45, 29, 9, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_CHECK_LOOKUP, "button", "查词", 80, 44, 28, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
    {IDC_CHECK_CAPTURE, "button", "取词", 126, 44, 30, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
};

const DLGTEMPLATE kDialogs[] = {
    {IDD_DERAVIZIZIVU_DIALOG, "词典下载", 0, 0, 273, 98,
     WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER | DS_SETFONT |
         DS_FIXEDSYS,
     WS_EX_APPWINDOW, "MS Shell Dlg", 8, kDownloadItems},
    {IDD_ERROR_DIALOG, "错误", 0, 0, 228, 82, kSmallDialog, WS_EX_CONTROLPARENT, "MS Shell Dlg", 8, kErrorItems},
    {IDD_ASSURE_DIALOG, "确认退出", 0, 0, 186, 66, kSmallDialog, WS_EX_CONTROLPARENT, "MS Shell Dlg", 8, kAssureItems},
    {IDD_INSTALL_DIALOG, "安装", 0, 0, 221, 103, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
     "MS Shell Dlg", 8, kInstallItems},
};

const STRINGRESOURCE kStrings[] = {
    {IDS_DICT_CHECK_FAILED, "词典验证未通过不能下载词典"},
    {IDS_DOWNLOAD_DONE, "完成"},
};

const ICONRESOURCE kIcons[] = {
    {IDR_MAINFRAME, kMainIcon},
};
}  // namespace

const AFX_RESOURCE_MODULE afxProgramResources = {kDialogs, kStrings, kIcons};
