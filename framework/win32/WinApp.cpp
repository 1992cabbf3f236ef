// The application's start on this ground: the system's command line and
// common controls, the application object's InitInstance on the first thread.
#include "framework/WinApp.h"

#include <string>

namespace {
// The executable's base name, without folder or extension.
CString ModuleBaseName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return CString();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    return CString(dot == std::wstring::npos ? name : name.substr(0, dot));
}
}  // namespace

LPCWSTR AfxGetAppName() {
    static const CString name = ModuleBaseName();
    if (CWinApp* app = AfxGetApp(); app && !app->m_strAppName.empty()) return app->m_strAppName.c_str();
    return name.c_str();
}

int AfxWinMain(int, char**) {
    // The command line is the system's own (GetCommandLineA), untouched.
    AfxPrepareInterfaceThread();
    CWinApp* app = AfxGetApp();
    if (!app) return 0;
    // There is no message loop of the application's own: its dialogs run
    // theirs inside InitInstance, and the exit code carries nothing.
    app->InitInstance();
    app->ExitInstance();
    return 0;
}
