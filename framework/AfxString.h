#pragma once
// The framework's text classes: CString is wide text, CStringA narrow text in
// the system's code page.
#include <string>

#include "platform/WinTypes.h"

class CString : public std::wstring {
public:
    using std::wstring::wstring;
    CString() = default;
    CString(const std::wstring& s) : std::wstring(s) {}
    CString(std::wstring&& s) : std::wstring(std::move(s)) {}

    // Loads a string of the resources in force; false (and empty) when missing.
    BOOL LoadString(UINT nID);
    BOOL IsEmpty() const { return empty(); }
    operator LPCWSTR() const { return c_str(); }
};

using CStringA = std::string;
