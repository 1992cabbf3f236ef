#include "platform/Com.h"

#include <atomic>
#include <cstring>
#include <cwchar>

#include "platform/TarnwickObjects.h"
#include "platform/posix/ComBus.h"
#include "platform/posix/ComBusObjects.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace {
std::atomic<int> g_initialized{0};

// A class the bus serves in a context the caller allows: its objects live in
// another process, so only the server contexts can reach them.
const COMBUSCLASS* ReachableClass(REFCLSID rclsid, DWORD dwClsContext) {
    if (!(dwClsContext & (CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER))) return nullptr;
    return ComBusClassOf(rclsid);
}

// Hands out the interface asked for by a new proxy, which is released either way.
HRESULT HandOut(IUnknown* object, REFIID riid, LPVOID* ppv) {
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}
}  // namespace

HRESULT CoInitialize(LPVOID) {
    return g_initialized++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (g_initialized > 0 && --g_initialized == 0) ComBus::Close();
}

HRESULT GetActiveObject(REFCLSID rclsid, void*, IUnknown** ppunk) {
    if (!ppunk) return E_POINTER;
    *ppunk = nullptr;
    const COMBUSCLASS* busClass = ComBusClassOf(rclsid);
    ComBus* bus = ComBus::Current();
    if (!busClass || !bus || !bus->NameHasOwner(busClass->busName)) return MK_E_UNAVAILABLE;
    *ppunk = NewComBusObject(*busClass);
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    const COMBUSCLASS* busClass = ReachableClass(rclsid, dwClsContext);
    ComBus* bus = ComBus::Current();
    if (!busClass || !bus) return REGDB_E_CLASSNOTREG;
    if (!bus->NameHasOwner(busClass->busName)) {
        const HRESULT started = bus->StartService(busClass->busName);
        if (FAILED(started)) return started;
        if (!bus->NameHasOwner(busClass->busName)) return CO_E_SERVER_EXEC_FAILURE;
    }
    return HandOut(NewComBusObject(*busClass), riid, ppv);
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    const size_t length = std::wcslen(psz);
    BSTR copy = new OLECHAR[length + 1];
    std::wmemcpy(copy, psz, length + 1);
    return copy;
}

void SysFreeString(BSTR bstrString) {
    delete[] bstrString;
}
