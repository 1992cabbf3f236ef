#pragma once
// Message maps: each class lists its handlers on top of its base class's
// table; the derived table is searched first.
#include "Messages.h"

class CCmdTarget;
class CDC;

typedef LRESULT (*AFX_PMSG)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // notification code of WM_COMMAND entries
    UINT nID;    // control or command id of WM_COMMAND entries
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        typedef theClass ThisClass [[maybe_unused]];    \
        typedef baseClass TheBaseClass;                 \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, nullptr }                                                                          \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define AFX_THUNK(body)                                                                             \
    [](CCmdTarget* _t, [[maybe_unused]] WPARAM wParam, [[maybe_unused]] LPARAM lParam) -> LRESULT { \
        ThisClass* self = static_cast<ThisClass*>(_t);                                              \
        body                                                                                        \
    }

#define ON_COMMAND(id, memberFxn)                                          \
    { WM_COMMAND, 0, (UINT)(id), AFX_THUNK(self->memberFxn(); return 0;) } \
    ,
#define ON_BN_CLICKED(id, memberFxn)                                                \
    { WM_COMMAND, BN_CLICKED, (UINT)(id), AFX_THUNK(self->memberFxn(); return 0;) } \
    ,
#define ON_MESSAGE(message, memberFxn)                                            \
    { (UINT)(message), 0, 0, AFX_THUNK(return self->memberFxn(wParam, lParam);) } \
    ,
#define ON_WM_PAINT()                                         \
    { WM_PAINT, 0, 0, AFX_THUNK(self->OnPaint(); return 0;) } \
    ,
// The message carries the context's handle; the handler gets its object.
#define ON_WM_ERASEBKGND()                                                                                   \
    { WM_ERASEBKGND, 0, 0, AFX_THUNK(return self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));) } \
    ,
#define ON_WM_SIZE()                                                                                                  \
    { WM_SIZE, 0, 0, AFX_THUNK(self->OnSize((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam)); return 0;) } \
    ,
#define ON_WM_QUERYDRAGICON()                                                                         \
    { WM_QUERYDRAGICON, 0, 0, AFX_THUNK(return reinterpret_cast<LRESULT>(self->OnQueryDragIcon());) } \
    ,
