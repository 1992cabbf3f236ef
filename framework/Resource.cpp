#include "Resource.h"

#include <atomic>

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
