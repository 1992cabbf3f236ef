#pragma once
// The system's narrow ("ANSI") text and its wide text (wchar_t). On the POSIX
// ground the narrow text is the locale's codeset.
#include <string>
#include <string_view>

#include "WinTypes.h"

#ifndef _WIN32
#define CP_ACP 0
#define CP_UTF8 65001

// CP_ACP is the code page of the locale in force; the C/POSIX locale counts
// as UTF-8.
//
// The same contract as the Windows call: cbMultiByte of -1 means "up to and
// including the terminator"; a zero output size asks for the size needed.
// Returns the number of units written (or needed), 0 on failure.
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
#endif

// Whole-string conversions, as the ATL conversion classes of the same names
// (ATL is not part of every Windows tool chain, so these are ours on both
// grounds). Characters the narrow side lacks become '?' (U+FFFD in UTF-8).
// On both grounds a byte the code page cannot decode becomes its escape
// (U+DC00 + byte) and comes back as itself, so narrow text survives the
// round trip byte for byte.
std::wstring CA2W(const std::string& text, UINT codePage = CP_ACP);
std::string CW2A(const std::wstring& text, UINT codePage = CP_ACP);

// The text as a window shows it and the bus carries it: every unit that is no
// character (a byte's escape, any other unpaired surrogate, a value past
// U+10FFFF) becomes U+FFFD.
std::wstring ShownText(std::wstring_view text);
