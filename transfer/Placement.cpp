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

bool VerifyAndMoveDownload(const CStringA& tempPath, const CStringA& destPath) {
    int64_t size = 0;
    {
        CHandle file(CreateFileA(tempPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) return false;
    }
    if (size < kSmallestPackage) return false;  // an error page rather than a package
    return MoveFileA(tempPath.c_str(), destPath.c_str()) != FALSE;
}
