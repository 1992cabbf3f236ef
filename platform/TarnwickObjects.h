#pragma once
// The dictionary application's objects: their class and interface ids, the
// interfaces the program calls, and (on the POSIX ground) their places on the
// session bus.
#include "Com.h"

#ifdef _WIN32
// The interfaces and ids as the IDL describes them (idl/Tarnwick.idl).
#include "Tarnwick.h"
#else
extern const CLSID CLSID_DictAppControl;
extern const IID IID_IDictAppControl;
extern const CLSID CLSID_DictConfig;
extern const IID IID_IDictConfig;

// The running application's object.
struct IDictAppControl : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetDictUsage(LONG nUsage, BSTR bstrDictKey, BSTR bstrProgId, LONG nFlags) = 0;
};

// The configuration object, for when the application does not run.
struct IDictConfig : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddDictUsage(LONG nUsage, BSTR bstrDictKey, BSTR bstrProgId, LONG nFlags) = 0;
};

// Where a class's objects live on the session bus.
struct COMBUSCLASS {
    const CLSID* clsid;
    const IID* iid;
    const char* busName;
    const char* objectPath;
    const char* interfaceName;
};
// The class's entry, or null for a class the bus does not serve.
const COMBUSCLASS* ComBusClassOf(REFCLSID rclsid);
#endif
