#pragma once
// Visual styles let a common control drop the frame its template gives it
// (the progress bar drops WS_BORDER): the frames are put back as written,
// so the dialog looks and measures as its template says.
#include <windows.h>

// Gives every control of the dialog made from `dialogTemplate` (an extended
// template) the WS_BORDER that its template item has and its window lost.
void AfxRestoreTemplateFrames(HWND hDlg, const void* dialogTemplate);
