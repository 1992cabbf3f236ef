// The module in force, whatever a module is on the ground.
#include "Resource.h"

#include <atomic>

namespace {
std::atomic<HINSTANCE> g_resourceHandle{nullptr};
}

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE h = g_resourceHandle.load();
    return h ? h : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hResource) {
    g_resourceHandle = hResource;
}

void AfxSetResourceHandle(std::nullptr_t) {
    AfxSetResourceHandle(HINSTANCE{});
}
