#include "Resource.h"

#include <QIcon>
#include <QPixmap>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace {
std::atomic<HINSTANCE> g_resourceHandle{nullptr};
}

HINSTANCE AfxGetInstanceHandle() {
    return &afxProgramResources;
}

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE h = g_resourceHandle.load();
    return h ? h : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hResource) {
    g_resourceHandle = hResource;
}

void AfxSetResourceHandle(HMODULE hLibrary) {
    static const AFX_RESOURCE_MODULE kNoResources = {};
    const auto* module = static_cast<HINSTANCE>(GetProcAddress(hLibrary, AFX_RESOURCE_MODULE_SYMBOL));
    AfxSetResourceHandle(module ? module : &kNoResources);
}

void AfxSetResourceHandle(std::nullptr_t) {
    AfxSetResourceHandle(HINSTANCE{});
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
