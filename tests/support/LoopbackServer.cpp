#include "tests/support/LoopbackServer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <system_error>

#include "tests/support/Sockets.h"

namespace testsupport {

namespace {

using sockets::IsInterrupted;
using sockets::IsRetry;
using sockets::LastError;

constexpr size_t kMaxHead = 64 * 1024;

// Binds s to 127.0.0.1 on a port the system picks: the port, 0 on failure.
uint16_t BindLoopback(Socket s) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 0;
    return ntohs(addr.sin_port);
}

// A datagram socket sent to itself: readable from the first send on.
Socket OpenStopSignal() {
    Socket s = sockets::Open(SOCK_DGRAM, false);
    if (s == kNoSocket) return kNoSocket;
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    self.sin_port = htons(BindLoopback(s));
    if (self.sin_port == 0 || ::connect(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0) {
        sockets::Close(s);
        return kNoSocket;
    }
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Waits until `fd` is ready for `events`. False when the server is stopping
// or the socket failed.
bool WaitReady(Socket fd, short events, Socket stopFd) {
    for (;;) {
        std::array<pollfd, 2> fds{{{fd, events, 0}, {stopFd, POLLIN, 0}}};
        int n = sockets::Poll(fds.data(), fds.size(), -1);
        if (n < 0) {
            if (IsInterrupted(LastError())) continue;
            return false;
        }
        if (fds[1].revents != 0) return false;
        if (fds[0].revents & (events | POLLHUP | POLLERR)) return true;
    }
}

// Reads up to the blank line ending the request head. Returns false when the
// peer left, the server stops, or the head is too large (then `tooLarge`).
bool ReadHead(Socket fd, Socket stopFd, std::string& head, bool& tooLarge) {
    std::string buf;
    std::array<char, 4096> chunk{};
    tooLarge = false;
    for (;;) {
        size_t end = buf.find("\r\n\r\n");
        if (end != std::string::npos) {
            head = buf.substr(0, end + 2);  // keep the CRLF ending the last header
            return true;
        }
        if (buf.size() > kMaxHead) {
            tooLarge = true;
            return false;
        }
        if (!WaitReady(fd, POLLIN, stopFd)) return false;
        ssize_t n = ::recv(fd, chunk.data(), chunk.size(), 0);
        if (n < 0 && IsRetry(LastError())) continue;
        if (n <= 0) return false;
        buf.append(chunk.data(), size_t(n));
    }
}

bool ParseHead(std::string_view head, HttpRequest& req) {
    size_t eol = head.find("\r\n");
    std::string_view line = head.substr(0, eol);
    size_t sp1 = line.find(' ');
    size_t sp2 = line.rfind(' ');
    if (sp1 == std::string_view::npos || sp2 == sp1) return false;
    req.method = std::string(line.substr(0, sp1));
    req.target = std::string(line.substr(sp1 + 1, sp2 - sp1 - 1));
    req.version = std::string(line.substr(sp2 + 1));
    if (req.method.empty() || req.target.empty() || req.version.rfind("HTTP/", 0) != 0) return false;

    size_t pos = eol + 2;
    while (pos < head.size()) {
        size_t next = head.find("\r\n", pos);
        if (next == std::string_view::npos) next = head.size();
        std::string_view field = head.substr(pos, next - pos);
        pos = next + 2;
        if (field.empty()) continue;
        size_t colon = field.find(':');
        if (colon == std::string_view::npos || colon == 0) return false;
        req.headers.emplace_back(std::string(field.substr(0, colon)), std::string(Trim(field.substr(colon + 1))));
    }
    return true;
}

void SendError(HttpConnection& conn, int status, std::string reason) {
    Reply r;
    r.status = status;
    r.reason = std::move(reason);
    r.body = r.reason + "\n";
    SendReply(conn, r);
}

}  // namespace

// ---- HttpRequest ----

std::string HttpRequest::Header(std::string_view name) const {
    for (const auto& [k, v] : headers)
        if (EqualsNoCase(k, name)) return v;
    return {};
}

bool HttpRequest::HasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(), [&](const auto& h) { return EqualsNoCase(h.first, name); });
}

// ---- HttpConnection ----

HttpConnection::HttpConnection(Socket fd, Socket stopFd) : fd_(fd), stopFd_(stopFd) {}

HttpConnection::~HttpConnection() {
    Finish();
}

bool HttpConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (fd_ == kNoSocket) return false;
        if (!WaitReady(fd_, POLLOUT, stopFd_)) return false;
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), sockets::kNoSignal);
        if (n < 0) {
            if (IsRetry(LastError())) continue;
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return fd_ != kNoSocket;
}

std::string Pattern(size_t count) {
    std::string s(count, '\0');
    for (size_t i = 0; i < count; ++i) s[i] = static_cast<char>((i * 131 + 7) & 0xff);
    return s;
}

bool HttpConnection::SendPattern(uint64_t count) {
    // The pattern repeats every 256 bytes, so a buffer of whole periods can be
    // sent again and again.
    static const std::array<char, 64 * 1024> kBlock = [] {
        std::array<char, 64 * 1024> b{};
        for (size_t i = 0; i < b.size(); ++i) b[i] = char((i * 131 + 7) & 0xff);
        return b;
    }();
    while (count > 0) {
        size_t n = size_t(std::min<uint64_t>(count, kBlock.size()));
        if (!Send(std::string_view(kBlock.data(), n))) return false;
        count -= n;
    }
    return fd_ != kNoSocket;
}

void HttpConnection::Close() {
    if (fd_ != kNoSocket) {
        sockets::Close(fd_);
        fd_ = kNoSocket;
    }
}

bool HttpConnection::WaitForHangUp(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    std::array<char, 4096> buf{};
    while (fd_ != kNoSocket) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        std::array<pollfd, 2> fds{{{fd_, short(POLLIN | sockets::kPollPeerGone), 0}, {stopFd_, POLLIN, 0}}};
        int n = sockets::Poll(fds.data(), fds.size(), int(left.count()));
        if (n < 0 && IsInterrupted(LastError())) continue;
        if (n < 0 || fds[1].revents != 0) return false;
        if (n == 0) return false;
        if (fds[0].revents & (sockets::kPollPeerGone | POLLHUP | POLLERR)) return true;
        ssize_t got = ::recv(fd_, buf.data(), buf.size(), 0);
        if (got == 0 || (got < 0 && !IsRetry(LastError()))) return true;
    }
    return true;
}

bool HttpConnection::Trickle(std::string_view bytes, size_t piece, std::chrono::milliseconds pause) {
    while (!bytes.empty()) {
        const size_t n = std::min(piece, bytes.size());
        if (!Send(bytes.substr(0, n))) return false;
        bytes.remove_prefix(n);
        if (WaitForHangUp(pause)) return false;
    }
    return fd_ != kNoSocket;
}

void HttpConnection::Finish() {
    if (fd_ == kNoSocket) return;
    ::shutdown(fd_, sockets::kShutWrite);
    // Bounded so a peer that never hangs up cannot hold the thread for long.
    constexpr size_t kMaxDrain = 1024 * 1024;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::array<char, 4096> buf{};
    size_t drained = 0;
    while (drained < kMaxDrain) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        std::array<pollfd, 2> fds{{{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}}};
        int n = sockets::Poll(fds.data(), fds.size(), int(left.count()));
        if (n < 0 && IsInterrupted(LastError())) continue;
        if (n <= 0 || fds[1].revents != 0) break;
        ssize_t got = ::recv(fd_, buf.data(), buf.size(), 0);
        if (got < 0 && IsRetry(LastError())) continue;
        if (got <= 0) break;
        drained += size_t(got);
    }
    Close();
}

// ---- LoopbackServer ----

struct LoopbackServer::Worker {
    std::shared_ptr<std::atomic<bool>> done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread;
};

LoopbackServer::LoopbackServer()
    : handler_(std::make_shared<const Handler>(
          [](const HttpRequest&, HttpConnection& c) { SendError(c, 404, "Not Found"); })) {
    stop_ = OpenStopSignal();
    if (stop_ == kNoSocket) throw sockets::Failure("stop signal");

    auto fail = [this](const char* what) {
        std::system_error e = sockets::Failure(what);
        if (listenFd_ != kNoSocket) sockets::Close(listenFd_);
        sockets::Close(stop_);
        return e;
    };

    listenFd_ = sockets::Open(SOCK_STREAM, true);
    if (listenFd_ == kNoSocket) throw fail("socket");
    sockets::ReuseAddress(listenFd_);
    port_ = BindLoopback(listenFd_);
    if (port_ == 0) throw fail("bind");
    if (::listen(listenFd_, 64) != 0) throw fail("listen");

    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    const char byte = 1;
    while (::send(stop_, &byte, 1, 0) < 0 && IsInterrupted(LastError())) {
    }
    acceptThread_.join();
    for (Worker& w : workers_) w.thread.join();
    sockets::Close(listenFd_);
    sockets::Close(stop_);
}

std::string LoopbackServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void LoopbackServer::SetHandler(Handler h) {
    auto shared = std::make_shared<const Handler>(std::move(h));
    std::lock_guard lock(mutex_);
    handler_ = std::move(shared);
}

std::vector<HttpRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

size_t LoopbackServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

bool LoopbackServer::WaitForRequests(size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return requestArrived_.wait_for(lock, timeout, [&] { return requests_.size() >= n; });
}

void LoopbackServer::AcceptLoop() {
    for (;;) {
        if (!WaitReady(listenFd_, POLLIN, stop_)) return;
        Socket fd = sockets::Accept(listenFd_);
        if (fd == kNoSocket) continue;  // the peer gave up already, or a transient shortage

        // Reap finished connections so a long test does not pile up threads.
        for (auto it = workers_.begin(); it != workers_.end();) {
            if (it->done->load()) {
                it->thread.join();
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
        Worker& w = workers_.emplace_back();
        try {
            w.thread = std::thread([this, fd, done = w.done] {
                Serve(fd);
                done->store(true);
            });
        } catch (const std::system_error&) {
            workers_.pop_back();
            sockets::Close(fd);
        }
    }
}

void LoopbackServer::Serve(Socket fd) {
    HttpConnection conn(fd, stop_);
    std::string head;
    bool tooLarge = false;
    if (!ReadHead(fd, stop_, head, tooLarge)) {
        if (tooLarge) SendError(conn, 431, "Request Header Fields Too Large");
        return;
    }
    HttpRequest req;
    if (!ParseHead(head, req)) {
        SendError(conn, 400, "Bad Request");
        return;
    }
    std::shared_ptr<const Handler> handler;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(req);
        handler = handler_;
    }
    requestArrived_.notify_all();
    (*handler)(req, conn);
    // conn's destructor finishes the response if the handler left it open.
}

// ---- SilentListener ----

SilentListener::SilentListener(bool full) {
    listenFd_ = sockets::Open(SOCK_STREAM, false);
    if (listenFd_ == kNoSocket) throw sockets::Failure("socket");
    port_ = BindLoopback(listenFd_);
    if (port_ == 0 || ::listen(listenFd_, full ? 0 : 8) != 0) {
        std::system_error e = sockets::Failure("listen");
        sockets::Close(listenFd_);
        throw e;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port_);
    // Connections until one stays unanswered: the system may tell a client it
    // is connected while it drops the client's last handshake packet.
    for (int i = 0; full && i < 64; ++i) {
        Socket fd = sockets::Open(SOCK_STREAM, true);
        if (fd == kNoSocket) break;
        fillers_.push_back(fd);
        ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        pollfd connecting{fd, POLLOUT, 0};
        if (sockets::Poll(&connecting, 1, 300) == 0) break;
    }
}

SilentListener::~SilentListener() {
    for (Socket fd : fillers_) sockets::Close(fd);
    sockets::Close(listenFd_);
}

// ---- ClosedPort ----

ClosedPort::ClosedPort() : fd_(sockets::Open(SOCK_STREAM, false)) {
    if (fd_ != kNoSocket) port_ = BindLoopback(fd_);
}

ClosedPort::~ClosedPort() {
    if (fd_ != kNoSocket) sockets::Close(fd_);
}

// ---- helpers ----

void SendReply(HttpConnection& conn, const Reply& reply) {
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
    bool hasConnection = false;
    for (const auto& [k, v] : reply.headers) {
        out += k + ": " + v + "\r\n";
        hasConnection = hasConnection || EqualsNoCase(k, "Connection");
    }
    if (reply.length == Reply::Length::Custom)
        out += "Content-Length: " + std::to_string(reply.customLength) + "\r\n";
    else if (reply.length == Reply::Length::Exact && !reply.chunked)
        out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    if (reply.chunked) out += "Transfer-Encoding: chunked\r\n";
    if (!hasConnection) out += "Connection: close\r\n";
    out += "\r\n";

    if (reply.chunked) {
        if (!reply.body.empty()) {
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", reply.body.size());
            out += size;
            out += reply.body;
            out += "\r\n";
        }
        out += "0\r\n\r\n";
    } else {
        out += reply.body;
    }
    conn.Send(out);
    conn.Finish();
}

std::string HttpDate(int64_t unixSeconds) {
    // Days to civil date (proleptic Gregorian), valid for negative times too.
    int64_t days = unixSeconds / 86400;
    int64_t secs = unixSeconds % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    static constexpr const char* kWeekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* weekday = kWeekdays[((days % 7) + 7) % 7];

    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t year = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t day = doy - (153 * mp + 2) / 5 + 1;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    if (month <= 2) ++year;

    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02d %s %04lld %02d:%02d:%02d GMT", weekday, int(day), kMonths[month - 1],
                  static_cast<long long>(year), int(secs / 3600), int(secs / 60 % 60), int(secs % 60));
    return buf;
}

Handler ServeFixed(Reply r) {
    return [r = std::move(r)](const HttpRequest&, HttpConnection& conn) { SendReply(conn, r); };
}

}  // namespace testsupport
