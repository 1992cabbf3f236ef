#include "Files.h"

#include "Handles.h"

#include <fcntl.h>
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
    void reset() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    // Closes now and tells whether the system accepted the written data.
    bool closeChecked() {
        if (m_fd < 0) return true;
        const int r = ::close(m_fd);
        m_fd = -1;
        return r == 0;
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

bool ReadWriteLoop(int in, int out) {
    char buffer[64 * 1024];
    for (;;) {
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
// tried first; where it is not offered, plain reads and writes carry on from
// the offsets it reached.
bool CopyBytes(int in, int out, off_t expectedSize) {
    off_t copied = 0;
    for (;;) {
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0 && copied >= expectedSize) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EPERM)
            return false;
        // Unsupported here, or a file system that reports no data: read it plainly.
        return ReadWriteLoop(in, out);
    }
}

// The move between file systems: a new destination (never an existing one),
// the bytes, both file times, and the source removed only after all of that.
bool CopyAcross(const char* from, const char* to) {
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

    FileDescriptor out(
        open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, source.st_mode & 0777));
    if (!out.valid()) return false;
    struct stat created {};
    const bool identified = fstat(out.get(), &created) == 0;

    // Removes the destination only while it is still the file made here.
    auto discard = [&]() {
        const int saved = errno;
        out.reset();
        struct stat now {};
        if (!identified || (lstat(to, &now) == 0 && now.st_dev == created.st_dev && now.st_ino == created.st_ino))
            unlink(to);
        errno = saved;
        return false;
    };

    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (!CopyBytes(in.get(), out.get(), source.st_size) || futimens(out.get(), times) != 0 || fsync(out.get()) != 0 ||
        !out.closeChecked())
        return discard();
    if (unlink(from) != 0) return discard();
    return true;
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

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD /*share*/, void* /*security*/, DWORD disposition, DWORD flags,
                   HANDLE /*templateFile*/) {
    if (!path || disposition != OPEN_EXISTING || (access & ~GENERIC_READ) != 0) {
        errno = EINVAL;
        return INVALID_HANDLE_VALUE;
    }
    FileDescriptor fd(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) return INVALID_HANDLE_VALUE;
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) return INVALID_HANDLE_VALUE;
    // A folder is not a file to the system; callers count on that to tell them apart.
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return INVALID_HANDLE_VALUE;
    }
    if (flags & FILE_FLAG_SEQUENTIAL_SCAN) posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return HandleOfDescriptor(fd.release());
}

BOOL GetFileSizeEx(HANDLE file, int64_t* size) {
    const int fd = DescriptorOfHandle(file);
    struct stat info {};
    if (fd < 0 || !size || fstat(fd, &info) != 0) {
        if (fd < 0 || !size) errno = EBADF;
        return FALSE;
    }
    *size = static_cast<int64_t>(info.st_size);
    return TRUE;
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

void CHandle::Close() {
    if (m_h != INVALID_HANDLE_VALUE && m_h != nullptr) CloseHandle(m_h);
    m_h = INVALID_HANDLE_VALUE;
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath) {
    if (!existingPath || !newPath) {
        errno = EINVAL;
        return FALSE;
    }
    if (RenameNoReplace(existingPath, newPath) == 0) return TRUE;
    if (errno == EXDEV) return CopyAcross(existingPath, newPath) ? TRUE : FALSE;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return FALSE;

    // The file system cannot rename without replacing; a hard link refuses an
    // existing name by itself, and the old name goes once the new one stands.
    if (link(existingPath, newPath) != 0) {
        if (errno == EXDEV) return CopyAcross(existingPath, newPath) ? TRUE : FALSE;
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

int _utime64(const char* path, const __utimbuf64* times) {
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    if (!times) return utimensat(AT_FDCWD, path, nullptr, 0) == 0 ? 0 : -1;
    if (!FitsTime(times->actime) || !FitsTime(times->modtime)) {
        errno = EOVERFLOW;
        return -1;
    }
    struct timespec stamps[2]{};
    stamps[0].tv_sec = static_cast<time_t>(times->actime);
    stamps[1].tv_sec = static_cast<time_t>(times->modtime);
    return utimensat(AT_FDCWD, path, stamps, 0) == 0 ? 0 : -1;
}

FILE* fopen_nofollow(const char* path, const char* mode) {
    if (!path || !mode || std::strcmp(mode, "wb") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    // O_NONBLOCK keeps a planted FIFO from stalling the open; it is refused below.
    FileDescriptor fd(open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
    if (!fd.valid()) return nullptr;
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) return nullptr;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return nullptr;
    }
    const int status = fcntl(fd.get(), F_GETFL);
    if (status == -1 || fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) == -1) return nullptr;
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
