#include "platform/posix/BusProbe.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/Handles.h"

namespace {

using Clock = std::chrono::steady_clock;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value of key in an entry's "key=value" list, its %xx escapes undone;
// none when the key is missing or the value is badly escaped.
std::optional<std::string> Value(std::string_view pairs, std::string_view key) {
    while (!pairs.empty()) {
        const size_t end = pairs.find(',');
        const std::string_view pair = pairs.substr(0, end);
        pairs = end == std::string_view::npos ? std::string_view() : pairs.substr(end + 1);
        if (pair.size() <= key.size() || !pair.starts_with(key) || pair[key.size()] != '=') continue;
        std::string value;
        for (size_t i = key.size() + 1; i < pair.size(); ++i) {
            if (pair[i] != '%') {
                value += pair[i];
                continue;
            }
            const int high = i + 2 < pair.size() ? HexDigit(pair[i + 1]) : -1;
            const int low = high >= 0 ? HexDigit(pair[i + 2]) : -1;
            if (low < 0) return std::nullopt;
            value += static_cast<char>(high * 16 + low);
            i += 2;
        }
        return value;
    }
    return std::nullopt;
}

// The socket address of a unix entry's key=value list: a path, or a name in
// the abstract namespace (a leading nul byte); none when it names neither.
std::optional<std::pair<sockaddr_un, socklen_t>> UnixAddress(std::string_view pairs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::optional<std::string> path = Value(pairs, "path");
    const std::optional<std::string> abstract = path ? std::nullopt : Value(pairs, "abstract");
    const std::string name = path ? *path : abstract ? std::string(1, '\0') + *abstract : std::string();
    if (name.empty() || name.size() >= sizeof address.sun_path) return std::nullopt;
    if (path && path->find('\0') != std::string::npos) return std::nullopt;
    name.copy(address.sun_path, name.size());
    return std::pair{address, static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size() + (path ? 1 : 0))};
}

// The opening of the authentication: the nul byte, then a request for the
// mechanisms. A bus answers it at once (with its list), and nothing is
// authenticated.
bool AnswersOpening(int fd, Clock::time_point deadline) {
    static constexpr char kOpening[] = "\0AUTH\r\n";
    constexpr size_t kSize = sizeof kOpening - 1;
    if (send(fd, kOpening, kSize, MSG_NOSIGNAL) != static_cast<ssize_t>(kSize)) return false;
    pollfd readable{fd, POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        const int ready = poll(&readable, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        char answer;
        return ready > 0 && recv(fd, &answer, 1, 0) == 1;
    }
}

}  // namespace

bool BusAnswers(const char* address, std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    std::string_view entries = address ? address : "";
    while (!entries.empty()) {
        const size_t end = entries.find(';');
        const std::string_view entry = entries.substr(0, end);
        entries = end == std::string_view::npos ? std::string_view() : entries.substr(end + 1);
        if (entry.empty()) continue;
        // Another transport cannot be asked here, and the bus library would
        // go on to it with no limit.
        if (!entry.starts_with("unix:")) return false;
        const auto unixAddress = UnixAddress(entry.substr(5));
        if (!unixAddress) continue;
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        CHandle owner(HandleOfDescriptor(fd));
        if (connect(fd, reinterpret_cast<const sockaddr*>(&unixAddress->first), unixAddress->second) == 0)
            return AnswersOpening(fd, deadline);
        // A full backlog: the bus takes no connection now, and the bus
        // library would wait for one.
        if (errno == EAGAIN) return false;
    }
    return false;
}
