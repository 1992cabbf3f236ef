#pragma once
// The system's narrow ("ANSI") text is the locale's codeset; wide text is wchar_t.
#include <string>
#include <string_view>

#include "WinTypes.h"

#define CP_ACP 0
#define CP_UTF8 65001

// The code page of the locale in force: 936 for GBK/GB2312/GB18030, 1252 for
// ISO-8859-1 / CP1252, 65001 for UTF-8 and for the C/POSIX locale, else 0.
UINT GetACP();

// Same contracts as the Windows calls: cbMultiByte / cchWideChar of -1 mean
// "up to and including the terminator"; a zero output size asks for the size
// needed. Returns the number of units written (or needed), 0 on failure.
// Characters the narrow side lacks become '?' (U+FFFD in UTF-8).
//
// Narrow text is often a file name, and a file name is bytes: one in another
// encoding than the locale's must still reach the file system as it came. So
// a byte b (0x80 and up) that the code page cannot decode becomes the escape
// U+DC00 + b (U+DC80 to U+DCFF, values no text holds on its own), and encoding
// turns each escape back into its byte, in every code page. Narrow text then
// comes back from wide text byte for byte. A byte below 0x80 is a character
// of its own in every code page served here; one that still cannot be
// decoded becomes U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int cbMultiByte, LPWSTR dst, int cchWideChar);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int cchWideChar, LPSTR dst, int cbMultiByte,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);

// Whole-string conversions, as the ATL conversion classes of the same names.
std::wstring CA2W(const std::string& text, UINT codePage = CP_ACP);
std::string CW2A(const std::wstring& text, UINT codePage = CP_ACP);

// The text as a window shows it and the bus carries it: every unit that is no
// character (a byte's escape, any other surrogate, a value past U+10FFFF)
// becomes U+FFFD.
std::wstring ShownText(std::wstring_view text);
