// The dictionary application's side on Windows: vantel.exe, a local COM
// server, its classes and type library registered in the prefix for the
// test's lifetime, as the application's installer would register them.
#include "tests/support/DictAppSide.h"

#include <windows.h>
#include <oleauto.h>

#include <filesystem>
#include <string>
#include <thread>

#include "install/MainAppProcess.h"
#include "platform/TarnwickObjects.h"

namespace fs = std::filesystem;

namespace testsupport {

namespace {

using namespace std::chrono_literals;

// Beside the test program: build-windows/tests/x.exe, .../standin/vantel.exe.
fs::path BuildFile(const wchar_t* relative) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path().parent_path() / relative;
}

// The other target's stand-in, when DERAVIZIZIVU_STANDIN names one: the calls
// then cross from one bitness to the other, as they do between the 64-bit
// program and the 32-bit application.
fs::path OtherStandIn() {
    wchar_t other[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"DERAVIZIZIVU_STANDIN", other, MAX_PATH);
    return length > 0 && length < MAX_PATH ? fs::path(other) : fs::path();
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring GuidKey(const wchar_t* kind, const GUID& guid) {
    return std::wstring(kind) + L"\\" + GuidText(guid);
}

std::wstring ClassKey(const CLSID& clsid) {
    return GuidKey(L"CLSID", clsid);
}

// A value of a key of the classes, in the registry's view `view` (0: the
// caller's own); `name` null for the key's default value.
bool SetValue(const std::wstring& key, const std::wstring& value, REGSAM view = 0, const wchar_t* name = nullptr) {
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &hKey, nullptr))
        return false;
    LONG status = ::RegSetValueExW(hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS;
}

void DeleteTree(const std::wstring& key, REGSAM view) {
    HKEY hClasses = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS | view, &hClasses)) return;
    ::RegDeleteTreeW(hClasses, key.c_str());
    ::RegDeleteKeyExW(hClasses, key.c_str(), view, 0);
    ::RegCloseKey(hClasses);
}

const IID* const kInterfaces[] = {&IID_IDictAppControl, &IID_IDictConfig};

// This build's type library, registered as the program's own installer
// would (or undone).
bool RegisterOwnTypeLib() {
    ITypeLib* lib = nullptr;
    const std::wstring tlb = BuildFile(L"idl\\Tarnwick.tlb").wstring();
    if (FAILED(::LoadTypeLibEx(tlb.c_str(), REGKIND_REGISTER, &lib))) return false;
    lib->Release();
    return true;
}

void UnregisterOwnTypeLib() {
    ::UnRegisterTypeLib(LIBID_TarnwickDict, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
}

// What the other target's installer writes for its type library in its own
// view alone (RegisterTypeLib there): the library beside that stand-in
// (<build>/standin/vantel.exe, <build>/idl/Tarnwick.tlb), and each interface
// marshalled by the type library's marshaler.
bool RegisterOtherTypeLib(const fs::path& server, REGSAM view) {
    const wchar_t* kMarshaler = L"{00020424-0000-0000-C000-000000000046}";
    const fs::path tlb = server.parent_path().parent_path() / L"idl" / L"Tarnwick.tlb";
    const std::wstring lib = GuidKey(L"TypeLib", LIBID_TarnwickDict);
    bool ok = SetValue(lib + L"\\1.0\\0\\win32", tlb.wstring(), view) && SetValue(lib + L"\\1.0\\FLAGS", L"0", view);
    for (const IID* iid : kInterfaces) {
        const std::wstring key = GuidKey(L"Interface", *iid);
        ok = ok && SetValue(key + L"\\ProxyStubClsid32", kMarshaler, view) &&
             SetValue(key + L"\\TypeLib", GuidText(LIBID_TarnwickDict), view) &&
             SetValue(key + L"\\TypeLib", L"1.0", view, L"Version");
    }
    return ok;
}

void UnregisterOtherTypeLib(REGSAM view) {
    DeleteTree(GuidKey(L"TypeLib", LIBID_TarnwickDict), view);
    for (const IID* iid : kInterfaces) DeleteTree(GuidKey(L"Interface", *iid), view);
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

std::wstring Arguments(const StandInOptions& options) {
    std::wstring args;
    if (options.app) args += L" --serve app";
    if (options.config) args += L" --serve config";
    if (options.bare) args = L" --bare";
    if (options.silent) args += L" --silent";
    if (!options.record.empty() && !options.bare) args += L" --record " + Quoted(fs::path(options.record));
    return args;
}

// A stand-in process of the test's own: ended, and waited for, with this.
// Asked first, so that it withdraws its classes and running object from
// COM; one killed leaves them behind for the next test to meet.
struct ProcessRun : StandInRun {
    PROCESS_INFORMATION process{};
    ~ProcessRun() override {
        if (!process.hProcess) return;  // never started
        ::PostThreadMessageW(process.dwThreadId, WM_QUIT, 0, 0);
        if (::WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 0);
        ::WaitForSingleObject(process.hProcess, 10000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
};

// Reads the stand-in's output until it says it serves; false when it ends
// first or says nothing for 30 s (a fresh prefix starts COM's services).
bool WaitForServing(HANDLE output, HANDLE process) {
    std::string said;
    for (auto until = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < until;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr)) return false;
        if (available == 0) {
            if (::WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return false;
            continue;
        }
        char buffer[256];
        DWORD got = 0;
        if (!::ReadFile(output, buffer, sizeof buffer, &got, nullptr)) return false;
        said.append(buffer, got);
        if (said.find("serving") != std::string::npos) return true;
    }
    return false;
}

}  // namespace

struct DictAppSide::Ground {
    fs::path folder;
    fs::path other = OtherStandIn();
    fs::path server = other.empty() ? BuildFile(L"standin\\vantel.exe") : other;
    // The other target's stand-in is the 32-bit application to this 64-bit
    // test: what it registers lies in the registry's 32-bit view.
    REGSAM view = other.empty() ? 0 : KEY_WOW64_32KEY;
    bool typeLib = false;
    int runs = 0;
};

DictAppSide::DictAppSide() : m_pGround(std::make_unique<Ground>()) {
    ::CoInitialize(nullptr);
    wchar_t name[32];
    swprintf(name, 32, L"dictappside-%lu-%p", ::GetCurrentProcessId(), static_cast<void*>(this));
    std::error_code ec;
    m_pGround->folder = fs::temp_directory_path(ec) / name;
    fs::create_directories(m_pGround->folder, ec);
    // The other target's stand-in has its type library in its own view
    // alone: this side registers nothing of its own then.
    m_pGround->typeLib = m_pGround->view ? RegisterOtherTypeLib(m_pGround->other, m_pGround->view) : RegisterOwnTypeLib();
}

DictAppSide::~DictAppSide() {
    for (const CLSID* clsid : {&CLSID_DictAppControl, &CLSID_DictConfig}) DeleteTree(ClassKey(*clsid), m_pGround->view);
    if (m_pGround->view)
        UnregisterOtherTypeLib(m_pGround->view);
    else if (m_pGround->typeLib)
        UnregisterOwnTypeLib();
    // A server COM started ends once its caller let go: the next test must
    // not find it running.
    for (auto until = std::chrono::steady_clock::now() + 10s;
         IsMainAppRunning() && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(100ms);
    std::error_code ec;
    fs::remove_all(m_pGround->folder, ec);
    ::CoUninitialize();
}

bool DictAppSide::Ready() const {
    return m_pGround->typeLib && fs::is_directory(m_pGround->folder) && fs::exists(m_pGround->server);
}

std::string DictAppSide::RecordFile() const {
    return (m_pGround->folder / "calls").string();
}

bool DictAppSide::Offer(StandInOptions options) {
    if (options.record.empty()) options.record = RecordFile();
    const CLSID& clsid = options.app ? CLSID_DictAppControl : CLSID_DictConfig;
    return SetValue(ClassKey(clsid) + L"\\LocalServer32", Quoted(m_pGround->server) + Arguments(options), m_pGround->view);
}

std::unique_ptr<StandInRun> DictAppSide::Run(StandInOptions options) {
    if (options.record.empty()) options.record = RecordFile();
    // Another image name: a copy of the server under that name, in a folder
    // of its own, so that names differing only in case are two files.
    fs::path image = m_pGround->server;
    if (!options.comm.empty()) {
        const fs::path dir = m_pGround->folder / std::to_wstring(++m_pGround->runs);
        std::error_code ec;
        fs::create_directories(dir, ec);
        image = dir / fs::path(options.comm);
        if (!fs::copy_file(m_pGround->server, image, ec)) return nullptr;
    }
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return nullptr;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = Quoted(image) + Arguments(options);
    auto run = std::make_unique<ProcessRun>();
    // The image by its full name: a name without ".exe" gets none added.
    const bool started = ::CreateProcessW(image.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &run->process);
    ::CloseHandle(writeEnd);
    const bool serving = started && WaitForServing(readEnd, run->process.hProcess);
    ::CloseHandle(readEnd);
    return serving ? std::move(run) : nullptr;
}

// A server COM started may have ended already once its caller let go: what
// it recorded tells that it was started.
bool DictAppSide::WaitForConfiguration(bool served, std::chrono::milliseconds timeout) const {
    std::error_code ec;
    for (auto until = std::chrono::steady_clock::now() + timeout;; std::this_thread::sleep_for(50ms)) {
        const bool runs = IsMainAppRunning();
        const auto recorded = fs::file_size(fs::path(RecordFile()), ec);
        if (served ? runs || (!ec && recorded > 0) : !runs) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
    }
}

bool DictAppSide::CanFreeze() const {
    return false;
}

void DictAppSide::Freeze(bool) const {}

}  // namespace testsupport
