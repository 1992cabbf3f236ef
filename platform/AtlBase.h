#pragma once
// Owners of what the program hands to the dictionary application's objects:
// an interface pointer released with its owner, a text freed with its owner.
#include "Com.h"

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
