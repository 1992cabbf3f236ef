#include "platform/posix/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "platform/Files.h"
#include "platform/posix/Handles.h"

namespace {

bool IsRegular(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// At most `limit` + 1 bytes, so that a longer file shows; false when a read
// fails (or would have to wait).
bool ReadUpTo(int fd, size_t limit, std::string& content) {
    content.resize(limit + 1);
    size_t got = 0;
    while (got < content.size()) {
        const ssize_t n = read(fd, content.data() + got, content.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    content.resize(got);
    return true;
}

}  // namespace

std::optional<std::string> ReadSettingsFile(const std::string& path) {
    // Looked at before it is opened, so that no device is ever opened; the
    // open itself does not wait (a FIFO without a writer), and what was
    // opened is looked at again.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    CHandle file(HandleOfDescriptor(fd));
    std::string content;
    if (!IsRegular(fd) || !ReadUpTo(fd, kSettingsFileLimit, content) || content.size() > kSettingsFileLimit)
        return std::nullopt;
    return content;
}
