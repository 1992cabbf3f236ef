#pragma once
// COM as the program uses it: objects found by class id and called through
// interfaces. On Windows that is COM itself. On the POSIX ground the objects
// are served on the D-Bus session bus (each class id names a bus name, object
// path and interface, see TarnwickObjects.h); with no session bus every call
// fails, quietly.
//
// Calls come from the interface thread only: COM is initialised for that
// thread alone, and the bus connection behind these calls is not locked.
#include "WinTypes.h"

#ifdef _WIN32
#include <objbase.h>
#include <oleauto.h>
#else
// One calling convention serves every call here.
#define STDMETHODCALLTYPE

typedef LONG HRESULT;
typedef uint32_t ULONG;
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOINTERFACE ((HRESULT)0x80004002)
#define E_POINTER ((HRESULT)0x80004003)
#define E_FAIL ((HRESULT)0x80004005)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154)
#define MK_E_UNAVAILABLE ((HRESULT)0x800401E3)
#define RPC_E_TIMEOUT ((HRESULT)0x8001011F)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110)
#define CO_E_SERVER_EXEC_FAILURE ((HRESULT)0x80080005)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID CLSID;
typedef GUID IID;
typedef const GUID& REFCLSID;
typedef const GUID& REFIID;
bool operator==(const GUID& a, const GUID& b);

extern const IID IID_IUnknown;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// Texts handed to objects: wide, allocated by the caller, freed after the call.
typedef wchar_t OLECHAR;
typedef OLECHAR* BSTR;
BSTR SysAllocString(const OLECHAR* psz);  // null for null
void SysFreeString(BSTR bstrString);      // null is fine

// Counted, as the program uses them; nothing here needs them first (the bus
// connection opens on first use). The last CoUninitialize closes it.
HRESULT CoInitialize(LPVOID pvReserved);
void CoUninitialize();

// The running object of a class: the class's bus name has an owner now.
// MK_E_UNAVAILABLE otherwise, and for a class the bus does not serve.
HRESULT GetActiveObject(REFCLSID rclsid, void* pvReserved, IUnknown** ppunk);
// A new object of a class: the bus starts the service that owns the class's
// name (activation) when nobody owns it; succeeds when the name then has an
// owner whose object implements riid (IID_IUnknown asks for the owner only).
// REGDB_E_CLASSNOTREG when there is no bus, no such class or no service to
// start; CO_E_SERVER_EXEC_FAILURE when the start failed; E_NOINTERFACE when
// the object lacks riid's interface.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);

#endif

// How long one call to the dictionary application may take before it counts
// as failed: a peer that never answers holds the interface thread at most
// this long per call (RPC_E_TIMEOUT).
//
// On the bus the service's start by activation is one such call. A bus that
// takes connections and never answers counts as no bus: connecting to it
// gives up after kBusAnswerTimeout (posix/BusProbe.h), and once a call to it has
// run out of time, every later call fails at once. On Windows a call made
// through CallWithLimit (AtlBase.h) is bounded; the start of a server by COM
// has COM's own limit.
constexpr int kComCallTimeoutMs = 5000;

#ifdef _WIN32
#include <functional>

// Runs call on object (of interface iid) from a thread of its own and waits
// at most kComCallTimeoutMs, this thread's messages dispatched meanwhile.
// COM itself waits for an answer without end, and a message filter's cancel
// is not honoured by every runtime. RPC_E_TIMEOUT when the time ran out: the
// call, and everything it holds, stays with that thread.
HRESULT CallWithinLimit(IUnknown* object, REFIID iid, std::function<HRESULT(IUnknown*)> call);
#endif
