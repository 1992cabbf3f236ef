#include "CmdTarget.h"

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", nullptr};

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const {
    return &classCCmdTarget;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

static bool Matches(const AFX_MSGMAP_ENTRY& e, UINT message, WPARAM wParam) {
    if (e.nMessage != message) return false;
    if (message != WM_COMMAND) return true;
    return e.nID == LOWORD(wParam) && e.nCode == HIWORD(wParam);
}

BOOL CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e) {
            if (Matches(*e, message, wParam)) {
                LRESULT r = e->pfn(this, wParam, lParam);
                if (pResult) *pResult = r;
                return TRUE;
            }
        }
    }
    return FALSE;
}
