#pragma once
// The system's narrow ("ANSI") text is the locale's codeset; wide text is wchar_t.
#include <string>

#include "WinTypes.h"

#define CP_ACP 0
#define CP_UTF8 65001

// The code page of the locale in force: 936 for GBK/GB2312/GB18030, 1252 for
// ISO-8859-1 / CP1252, 65001 for UTF-8 and for the C/POSIX locale, else 0.
UINT GetACP();

// Same contracts as the Windows calls: cbMultiByte / cchWideChar of -1 mean
// "up to and including the terminator"; a zero output size asks for the size
// needed. Returns the number of units written (or needed), 0 on failure.
// Undecodable input becomes U+FFFD; characters the narrow side lacks become '?'.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int cbMultiByte, LPWSTR dst, int cchWideChar);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int cchWideChar, LPSTR dst, int cbMultiByte,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);

// Whole-string conversions, as the ATL conversion classes of the same names.
std::wstring CA2W(const std::string& text, UINT codePage = CP_ACP);
std::string CW2A(const std::wstring& text, UINT codePage = CP_ACP);
