#include "Placement.h"

#include "platform/Files.h"

namespace {
const int64_t kSmallestPackage = 1025;

// The folder the destination is written in ("." for a bare name).
CStringA FolderOf(const CStringA& path, size_t slash) {
    if (slash == CStringA::npos) return ".";
    return slash == 0 ? CStringA("/") : path.substr(0, slash);
}
}  // namespace

CStringA MakeTempFilePath(const CStringA& destPath) {
    char folder[MAX_PATH] = {};
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return CStringA();
    size_t slash = destPath.rfind('/');
    CStringA name = slash == CStringA::npos ? destPath : destPath.substr(slash + 1);
    // Beside its destination the file gets a name of its own, so that nothing
    // is ever written under the destination's name; always the same one, so
    // that two runs for it still meet on one file.
    CStringA tempFolder(folder, length);
    if (!name.empty() && (tempFolder + name == destPath || IsSameFileA(folder, FolderOf(destPath, slash).c_str())))
        name = "." + name + ".part";
    if (length + name.size() >= MAX_PATH) return CStringA();
    return tempFolder + name;
}

bool VerifyAndMoveDownload(const CStringA& tempPath, const CStringA& destPath, const std::atomic<bool>* abandon) {
    // Held, unshared, from the size check until the file has been moved, so
    // that no other run empties or rewrites it in between.
    CHandle file(
        CreateFileA(tempPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    int64_t size = 0;
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) return false;
    if (size < kSmallestPackage) return false;  // an error page rather than a package
    return MoveFileA(tempPath.c_str(), destPath.c_str(), abandon) != FALSE;
}
