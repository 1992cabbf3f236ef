// Resources on this ground are compiled resource scripts of a loaded module:
// the program's own, or a library loaded by name.
#include "framework/Resource.h"

#include "framework/AfxString.h"

HINSTANCE AfxGetInstanceHandle() {
    return ::GetModuleHandleW(nullptr);
}

BOOL CString::LoadString(UINT nID) {
    // Asked for no buffer, the system answers where the text lies in the module.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) {
        clear();
        return FALSE;
    }
    assign(text, static_cast<size_t>(length));
    return TRUE;
}

HICON AfxLoadIcon(UINT nIDResource) {
    // Shared icons are the system's to keep, until the process ends.
    return static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE | LR_SHARED));
}
