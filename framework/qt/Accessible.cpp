#include "framework/Accessible.h"

#include <QAccessible>

#include "WndWidget.h"

void NotifyWinEvent(DWORD event, HWND hwnd, LONG idObject, LONG idChild) {
    if (event != EVENT_OBJECT_VALUECHANGE || idObject != OBJID_CLIENT || idChild != CHILDID_SELF) return;
    if (!QAccessible::isActive()) return;  // no reader listens
    WndCore* core = WndCore::FromHandle(hwnd);
    QAccessibleInterface* iface = core ? QAccessible::queryAccessibleInterface(core->Widget()) : nullptr;
    QAccessibleValueInterface* value = iface ? iface->valueInterface() : nullptr;
    if (!value) return;
    QAccessibleValueChangeEvent changed(core->Widget(), value->currentValue());
    QAccessible::updateAccessibility(&changed);
}
