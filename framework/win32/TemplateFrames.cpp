#include "TemplateFrames.h"

#include <cstdint>
#include <cwchar>

namespace {
// A template field that is a string, an ordinal (0xFFFF and a number) or empty.
const WORD* SkipNameOrOrdinal(const WORD* p) {
    if (*p == 0xFFFF) return p + 2;
    return p + std::wcslen(reinterpret_cast<const wchar_t*>(p)) + 1;
}

const WORD* AlignToDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
}
}  // namespace

void AfxRestoreTemplateFrames(HWND hDlg, const void* dialogTemplate) {
    const auto* words = static_cast<const WORD*>(dialogTemplate);
    if (words[0] != 1 || words[1] != 0xFFFF) return;  // not an extended template
    const auto* dwords = reinterpret_cast<const DWORD*>(words + 2);
    const DWORD style = dwords[2];
    const WORD count = words[8];
    const WORD* p = words + 13;  // after the counts and the position
    p = SkipNameOrOrdinal(p);    // menu
    p = SkipNameOrOrdinal(p);    // class
    p = SkipNameOrOrdinal(p);    // caption
    if (style & (DS_SETFONT | DS_SHELLFONT)) p = SkipNameOrOrdinal(p + 3);
    for (WORD i = 0; i < count; ++i) {
        p = AlignToDword(p);
        const auto* item = reinterpret_cast<const DWORD*>(p);
        const DWORD itemStyle = item[2];
        const DWORD id = item[5];
        p = SkipNameOrOrdinal(p + 12);  // class
        p = SkipNameOrOrdinal(p);       // text
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);  // creation data
        HWND control = ::GetDlgItem(hDlg, static_cast<int>(id));
        if (!control || !(itemStyle & WS_BORDER)) continue;
        const LONG now = ::GetWindowLongW(control, GWL_STYLE);
        if (now & WS_BORDER) continue;
        ::SetWindowLongW(control, GWL_STYLE, now | WS_BORDER);
        ::SetWindowPos(control, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
