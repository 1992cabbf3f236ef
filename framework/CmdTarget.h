#pragma once
#include "MessageMap.h"

// The run-time class record of a dynamic class: its name and its base's.
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;
};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)
#define DECLARE_DYNAMIC(theClass)               \
public:                                         \
    static const CRuntimeClass class##theClass; \
    const CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_DYNAMIC(theClass, baseClass)                                             \
    const CRuntimeClass theClass::class##theClass = {#theClass, RUNTIME_CLASS(baseClass)}; \
    const CRuntimeClass* theClass::GetRuntimeClass() const {                               \
        return RUNTIME_CLASS(theClass);                                                    \
    }

// Root of everything that has a message map.
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    static const CRuntimeClass classCCmdTarget;
    virtual const CRuntimeClass* GetRuntimeClass() const;

    // Searches this object's tables, derived first; true when an entry handled it.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
