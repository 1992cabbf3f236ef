// The file calls of ours that Windows lacks: the identity of two paths, the
// temporary file held by one run, and the move that can be abandoned and
// never leaves a part under the destination's name.
#include "platform/Files.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Copies move in blocks of this size, the abandon flag looked at between them.
constexpr DWORD kCopyBlock = 1 << 20;

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// A file or folder opened only to look at it, links followed as an open does.
HANDLE OpenToLookAt(LPCSTR path) {
    return ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A plain file on a disk, with no other name and no link of any kind.
bool IsSingleRegularFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info)) return false;
    const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return (info.dwFileAttributes & refused) == 0 && info.nNumberOfLinks == 1;
}

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load();
}

bool CopyBytes(HANDLE in, HANDLE out, const std::atomic<bool>* cancel) {
    auto block = std::make_unique_for_overwrite<char[]>(kCopyBlock);
    for (;;) {
        if (Cancelled(cancel)) {
            ::SetLastError(ERROR_REQUEST_ABORTED);
            return false;
        }
        DWORD got = 0, put = 0;
        if (!::ReadFile(in, block.get(), kCopyBlock, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!::WriteFile(out, block.get(), got, &put, nullptr) || put != got) return false;
    }
}

// The copy in the destination's folder before it has the destination's
// name: under a passing name of its own, gone with its handle, so that
// however the process ends no part of it stays behind. Naming it links the
// destination's name to it; the passing name then goes with the handle, and
// the copy stays under the destination's.
class HiddenCopy {
public:
    explicit HiddenCopy(const std::string& to) {
        const size_t slash = to.rfind('\\');
        const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash);
        char name[MAX_PATH] = {};
        if (!::GetTempFileNameA(folder.c_str(), "drv", 0, name)) return;
        m_path = name;
        m_file = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (m_file == INVALID_HANDLE_VALUE) ::DeleteFileA(name);
    }
    ~HiddenCopy() {
        if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    }
    HiddenCopy(const HiddenCopy&) = delete;
    HiddenCopy& operator=(const HiddenCopy&) = delete;

    HANDLE get() const { return m_file; }
    bool valid() const { return m_file != INVALID_HANDLE_VALUE; }
    // A second name never replaces one that exists.
    bool Name(LPCSTR to) const { return ::CreateHardLinkA(to, m_path.c_str(), nullptr); }

private:
    std::string m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

// The move between volumes: the bytes and the file times into a copy beside
// the destination, on the disk before it is named; the source removed only
// once the name stands.
BOOL CopyAcross(LPCSTR from, LPCSTR to, const std::atomic<bool>* cancel) {
    CHandle in(::CreateFileA(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (in == INVALID_HANDLE_VALUE) return FALSE;
    if (!IsSingleRegularFile(in)) {
        ::SetLastError(ERROR_NOT_SAME_DEVICE);
        return FALSE;
    }
    FILETIME accessed{}, written{};
    HiddenCopy copy(to);
    if (!copy.valid() || !CopyBytes(in, copy.get(), cancel) || !::GetFileTime(in, nullptr, &accessed, &written) ||
        !::SetFileTime(copy.get(), nullptr, &accessed, &written) || !::FlushFileBuffers(copy.get()) ||
        !copy.Name(to))
        return FALSE;
    in.Close();
    if (::DeleteFileA(from)) return TRUE;
    // The source could not go, so neither may the copy.
    const DWORD saved = ::GetLastError();
    ::DeleteFileA(to);
    ::SetLastError(saved);
    return FALSE;
}

}  // namespace

BOOL IsSameFileA(LPCSTR a, LPCSTR b) {
    if (!a || !b) return FALSE;
    CHandle first(OpenToLookAt(a)), second(OpenToLookAt(b));
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    return first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
           ::GetFileInformationByHandle(first, &one) && ::GetFileInformationByHandle(second, &other) &&
           SameIdentity(one, other);
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath, const std::atomic<bool>* cancel) {
    if (!existingPath || !newPath) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // On one volume a rename, which never replaces.
    if (::MoveFileExA(existingPath, newPath, 0)) return TRUE;
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return FALSE;
    return CopyAcross(existingPath, newPath, cancel);
}

FILE* fopen_nofollow(const char* path, const char* mode) {
    if (!path || !mode || std::strcmp(mode, "wb") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    // Held from its opening: no other open may write it or read it unshared
    // (a second run, or the placement's check), but it may be read and moved
    // beside this handle, since the placement moves it while it is held. A
    // link is opened as itself, and refused below.
    CHandle file(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file == INVALID_HANDLE_VALUE) {
        errno = ::GetLastError() == ERROR_SHARING_VIOLATION ? EWOULDBLOCK : EACCES;
        return nullptr;
    }
    if (!IsSingleRegularFile(file)) {
        errno = EPERM;
        return nullptr;
    }
    // Emptied only now that this run alone holds it, and only when it holds something.
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || (size.QuadPart != 0 && !::SetEndOfFile(file))) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(static_cast<HANDLE>(file)), _O_RDWR | _O_BINARY);
    if (fd == -1) return nullptr;
    file.Detach();
    FILE* stream = _fdopen(fd, "wb");
    if (!stream) _close(fd);
    return stream;
}
