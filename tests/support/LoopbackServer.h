#pragma once

// A small HTTP/1.1 server on 127.0.0.1 that tests use in place of the remote
// download service and the package server (also as an HTTP proxy: requests
// then carry an absolute-form target). Each connection gets one response and
// is closed.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

// A socket: a descriptor on POSIX, a SOCKET (an unsigned handle) under Winsock.
#ifdef _WIN32
using Socket = std::uintptr_t;
inline constexpr Socket kNoSocket = ~Socket(0);  // INVALID_SOCKET
#else
using Socket = int;
inline constexpr Socket kNoSocket = -1;
#endif

struct HttpRequest {
    std::string method, target, version;                       // target exactly as sent
    std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent

    // Case-insensitive; the first header of that name, "" if absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

// The socket of one accepted connection, handed to a handler. Writes go
// straight to the socket; they give up when the peer is gone or the server is
// being destroyed, so a handler streaming a large body can always be stopped.
class HttpConnection {
public:
    // Takes ownership of `fd`; `stopFd` becomes readable when the server stops.
    HttpConnection(Socket fd, Socket stopFd);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    bool Send(std::string_view bytes);  // false once the peer is gone (or after Close)
    // Streams `count` bytes where byte i = (i*131+7)&0xff, i counted from the
    // first byte of this call; memory use does not grow with `count`.
    bool SendPattern(uint64_t count);
    void Close();  // closes the socket at once (a transfer broken off midway)
    // Waits up to `bound` for the peer to hang up; true when it did. What the
    // peer sends meanwhile is read and dropped.
    bool WaitForHangUp(std::chrono::milliseconds bound);
    // Sends `bytes` `piece` bytes at a time with `pause` after each, as a slow
    // server would; false as soon as the peer is gone.
    bool Trickle(std::string_view bytes, size_t piece, std::chrono::milliseconds pause);
    // Ends a complete response: half-closes, then reads what the peer still
    // sends until it hangs up (bounded), so the close cannot turn into a reset
    // that destroys the reply in flight. Used by SendReply and after a handler
    // returns with the socket still open.
    void Finish();
    bool IsOpen() const { return fd_ != kNoSocket; }

private:
    Socket fd_;
    Socket stopFd_;
};

using Handler = std::function<void(const HttpRequest&, HttpConnection&)>;

class LoopbackServer {
public:
    LoopbackServer();   // binds 127.0.0.1 port 0, starts accepting; throws std::system_error
    ~LoopbackServer();  // stops accepting, breaks off transfers, joins every thread
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return port_; }
    std::string BaseUrl() const;  // "http://127.0.0.1:<port>"

    // Used for requests whose head arrives from now on; the default answers 404.
    // A handler runs on the connection's own thread, so several may run at once.
    void SetHandler(Handler h);

    std::vector<HttpRequest> Requests() const;  // recorded before the handler runs
    size_t RequestCount() const;
    bool WaitForRequests(size_t n, std::chrono::milliseconds timeout) const;

private:
    struct Worker;

    void AcceptLoop();
    void Serve(Socket fd);

    Socket listenFd_ = kNoSocket;
    // Never read: once a datagram is sent to it, it wakes every wait for good.
    Socket stop_ = kNoSocket;
    uint16_t port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable requestArrived_;
    std::shared_ptr<const Handler> handler_;
    std::vector<HttpRequest> requests_;

    std::list<Worker> workers_;  // touched by the accept thread only, then by the destructor
    std::thread acceptThread_;
};

// A listener on 127.0.0.1 that never accepts: the system completes the
// connections into its queue and nobody ever reads them. A full one has its
// queue filled at once, so that a connection attempt is never answered.
class SilentListener {
public:
    explicit SilentListener(bool full);  // throws std::system_error
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    uint16_t Port() const { return port_; }

private:
    Socket listenFd_ = kNoSocket;
    std::vector<Socket> fillers_;
    uint16_t port_ = 0;
};

// A loopback port on which nobody listens: bound, so nothing else takes it.
class ClosedPort {
public:
    ClosedPort();  // Port() is 0 when no port could be had
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    uint16_t Port() const { return port_; }

private:
    Socket fd_ = kNoSocket;
    uint16_t port_ = 0;
};

struct Reply {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // Exact: Content-Length is body.size(). None: no Content-Length, the body
    // ends when the connection closes. Custom: announces customLength, which may
    // differ from body.size().
    enum class Length { Exact, None, Custom } length = Length::Exact;
    uint64_t customLength = 0;
    // Body as one chunk plus the last chunk; Content-Length is still sent when
    // length is Custom.
    bool chunked = false;
};

// Status line, headers (plus Content-Length / Transfer-Encoding as asked, and
// "Connection: close" unless given), body; then Finish()es the connection.
void SendReply(HttpConnection& conn, const Reply& reply);

// Bytes 0..count-1 of SendPattern's stream, as a package body.
std::string Pattern(size_t count);

// IMF-fixdate, e.g. "Sun, 06 Nov 1994 08:49:37 GMT".
std::string HttpDate(int64_t unixSeconds);

Handler ServeFixed(Reply r);  // answers every request with r

}  // namespace testsupport
