#include "Widgets.h"

#include <QPointer>

#include <cstdint>
#include <map>

#include "framework/qt/WndWidget.h"

namespace testsupport {

namespace {
// Interface thread only. The layer's handles are multiples of four, so odd
// ones never name its windows.
std::map<HWND, QPointer<QWidget>> g_foreign;
uintptr_t g_nextForeign = 1;
}  // namespace

HWND HandleOf(QWidget* widget) {
    if (!widget) return nullptr;
    if (WndCore* core = WndCore::FromWidget(widget)) return core->Handle();
    for (const auto& [handle, known] : g_foreign)
        if (known == widget) return handle;
    HWND handle = reinterpret_cast<HWND>(g_nextForeign);
    g_nextForeign += 2;
    g_foreign[handle] = widget;
    return handle;
}

QWidget* WidgetOf(HWND window) {
    if (WndCore* core = WndCore::FromHandle(window)) return core->Widget();
    auto it = g_foreign.find(window);
    return it == g_foreign.end() ? nullptr : it->second.data();
}

}  // namespace testsupport
