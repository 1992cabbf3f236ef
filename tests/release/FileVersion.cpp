// Prints what a file's version resource says, as Windows reads it:
//   file_version FILE  ->  "<file version> <product version> <FileVersion> <ProductVersion>"
// (the first two as four numbers each).
// The tests compare it with the project's version.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Numbers(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low)) + "." +
           std::to_string(LOWORD(low));
}

std::string Text(std::vector<char>& info, WORD language, WORD codePage, const char* name) {
    char path[64];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
    char* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&value), &size) || !size) return "-";
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: file_version FILE\n");
        return 2;
    }
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(argv[1], &ignored));
    if (info.empty() || !GetFileVersionInfoA(argv[1], 0, static_cast<DWORD>(info.size()), info.data())) {
        std::fprintf(stderr, "%s: no version resource (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    WORD* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size) || size < sizeof *fixed ||
        !VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < 2 * sizeof(WORD)) {
        std::fprintf(stderr, "%s: the version resource is incomplete\n", argv[1]);
        return 1;
    }
    std::printf("%s %s %s %s\n", Numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS).c_str(),
                Numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS).c_str(),
                Text(info, translation[0], translation[1], "FileVersion").c_str(),
                Text(info, translation[0], translation[1], "ProductVersion").c_str());
    return 0;
}
