#pragma once
// Owners of what the program hands to the dictionary application's objects:
// an interface pointer released with its owner, a text freed with its owner.
#include "Com.h"

#include <memory>

template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Release(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    // Where a call that hands out an interface stores it; the pointer held
    // must be null then.
    T** operator&() { return &p; }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
    void Release() {
        if (p) p->Release();
        p = nullptr;
    }

    T* p = nullptr;
};

class CComBSTR {
public:
    explicit CComBSTR(const OLECHAR* text) : m_str(SysAllocString(text)) {}
    ~CComBSTR() { SysFreeString(m_str); }
    CComBSTR(const CComBSTR&) = delete;
    CComBSTR& operator=(const CComBSTR&) = delete;
    operator BSTR() const { return m_str; }

    BSTR m_str;
};

// One call of the dictionary application's usage methods, each a
// (usage, key, ProgID, flags) call, bounded by kComCallTimeoutMs. An object
// whose call ran out of time is let go without a release, which it would not
// answer either: the pointer is null after, and later calls fail at once.
template <class T>
HRESULT CallWithLimit(CComPtr<T>& object, HRESULT (STDMETHODCALLTYPE T::*method)(LONG, BSTR, BSTR, LONG), LONG usage,
                      BSTR key, BSTR progId, LONG flags) {
    if (!object) return E_POINTER;
#ifdef _WIN32
    // The texts go with the call: it may outlive this caller's.
    struct Texts {
        Texts(BSTR k, BSTR p) : key(k), progId(p) {}
        CComBSTR key, progId;
    };
    auto texts = std::make_shared<Texts>(key, progId);
    HRESULT hr = CallWithinLimit(object.p, __uuidof(T), [=](IUnknown* callee) {
        return (static_cast<T*>(callee)->*method)(usage, texts->key, texts->progId, flags);
    });
    if (hr == RPC_E_TIMEOUT) object.p = nullptr;
    return hr;
#else
    // Calls on the bus are bounded by the bus itself.
    return (object.p->*method)(usage, key, progId, flags);
#endif
}
