#include "platform/Files.h"

#include "platform/posix/Handles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

static_assert(sizeof(off_t) == 8, "file sizes beyond 4 GiB need a 64-bit off_t");

// Owns one file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

int RenameNoReplace(const char* from, const char* to) {
#if defined(RENAME_NOREPLACE)
    return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#elif defined(SYS_renameat2)
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 1u));
#else
    errno = ENOSYS;
    return -1;
#endif
}

bool Cancelled(const std::atomic<bool>* cancel) {
    if (!cancel || !cancel->load()) return false;
    errno = ECANCELED;
    return true;
}

bool ReadWriteLoop(int in, int out, const std::atomic<bool>* cancel) {
    char buffer[64 * 1024];
    for (;;) {
        if (Cancelled(cancel)) return false;
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (!WriteAll(out, buffer, static_cast<size_t>(n))) return false;
    }
}

// Copies from the current offsets to the end of the input. The kernel copy is
// tried first, in blocks small enough to notice a cancel soon; where it is
// not offered, plain reads and writes carry on from the offsets it reached.
bool CopyBytes(int in, int out, off_t expectedSize, const std::atomic<bool>* cancel) {
    off_t copied = 0;
    for (;;) {
        if (Cancelled(cancel)) return false;
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t{4} << 20, 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0 && copied >= expectedSize) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EPERM)
            return false;
        // Unsupported here, or a file system that reports no data: read it plainly.
        return ReadWriteLoop(in, out, cancel);
    }
}

// The copy in the destination's folder before it has the destination's
// name. Unnamed where the file system allows, so that the process's end,
// however it comes, drops it by itself; else under a hidden name, removed
// again when this goes.
class UnnamedCopy {
public:
    UnnamedCopy(const std::string& folder, const std::string& name, mode_t mode) {
        m_fd.reset(open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        // EISDIR: a kernel that does not know unnamed files.
        if (m_fd.valid() || (errno != EOPNOTSUPP && errno != EISDIR)) return;
        std::string hidden = folder + "/." + name + ".XXXXXX";
        m_fd.reset(mkostemp(hidden.data(), O_CLOEXEC));
        if (!m_fd.valid()) return;
        m_hidden = hidden;
        if (fchmod(m_fd.get(), mode) != 0) m_fd.reset();
    }
    ~UnnamedCopy() {
        const int saved = errno;
        m_fd.reset();
        if (!m_hidden.empty()) unlink(m_hidden.c_str());
        errno = saved;
    }
    UnnamedCopy(const UnnamedCopy&) = delete;
    UnnamedCopy& operator=(const UnnamedCopy&) = delete;

    int get() const { return m_fd.get(); }
    bool valid() const { return m_fd.valid(); }

    // Gives the copy the name `to`; a link never replaces a name that exists.
    bool Name(const char* to) {
        if (!m_hidden.empty()) {
            if (link(m_hidden.c_str(), to) == 0) return true;
            // A file system without hard links: the hidden name itself moves,
            // onto no existing name either.
            if ((errno != EPERM && errno != EOPNOTSUPP) || RenameNoReplace(m_hidden.c_str(), to) != 0) return false;
            m_hidden.clear();
            return true;
        }
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd.get());
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to, AT_SYMLINK_FOLLOW) == 0) return true;
        // Without /proc, the descriptor itself (where the system permits).
        if (errno != ENOENT) return false;
        return linkat(m_fd.get(), "", AT_FDCWD, to, AT_EMPTY_PATH) == 0;
    }

private:
    FileDescriptor m_fd;
    std::string m_hidden;  // empty for an unnamed copy
};

// The destination's folder and its own name in it.
bool SplitPath(const char* path, std::string& folder, std::string& name) {
    const std::string whole(path);
    const size_t slash = whole.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : whole.substr(0, slash);
    name = slash == std::string::npos ? whole : whole.substr(slash + 1);
    if (!name.empty()) return true;
    errno = EISDIR;
    return false;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The move between file systems: the bytes and both file times into a copy
// beside the destination, on disk before it is named; the source removed
// only once the name stands.
bool CopyAcross(const char* from, const char* to, const std::atomic<bool>* cancel) {
    struct stat linkInfo {};
    if (lstat(from, &linkInfo) != 0) return false;
    if (!S_ISREG(linkInfo.st_mode)) {
        errno = EXDEV;
        return false;
    }
    FileDescriptor in(open(from, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
    if (!in.valid()) return false;
    struct stat source {};
    if (fstat(in.get(), &source) != 0) return false;
    if (!S_ISREG(source.st_mode)) {
        errno = EXDEV;
        return false;
    }

    std::string folder, name;
    if (!SplitPath(to, folder, name)) return false;
    UnnamedCopy out(folder, name, source.st_mode & 0777);
    struct stat copy {};
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (!out.valid() || !CopyBytes(in.get(), out.get(), source.st_size, cancel) || futimens(out.get(), times) != 0 ||
        fsync(out.get()) != 0 || fstat(out.get(), &copy) != 0 || !out.Name(to))
        return false;
    if (unlink(from) == 0) return true;

    // The source could not go, so neither may the copy: its name is taken
    // back, as long as it still names the copy.
    const int saved = errno;
    struct stat named {};
    if (lstat(to, &named) == 0 && SameFile(named, copy)) unlink(to);
    errno = saved;
    return false;
}

// A regular file of this user's own with no other name: nothing of another
// user's, and nothing reached through a second name, is written or moved.
bool IsOwnSingleFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == geteuid() && info.st_nlink == 1;
}

// The one way the temporary file is opened, by the transfer that writes it
// and by the placement that moves it: held by this run alone, checked before
// anything is written. `access` is O_RDONLY, or O_WRONLY | O_CREAT; `held`
// is what the descriptor answered once it was locked.
int OpenAlone(const char* path, int access, struct stat& held) {
    // No O_TRUNC: the file is emptied by the caller once it holds it.
    // O_NONBLOCK keeps a planted FIFO from stalling the open; it is refused below.
    FileDescriptor fd(open(path, access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
    if (!fd.valid()) return -1;
    if (fstat(fd.get(), &held) != 0) return -1;
    if (!IsOwnSingleFile(held)) {
        errno = EPERM;
        return -1;
    }
    if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return -1;
    // Until the lock, another run could move the file away or put another in
    // its place: what is held must be what the path names.
    struct stat named {};
    if (fstat(fd.get(), &held) != 0 || lstat(path, &named) != 0) return -1;
    if (!IsOwnSingleFile(held) || !SameFile(held, named)) {
        errno = EWOULDBLOCK;
        return -1;
    }
    const int status = fcntl(fd.get(), F_GETFL);
    if (status == -1 || fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) == -1) return -1;
    return fd.release();
}

bool FitsTime(int64_t seconds) {
    return static_cast<int64_t>(static_cast<time_t>(seconds)) == seconds;
}

}  // namespace

HANDLE HandleOfDescriptor(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}

int DescriptorOfHandle(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return -1;
    const intptr_t fd = reinterpret_cast<intptr_t>(handle) - 1;
    return fd >= 0 && fd <= INT_MAX ? static_cast<int>(fd) : -1;
}

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
    const char* env = std::getenv("TMPDIR");
    std::string folder = env && *env ? env : "/tmp";
    if (folder.back() != '/') folder += '/';
    if (folder.size() > static_cast<size_t>(PATH_MAX - 1)) return 0;
    const DWORD length = static_cast<DWORD>(folder.size());
    if (bufferLength < length + 1) return length + 1;
    if (!buffer) return 0;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return length;
}

BOOL IsSameFileA(LPCSTR a, LPCSTR b) {
    struct stat first {
    }, second{};
    return a && b && stat(a, &first) == 0 && stat(b, &second) == 0 && SameFile(first, second) ? TRUE : FALSE;
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, void* /*security*/, DWORD disposition, DWORD flags,
                   HANDLE /*templateFile*/) {
    if (!path || disposition != OPEN_EXISTING || (access & ~GENERIC_READ) != 0) {
        errno = EINVAL;
        return INVALID_HANDLE_VALUE;
    }
    // Never waiting on a FIFO; with FILE_FLAG_OPEN_REPARSE_POINT a link is
    // not followed (and, not being a file, not opened).
    const int shared =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (flags & FILE_FLAG_OPEN_REPARSE_POINT ? O_NOFOLLOW : 0);
    struct stat info {};
    FileDescriptor fd(share == 0 ? OpenAlone(path, O_RDONLY, info) : open(path, shared));
    if (!fd.valid() || (share != 0 && fstat(fd.get(), &info) != 0)) return INVALID_HANDLE_VALUE;
    // Only a regular file is a file to the system; callers count on a folder
    // failing to tell them apart.
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return INVALID_HANDLE_VALUE;
    }
    if (flags & FILE_FLAG_SEQUENTIAL_SCAN) posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return HandleOfDescriptor(fd.release());
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
    const int fd = DescriptorOfHandle(file);
    struct stat info {};
    if (fd < 0 || !size || fstat(fd, &info) != 0) {
        if (fd < 0 || !size) errno = EBADF;
        return FALSE;
    }
    size->QuadPart = static_cast<int64_t>(info.st_size);
    return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, OVERLAPPED* at) {
    const int fd = DescriptorOfHandle(file);
    if (fd < 0 || !buffer || !read || !at) {
        errno = EBADF;
        return FALSE;
    }
    const off_t offset = static_cast<off_t>((uint64_t{at->OffsetHigh} << 32) | at->Offset);
    ssize_t n;
    do n = pread(fd, buffer, toRead, offset);
    while (n < 0 && errno == EINTR);
    *read = n < 0 ? 0 : static_cast<DWORD>(n);
    return n < 0 ? FALSE : TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    const int fd = DescriptorOfHandle(file);
    return fd >= 0 && fsync(fd) == 0 ? TRUE : FALSE;
}

BOOL DeleteFileA(LPCSTR path) {
    return path && unlink(path) == 0 ? TRUE : FALSE;
}

intptr_t _get_osfhandle(int fd) {
    return reinterpret_cast<intptr_t>(fd < 0 ? INVALID_HANDLE_VALUE : HandleOfDescriptor(fd));
}

BOOL CloseHandle(HANDLE handle) {
    const int fd = DescriptorOfHandle(handle);
    if (fd < 0) {
        errno = EBADF;
        return FALSE;
    }
    // Linux releases the descriptor even when close reports EINTR.
    return close(fd) == 0 || errno == EINTR ? TRUE : FALSE;
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath, const std::atomic<bool>* cancel) {
    if (!existingPath || !newPath) {
        errno = EINVAL;
        return FALSE;
    }
    if (RenameNoReplace(existingPath, newPath) == 0) return TRUE;
    if (errno == EXDEV) return CopyAcross(existingPath, newPath, cancel) ? TRUE : FALSE;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return FALSE;

    // The file system cannot rename without replacing; a hard link refuses an
    // existing name by itself, and the old name goes once the new one stands.
    if (link(existingPath, newPath) != 0) {
        if (errno == EXDEV) return CopyAcross(existingPath, newPath, cancel) ? TRUE : FALSE;
        return FALSE;
    }
    if (unlink(existingPath) != 0) {
        const int saved = errno;
        unlink(newPath);
        errno = saved;
        return FALSE;
    }
    return TRUE;
}

int _futime64(int fd, const __utimbuf64* times) {
    if (!times) return futimens(fd, nullptr) == 0 ? 0 : -1;
    if (!FitsTime(times->actime) || !FitsTime(times->modtime)) {
        errno = EOVERFLOW;
        return -1;
    }
    struct timespec stamps[2]{};
    stamps[0].tv_sec = static_cast<time_t>(times->actime);
    stamps[1].tv_sec = static_cast<time_t>(times->modtime);
    return futimens(fd, stamps) == 0 ? 0 : -1;
}

FILE* fopen_nofollow(const char* path, const char* mode) {
    if (!path || !mode || std::strcmp(mode, "wb") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    struct stat held {};
    // Readable too: the placement compares it with what a destination holds.
    FileDescriptor fd(OpenAlone(path, O_RDWR | O_CREAT, held));
    // Emptied only now that this run alone holds it, and only when it holds
    // something: ext4 takes the emptying of a file for a rewrite in place and
    // writes the whole package out to the disk when it is closed.
    if (!fd.valid() || (held.st_size != 0 && ftruncate(fd.get(), 0) != 0)) return nullptr;
    FILE* file = fdopen(fd.get(), "wb");
    if (!file) return nullptr;
    fd.release();
    return file;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}
