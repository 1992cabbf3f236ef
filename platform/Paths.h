#pragma once
// The character that separates folders in a path: the backslash on Windows.
// On the POSIX ground '/' stands for it, and a backslash is an ordinary
// character of a name.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr wchar_t kPathSeparatorW = L'\\';
#else
constexpr char kPathSeparator = '/';
constexpr wchar_t kPathSeparatorW = L'/';
#endif
