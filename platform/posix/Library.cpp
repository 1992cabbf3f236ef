#include "platform/Library.h"

#include <dlfcn.h>
#include <unistd.h>
#include <climits>
#include <cstring>
#include <string>

namespace {

// The folder of the running executable, ending in '/'; empty when it cannot
// be told.
std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof path) return {};
    const std::string exe(path, static_cast<size_t>(length));
    return exe.substr(0, exe.rfind('/') + 1);
}

HMODULE Open(const std::string& file) {
    return static_cast<HMODULE>(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL));
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (!fileName || !*fileName) return nullptr;
    if (std::strchr(fileName, '/')) return Open(fileName);
    const std::string folder = ExecutableFolder();
    if (!folder.empty())
        if (HMODULE beside = Open(folder + fileName)) return beside;
    return Open(fileName);
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR procName) {
    // A null handle would search the whole process instead of one library.
    if (!hModule || !procName) return nullptr;
    return dlsym(hModule, procName);
}
