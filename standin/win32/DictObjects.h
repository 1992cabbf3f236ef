#pragma once
// The dictionary application's two objects as the stand-in plays them on
// Windows: each records the calls it takes and answers them, or, when silent,
// never answers (the caller's limit is what is tried then). The class
// factories hand out new objects; the server counts what is alive.
#include <windows.h>

#include <atomic>

#include "../CallLog.h"
#include "platform/TarnwickObjects.h"

// The objects and locks alive in this server, and whether there ever was
// one: when COM started it, it ends once none is left.
extern std::atomic<long> g_nServerLocks;
extern std::atomic<bool> g_bServerUsed;

inline void LockServerCount(bool lock) {
    if (!lock) {
        --g_nServerLocks;
        return;
    }
    ++g_nServerLocks;
    g_bServerUsed = true;
}

template <class Interface>
class DictObject : public Interface {
public:
    DictObject(CallLog& log, bool silent) : m_log(log), m_bSilent(silent) { LockServerCount(true); }
    virtual ~DictObject() { LockServerCount(false); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == __uuidof(Interface) ? static_cast<Interface*>(this) : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_nRefs); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --m_nRefs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    HRESULT Take(const char* method, LONG usage, BSTR key, BSTR progId, LONG flags);

private:
    CallLog& m_log;
    bool m_bSilent;
    std::atomic<long> m_nRefs{1};
};

class DictAppControl : public DictObject<IDictAppControl> {
public:
    using DictObject::DictObject;
    HRESULT STDMETHODCALLTYPE SetDictUsage(LONG usage, BSTR key, BSTR progId, LONG flags) override {
        return Take("SetDictUsage", usage, key, progId, flags);
    }
};

class DictConfig : public DictObject<IDictConfig> {
public:
    using DictObject::DictObject;
    HRESULT STDMETHODCALLTYPE AddDictUsage(LONG usage, BSTR key, BSTR progId, LONG flags) override {
        return Take("AddDictUsage", usage, key, progId, flags);
    }
};

// Makes objects of one class for COM's callers.
template <class Object>
class DictFactory : public IClassFactory {
public:
    DictFactory(CallLog& log, bool silent) : m_log(log), m_bSilent(silent) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    // The factory lives as long as the server: its count is not kept.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new Object(m_log, m_bSilent);
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        LockServerCount(lock);
        return S_OK;
    }

private:
    CallLog& m_log;
    bool m_bSilent;
};
