#include "Placement.h"

#include "platform/Files.h"

namespace {
const int64_t kSmallestPackage = 1025;
}

CStringA MakeTempFilePath(const CStringA& destPath) {
    char folder[MAX_PATH] = {};
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return CStringA();
    size_t slash = destPath.rfind('/');
    CStringA name = slash == CStringA::npos ? destPath : destPath.substr(slash + 1);
    if (length + name.size() >= MAX_PATH) return CStringA();
    return CStringA(folder, length) + name;
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
