// Resources of the framework tests.
#include "framework/Messages.h"
#include "framework/Resource.h"

namespace {
const DWORD kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const DWORD kControl = WS_CHILD | WS_VISIBLE;

const DLGITEMTEMPLATE kButtons[] = {
    {IDOK, "button", "好", 10, 40, 50, 14, kControl | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, "button", "取消", 70, 40, 50, 14, kControl | WS_TABSTOP | BS_PUSHBUTTON},
    {1003, "static", "名字", 10, 10, 80, 9, kControl | WS_GROUP},
    {1000, "msctls_progress32", "", 10, 22, 120, 12, kControl | WS_BORDER},
    {1001, "button", "查", 100, 8, 30, 10, kControl | WS_TABSTOP | BS_AUTOCHECKBOX},
};
const DLGITEMTEMPLATE kLabelOnly[] = {
    {1003, "static", "只有文字", 10, 10, 80, 9, kControl},
};
}  // namespace

const DLGTEMPLATE kDialogs[] = {
    {500, "甲", 0, 0, 140, 60, kDialog, 0, "MS Shell Dlg", 8, kButtons},
    {501, "乙", 0, 0, 140, 60, kDialog, 0, "MS Shell Dlg", 8, kButtons},
    {502, "丙", 0, 0, 100, 40, kDialog, 0, "MS Shell Dlg", 8, kLabelOnly},
};
const STRINGRESOURCE kStrings[] = {{7, "七"}};

const AFX_RESOURCE_MODULE afxProgramResources = {kDialogs, kStrings, {}};
