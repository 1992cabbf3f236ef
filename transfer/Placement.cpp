#include "Placement.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace {
const int64_t kSmallestPackage = 1025;

thread_local TempFileHold* t_hold = nullptr;

// Both files are compared a mebibyte at a time.
const DWORD kCompareBlock = DWORD{1} << 20;

// The destination is exactly the package: a regular file under its own name
// (never a link, never a FIFO waited on), as long and byte for byte alike.
bool HoldsTheSameBytes(HANDLE package, int64_t size, const CStringA& destPath) {
    CHandle dest(CreateFileA(destPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    LARGE_INTEGER destSize{};
    if (dest == INVALID_HANDLE_VALUE || !GetFileSizeEx(dest, &destSize) || destSize.QuadPart != size) return false;
    auto ours = std::make_unique_for_overwrite<char[]>(kCompareBlock);
    auto theirs = std::make_unique_for_overwrite<char[]>(kCompareBlock);
    for (int64_t at = 0; at < size;) {
        OVERLAPPED where{0, 0, static_cast<DWORD>(at), static_cast<DWORD>(at >> 32), nullptr};
        DWORD want = static_cast<DWORD>(std::min<int64_t>(kCompareBlock, size - at)), got = 0, gotTheirs = 0;
        if (!ReadFile(package, ours.get(), want, &got, &where) || got != want ||
            !ReadFile(dest, theirs.get(), want, &gotTheirs, &where) || gotTheirs != want ||
            std::memcmp(ours.get(), theirs.get(), want) != 0)
            return false;
        at += want;
    }
    return true;
}

// The folder the destination is written in ("." for a bare name).
CStringA FolderOf(const CStringA& path, size_t slash) {
    if (slash == CStringA::npos) return ".";
    return slash == 0 ? CStringA(1, kPathSeparator) : path.substr(0, slash);
}
}  // namespace

CStringA MakeTempFilePath(const CStringA& destPath) {
    char folder[MAX_TEMP_PATH] = {};
    DWORD length = GetTempPathA(MAX_TEMP_PATH, folder);
    if (length == 0 || length >= MAX_TEMP_PATH) return CStringA();
    size_t slash = destPath.rfind(kPathSeparator);
    CStringA name = slash == CStringA::npos ? destPath : destPath.substr(slash + 1);
    // Beside its destination the file gets a name of its own, so that nothing
    // is ever written under the destination's name; always the same one, so
    // that two runs for it still meet on one file.
    CStringA tempFolder(folder, length);
    if (!name.empty() && (tempFolder + name == destPath || IsSameFileA(folder, FolderOf(destPath, slash).c_str())))
        name = "." + name + ".part";
    if (name.size() > MAX_TEMP_NAME || length + name.size() >= MAX_TEMP_PATH) return CStringA();
    return tempFolder + name;
}

TempFileHold::TempFileHold() : m_outer(t_hold) {
    t_hold = this;
}

TempFileHold::~TempFileHold() {
    t_hold = m_outer;
}

TempFileHold* TempFileHold::OfThisThread() {
    return t_hold;
}

void TempFileHold::Keep(FileStream file, const char* path) {
    m_file = std::move(file);
    m_path = path;
}

FileStream TempFileHold::Take(const CStringA& path) {
    FileStream file = std::move(m_file);
    if (m_path != path) file.reset();
    m_path.clear();
    return file;
}

bool VerifyAndMoveDownload(const CStringA& tempPath, const CStringA& destPath, const std::atomic<bool>* abandon) {
    // Held, unshared, from the transfer (or from here) until the file has been
    // moved, and let go before any error dialog: its Retry starts the next
    // attempt while this one still shows it.
    TempFileHold* hold = TempFileHold::OfThisThread();
    FileStream held = hold ? hold->Take(tempPath) : FileStream();
    CHandle opened(held ? INVALID_HANDLE_VALUE
                        : CreateFileA(tempPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    HANDLE file = held ? reinterpret_cast<HANDLE>(_get_osfhandle(fileno(held.get()))) : static_cast<HANDLE>(opened);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) return false;
    if (size.QuadPart < kSmallestPackage) return false;  // an error page rather than a package
    // The package is on the disk before it has its name: a crash or a power
    // cut never leaves that name on a file whose data were still in memory.
    if (!FlushFileBuffers(file)) return false;
    if (MoveFileA(tempPath.c_str(), destPath.c_str(), abandon)) return true;
    // Placed before but never registered: the same package is in place
    // already, and the temporary copy has nothing left to do.
    if (!HoldsTheSameBytes(file, size.QuadPart, destPath)) return false;
    DeleteFileA(tempPath.c_str());
    return true;
}
