// A stand-in for the Tarnwick dictionary application on Windows, for tests
// and for whoever builds the real side: a local COM server named as the
// application's program is, serving the objects of idl/Tarnwick.idl through
// the type library's marshaler, and recording every call.
//
//   vantel.exe --serve app|config [--serve ...] [--record FILE] [--silent]
//   vantel.exe --bare
//   vantel.exe --stop
//
// --serve app      the running application: its object in the running
//                  object table, and its class for whoever creates one
// --serve config   the configuration object's class
// --record FILE    appends each call to FILE as well as printing it
// --silent         takes calls but never answers them
// --bare           serves nothing: a process of the application's name alone
// --stop           asks every other vantel.exe to end, and waits up to 5 s:
//                  each withdraws what it serves from COM first (one killed
//                  leaves its running object behind in Wine, for the next
//                  caller to meet)
// -Embedding       COM started it for a caller (COM adds it): it serves the
//                  classes alone, and ends once nothing of it is in use, or
//                  when nobody came within 30 s
//
// Otherwise it runs until it is ended. Its classes, the interfaces and the
// type library are registered by whoever installs it (for the tests:
// scripts/standin-com.sh).
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"

#include "DictObjects.h"

namespace {

struct Options {
    bool app = false;
    bool config = false;
    bool silent = false;
    bool embedding = false;
    bool bare = false;
    bool stop = false;
    std::string record;
};

std::string Narrow(const wchar_t* text) {
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

bool ParseOptions(Options& options) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return false;
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--serve" && hasValue) {
            const std::wstring object = argv[++i];
            ok = object == L"app" || object == L"config";
            (object == L"app" ? options.app : options.config) = true;
        } else if (arg == L"--record" && hasValue) {
            options.record = Narrow(argv[++i]);
        } else if (arg == L"--bare") {
            options.bare = true;
        } else if (arg == L"--stop") {
            options.stop = true;
        } else if (arg == L"--silent") {
            options.silent = true;
        } else if (arg == L"-Embedding" || arg == L"/Embedding") {
            options.embedding = true;
        } else {
            ok = false;
        }
    }
    ::LocalFree(argv);
    return ok && (options.app || options.config || options.bare || options.stop);
}

// COM started this server for a caller: it ends once its objects are gone.
void CALLBACK CheckInUse(HWND, UINT, UINT_PTR, DWORD) {
    static DWORD started = ::GetTickCount();
    bool unused = g_bServerUsed ? g_nServerLocks == 0 : ::GetTickCount() - started > 30000;
    if (unused) ::PostQuitMessage(0);
}

// Each thread of the other stand-ins is told to quit; the main one's
// message loop ends on it.
int StopOthers() {
    CHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0));
    if (snapshot == INVALID_HANDLE_VALUE) return 1;
    std::vector<DWORD> others;
    PROCESSENTRY32W process{};
    process.dwSize = sizeof process;
    for (BOOL more = ::Process32FirstW(snapshot, &process); more; more = ::Process32NextW(snapshot, &process))
        if (::lstrcmpiW(process.szExeFile, L"vantel.exe") == 0 && process.th32ProcessID != ::GetCurrentProcessId())
            others.push_back(process.th32ProcessID);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = ::Thread32First(snapshot, &thread); more; more = ::Thread32Next(snapshot, &thread))
        for (DWORD pid : others)
            if (thread.th32OwnerProcessID == pid) ::PostThreadMessageW(thread.th32ThreadID, WM_QUIT, 0, 0);
    bool ended = true;
    for (DWORD pid : others) {
        CHandle other(::OpenProcess(SYNCHRONIZE, FALSE, pid));
        if (other) ended = ::WaitForSingleObject(other, 5000) == WAIT_OBJECT_0 && ended;
    }
    return ended ? 0 : 1;
}

}  // namespace

int main() {
    Options options;
    if (!ParseOptions(options)) {
        std::fputs("vantel.exe: --serve app, --serve config, --bare or --stop is needed\n", stderr);
        return 2;
    }
    if (options.stop) return StopOthers();
    CallLog log(options.record);
    if (!log.IsOpen()) {
        std::fputs("vantel.exe: the record file cannot be opened\n", stderr);
        return 1;
    }
    if (FAILED(::CoInitialize(nullptr))) return 1;

    DictFactory<DictAppControl> appFactory(log, options.silent);
    DictFactory<DictConfig> configFactory(log, options.silent);
    DWORD appClass = 0, configClass = 0, running = 0;
    // Started by COM for a caller, it serves the class alone: an object of
    // its own in the running object table would keep it in use for ever.
    DictAppControl* app = options.app && !options.embedding ? new DictAppControl(log, options.silent) : nullptr;
    bool served = true;
    if (options.app)
        served = SUCCEEDED(::CoRegisterClassObject(CLSID_DictAppControl, &appFactory, CLSCTX_LOCAL_SERVER,
                                                   REGCLS_MULTIPLEUSE, &appClass));
    if (served && app)
        served = SUCCEEDED(::RegisterActiveObject(app, CLSID_DictAppControl, ACTIVEOBJECT_STRONG, &running));
    if (served && options.config)
        served = SUCCEEDED(::CoRegisterClassObject(CLSID_DictConfig, &configFactory, CLSCTX_LOCAL_SERVER,
                                                   REGCLS_MULTIPLEUSE, &configClass));
    if (!served) {
        std::fputs("vantel.exe: the classes cannot be registered\n", stderr);
        return 1;
    }
    std::puts("vantel.exe: serving");
    std::fflush(stdout);
    if (options.embedding) ::SetTimer(nullptr, 0, 200, &CheckInUse);
    if (app) app->Release();  // the running object table holds it now

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);

    if (running) ::RevokeActiveObject(running, nullptr);
    if (appClass) ::CoRevokeClassObject(appClass);
    if (configClass) ::CoRevokeClassObject(configClass);
    ::CoUninitialize();
    return 0;
}
