#include "MainAppProcess.h"

#include "platform/Files.h"
#include "platform/ToolHelp.h"

namespace {
const wchar_t kMainAppImage[] = L"vantel.exe";

// Only the letters A to Z count as equal in either case.
bool EqualsIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    for (; *a && *b; ++a, ++b)
        if (lower(*a) != lower(*b)) return false;
    return *a == *b;
}
}  // namespace

bool IsMainAppRunning() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    CHandle owner(snapshot);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (EqualsIgnoringAsciiCase(entry.szExeFile, kMainAppImage)) return entry.th32ProcessID != 0;
    return false;
}
