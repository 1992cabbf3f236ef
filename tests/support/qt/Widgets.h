#pragma once
// The Qt ground's windows as the driver names them: a window the layer made
// goes by the layer's own handle; any other (a message box) by a handle the
// driver gives it, which never names a window of the layer.
#include <QWidget>

#include "framework/AfxTypes.h"

namespace testsupport {

HWND HandleOf(QWidget* widget);  // null for null
QWidget* WidgetOf(HWND window);  // null when the window is gone

}  // namespace testsupport
