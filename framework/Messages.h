#pragma once
// Window messages, notification codes and command ids the program uses.
#include "platform/WinTypes.h"

#define IDC_STATIC (-1)

#ifdef _WIN32
#include <commctrl.h>
#else
#define WM_SIZE 0x0005
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ERASEBKGND 0x0014
#define WM_ICONERASEBKGND 0x0027
#define WM_QUERYDRAGICON 0x0037
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define BM_GETCHECK 0x00F0
#define WM_USER 0x0400

// Progress controls: wParam TRUE asks for the low limit, FALSE for the high
// one; lParam, when not null, receives both (PBRANGE).
#define PBM_GETRANGE (WM_USER + 7)
#define PBM_GETPOS (WM_USER + 8)

#define BN_CLICKED 0

#define IDOK 1
#define IDCANCEL 2

#define ICON_SMALL 0
#define ICON_BIG 1

#define SIZE_RESTORED 0

#define BST_UNCHECKED 0
#define BST_CHECKED 1

#define SW_HIDE 0
#define SW_SHOW 5

#define MB_OK 0x00000000u
#define MB_ICONEXCLAMATION 0x00000030u

// Window styles of dialog templates.
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_SYSMENU 0x00080000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define DS_MODALFRAME 0x80u
#define DS_SETFONT 0x40u
#define DS_FIXEDSYS 0x0008u
#define DS_CENTER 0x0800u
#define WS_EX_APPWINDOW 0x00040000u
#define WS_EX_CONTROLPARENT 0x00010000u
#define BS_PUSHBUTTON 0x0u
#define BS_DEFPUSHBUTTON 0x1u
#define BS_AUTOCHECKBOX 0x3u
#define BS_TYPEMASK 0xFu
#define SS_LEFT 0x0u
#endif
