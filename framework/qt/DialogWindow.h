#pragma once
// The window of a dialog: built from its template, and answering the keys and
// the close box as a dialog does.
#include "framework/Resource.h"

class QWidget;
class WndCore;

// Builds the window of template t with its controls. With an owner the
// window is modal to it: the owner takes no input while it is open.
WndCore* AfxCreateDialogWindow(const DLGTEMPLATE& t, QWidget* pOwner);

// Shows the window; with bSetFocus its first tab stop takes the focus.
void AfxShowDialogWindow(WndCore* pDlg, bool bSetFocus);

// Hides the window and parts it from its objects at once; the widgets go
// once the handler that ended the dialog has returned.
void AfxDestroyDialogWindow(WndCore* pDlg);
