#include "Com.h"

#include <atomic>

namespace {
std::atomic<int> g_initialized{0};
}

HRESULT CoInitialize(LPVOID) {
    return g_initialized++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (g_initialized > 0) --g_initialized;
}
