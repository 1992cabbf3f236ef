#pragma once
// Resource modules: the dialog templates, string table and icons of the
// program (or of a resource library), looked up by id in the module in force.
#include <cstddef>
#ifndef _WIN32
#include <span>
#endif

#include "platform/Library.h"
#include "platform/WinTypes.h"

#ifndef _WIN32
// One control of a dialog template; positions in dialog units.
struct DLGITEMTEMPLATE {
    int id;
    const char* className;  // "button", "static", "msctls_progress32"
    const char* text;       // UTF-8
    short x, y, cx, cy;
    DWORD style;
};

struct DLGTEMPLATE {
    UINT id;
    const char* caption;  // UTF-8
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
    const char* fontFace;
    WORD pointSize;
    std::span<const DLGITEMTEMPLATE> items;
};

struct STRINGRESOURCE {
    UINT id;
    const char* text;  // UTF-8
};

struct ICONRESOURCE {
    UINT id;
    const char* const* xpm;  // the image in XPM form
};

struct AFX_RESOURCE_MODULE {
    std::span<const DLGTEMPLATE> dialogs;
    std::span<const STRINGRESOURCE> strings;
    std::span<const ICONRESOURCE> icons;
};

typedef const AFX_RESOURCE_MODULE* HINSTANCE;
typedef struct HICON__* HICON;
typedef HICON HCURSOR;

// The program's own resources; every program (and test program) defines them.
extern const AFX_RESOURCE_MODULE afxProgramResources;

// The symbol under which a resource library exports its module, with C
// linkage: `extern "C" const AFX_RESOURCE_MODULE afxResourceModule`.
#define AFX_RESOURCE_MODULE_SYMBOL "afxResourceModule"

// A loaded resource library becomes the module in force; one that exports no
// module has no resources at all, as a library without them would.
void AfxSetResourceHandle(HMODULE hLibrary);

// Lookups in the module in force; they never fall back to another module.
const DLGTEMPLATE* AfxFindDialogTemplate(UINT nIDTemplate);
const char* AfxFindString(UINT nID);  // null when missing
#endif
// On Windows a module is a loaded image (the program, or a library loaded by
// name) whose resources are compiled resource scripts: any module with the
// same ids serves, and the lookups are the system's own, in the module in force.

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);
// The program's own module again.
void AfxSetResourceHandle(std::nullptr_t);

HICON AfxLoadIcon(UINT nIDResource);  // null when missing; icons live until the process ends
