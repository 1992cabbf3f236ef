#pragma once
// The few socket calls of the loopback helpers, in one shape for POSIX and
// Winsock.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstddef>
#include <system_error>

#include "tests/support/LoopbackServer.h"

namespace testsupport::sockets {

#ifdef _WIN32
constexpr int kNoSignal = 0;  // Winsock raises no signal for a gone peer
constexpr int kShutWrite = SD_SEND;
constexpr short kPollPeerGone = 0;  // WSAPoll reports a peer's close as POLLHUP

inline int LastError() {
    return ::WSAGetLastError();
}
inline bool IsInterrupted(int error) {
    return error == WSAEINTR;
}
inline bool IsRetry(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}
inline std::system_error Failure(const char* what) {
    return std::system_error(LastError(), std::system_category(), what);
}
inline void Close(Socket s) {
    ::closesocket(s);
}
inline int Poll(pollfd* fds, std::size_t count, int timeoutMs) {
    return ::WSAPoll(fds, static_cast<ULONG>(count), timeoutMs);
}
// Winsock's SO_REUSEADDR would let another socket take the port over, and a
// port of its own picking is never held by an old connection.
inline void ReuseAddress(Socket) {}
#else
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr int kShutWrite = SHUT_WR;
constexpr short kPollPeerGone = POLLRDHUP;

inline int LastError() {
    return errno;
}
inline bool IsInterrupted(int error) {
    return error == EINTR;
}
inline bool IsRetry(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}
inline std::system_error Failure(const char* what) {
    return std::system_error(LastError(), std::generic_category(), what);
}
inline void Close(Socket s) {
    ::close(s);
}
inline int Poll(pollfd* fds, std::size_t count, int timeoutMs) {
    return ::poll(fds, count, timeoutMs);
}
inline void ReuseAddress(Socket s) {
    int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
}
#endif

// An IPv4 socket (SOCK_STREAM or SOCK_DGRAM) that no child process inherits;
// kNoSocket on failure.
Socket Open(int type, bool nonBlocking);
// The next connection of a listener, non-blocking; kNoSocket when none.
Socket Accept(Socket listener);

}  // namespace testsupport::sockets
