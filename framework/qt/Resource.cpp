// Resources on this ground are tables compiled into the program or exported
// by a resource library; icons are the toolkit's, made from the tables' images.
#include "framework/Resource.h"

#include <QIcon>
#include <QPixmap>

#include <map>
#include <memory>
#include <mutex>

#include "framework/AfxString.h"
#include "platform/CodePage.h"

HINSTANCE AfxGetInstanceHandle() {
    return &afxProgramResources;
}

void AfxSetResourceHandle(HMODULE hLibrary) {
    static const AFX_RESOURCE_MODULE kNoResources = {};
    const auto* module = static_cast<HINSTANCE>(GetProcAddress(hLibrary, AFX_RESOURCE_MODULE_SYMBOL));
    AfxSetResourceHandle(module ? module : &kNoResources);
}

const DLGTEMPLATE* AfxFindDialogTemplate(UINT nIDTemplate) {
    for (const DLGTEMPLATE& t : AfxGetResourceHandle()->dialogs)
        if (t.id == nIDTemplate) return &t;
    return nullptr;
}

const char* AfxFindString(UINT nID) {
    for (const STRINGRESOURCE& s : AfxGetResourceHandle()->strings)
        if (s.id == nID) return s.text;
    return nullptr;
}

BOOL CString::LoadString(UINT nID) {
    const char* text = AfxFindString(nID);
    assign(text ? CA2W(text, CP_UTF8) : std::wstring());
    return text != nullptr;
}

HICON AfxLoadIcon(UINT nIDResource) {
    static std::mutex mutex;
    static std::map<const ICONRESOURCE*, std::unique_ptr<QIcon>> loaded;  // kept until the process ends
    for (const ICONRESOURCE& icon : AfxGetResourceHandle()->icons) {
        if (icon.id != nIDResource) continue;
        std::lock_guard lock(mutex);
        std::unique_ptr<QIcon>& slot = loaded[&icon];
        if (!slot) slot = std::make_unique<QIcon>(QPixmap(icon.xpm));
        return reinterpret_cast<HICON>(slot.get());
    }
    return nullptr;
}
