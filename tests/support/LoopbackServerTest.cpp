#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace testsupport {
namespace {

using namespace std::chrono_literals;

struct Fetched {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// One GET with libcurl's easy interface. Proxies from the environment are
// switched off so nothing but the loopback server is ever contacted.
Fetched Get(const std::string& url, const std::function<void(CURL*)>& configure = {}) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    Fetched f;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROXY, "");
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &f.body);
    if (configure) configure(curl.get());
    f.code = curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &f.status);
    return f;
}

// A raw TCP client, for what curl would hide: exact wire bytes, broken
// requests, peers that never read.
class RawClient {
public:
    explicit RawClient(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(port);
        connected_ = fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    void SetReceiveBuffer(int bytes) { ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes); }
    bool Write(std::string_view s) { return ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL) == ssize_t(s.size()); }
    std::string ReadToEnd() {
        std::string out;
        char buf[4096];
        ssize_t n;
        while ((n = ::recv(fd_, buf, sizeof buf, 0)) > 0) out.append(buf, size_t(n));
        return out;
    }

private:
    int fd_;
    bool connected_ = false;
};

std::string Exchange(uint16_t port, std::string_view request) {
    RawClient c(port);
    EXPECT_TRUE(c.connected());
    EXPECT_TRUE(c.Write(request));
    return c.ReadToEnd();
}

// ---- libcurl as the client ----

TEST(LoopbackServerTest, FixedReplyDeliversStatusHeadersAndBody) {
    LoopbackServer server;
    Reply r;
    r.status = 203;
    r.reason = "Non-Authoritative Information";
    r.headers = {{"Last-Modified", HttpDate(784111777)}};
    r.body = "dictionary contents\n";
    server.SetHandler(ServeFixed(r));

    std::string headers;
    Fetched f = Get(server.BaseUrl() + "/dict", [&](CURL* c) {
        curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Collect);
        curl_easy_setopt(c, CURLOPT_HEADERDATA, &headers);
    });
    EXPECT_EQ(f.code, CURLE_OK);
    EXPECT_EQ(f.status, 203);
    EXPECT_EQ(f.body, "dictionary contents\n");
    EXPECT_NE(headers.find("Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\n"), std::string::npos);
    EXPECT_NE(headers.find("Connection: close\r\n"), std::string::npos);
}

TEST(LoopbackServerTest, DefaultHandlerAnswers404) {
    LoopbackServer server;
    Fetched f = Get(server.BaseUrl() + "/nothing");
    EXPECT_EQ(f.code, CURLE_OK);
    EXPECT_EQ(f.status, 404);
    EXPECT_FALSE(f.body.empty());
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(LoopbackServerTest, RecordsTargetAndHeadersAsSent) {
    LoopbackServer server;
    server.SetHandler(ServeFixed(Reply{}));
    curl_slist* extra = curl_slist_append(nullptr, "X-Probe-Token: a b  c");
    Fetched f = Get(server.BaseUrl() + "/pkg/list?lang=de&v=2", [&](CURL* c) {
        curl_easy_setopt(c, CURLOPT_USERAGENT, "probe-agent/1.0");
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, extra);
    });
    curl_slist_free_all(extra);
    ASSERT_EQ(f.code, CURLE_OK);

    ASSERT_TRUE(server.WaitForRequests(1, 10s));
    std::vector<HttpRequest> reqs = server.Requests();
    ASSERT_EQ(reqs.size(), 1u);
    const HttpRequest& req = reqs[0];
    EXPECT_EQ(req.method, "GET");
    EXPECT_EQ(req.target, "/pkg/list?lang=de&v=2");
    EXPECT_EQ(req.version, "HTTP/1.1");
    EXPECT_EQ(req.Header("user-agent"), "probe-agent/1.0");
    EXPECT_EQ(req.Header("X-PROBE-TOKEN"), "a b  c");  // inner spaces kept, outer trimmed
    EXPECT_EQ(req.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_FALSE(req.HasHeader("X-Absent"));
    EXPECT_EQ(req.Header("X-Absent"), "");

    bool sawNameAsSent = false;
    for (const auto& [name, value] : req.headers) sawNameAsSent |= name == "X-Probe-Token";
    EXPECT_TRUE(sawNameAsSent);
}

TEST(LoopbackServerTest, AsProxyRecordsAbsoluteFormTarget) {
    LoopbackServer server;
    Reply r;
    r.body = "via proxy";
    server.SetHandler(ServeFixed(r));
    Fetched f = Get("http://some.host.example/x?y=1", [&](CURL* c) {
        curl_easy_setopt(c, CURLOPT_PROXY, server.BaseUrl().c_str());
        curl_easy_setopt(c, CURLOPT_NOPROXY, "");  // ignore no_proxy from the environment
    });
    ASSERT_EQ(f.code, CURLE_OK);
    EXPECT_EQ(f.body, "via proxy");
    std::vector<HttpRequest> reqs = server.Requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].target, "http://some.host.example/x?y=1");
    EXPECT_EQ(reqs[0].Header("Host"), "some.host.example");
}

TEST(LoopbackServerTest, BodyWithoutLengthEndsAtConnectionClose) {
    LoopbackServer server;
    Reply r;
    r.length = Reply::Length::None;
    for (int i = 0; i < 20000; ++i) r.body += "line " + std::to_string(i) + "\n";
    server.SetHandler(ServeFixed(r));
    Fetched f = Get(server.BaseUrl() + "/stream");
    EXPECT_EQ(f.code, CURLE_OK);
    EXPECT_EQ(f.body.size(), r.body.size());
    EXPECT_TRUE(f.body == r.body);
}

TEST(LoopbackServerTest, ChunkedBodyIsDecodedByCurl) {
    LoopbackServer server;
    Reply r;
    r.chunked = true;
    r.body = std::string(70000, 'q') + "end";
    server.SetHandler(ServeFixed(r));
    Fetched f = Get(server.BaseUrl() + "/");
    EXPECT_EQ(f.code, CURLE_OK);
    EXPECT_TRUE(f.body == r.body);

    // With a (too small) Content-Length beside the chunking, curl goes by the
    // chunks: the whole body arrives although more than announced.
    r.length = Reply::Length::Custom;
    r.customLength = 1000;
    server.SetHandler(ServeFixed(r));
    f = Get(server.BaseUrl() + "/");
    EXPECT_EQ(f.code, CURLE_OK);
    EXPECT_EQ(f.body.size(), r.body.size());
}

TEST(LoopbackServerTest, CloseMidwayIsAnErrorForCurl) {
    LoopbackServer server;
    server.SetHandler([](const HttpRequest&, HttpConnection& conn) {
        conn.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        conn.SendPattern(1000);
        conn.Close();
        EXPECT_FALSE(conn.Send("late"));
    });
    Fetched f = Get(server.BaseUrl() + "/big");
    EXPECT_TRUE(f.code == CURLE_PARTIAL_FILE || f.code == CURLE_RECV_ERROR) << curl_easy_strerror(f.code);
    EXPECT_EQ(f.body.size(), 1000u);
}

TEST(LoopbackServerTest, PatternBodyArrivesByteExact) {
    constexpr uint64_t kSize = 3 * 1024 * 1024 + 17;  // not a whole number of blocks
    LoopbackServer server;
    server.SetHandler([](const HttpRequest&, HttpConnection& conn) {
        conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSize) + "\r\n\r\n");
        conn.SendPattern(kSize);
    });
    Fetched f = Get(server.BaseUrl() + "/pattern");
    ASSERT_EQ(f.code, CURLE_OK);
    ASSERT_EQ(f.body.size(), kSize);
    size_t firstBad = f.body.size();
    for (size_t i = 0; i < f.body.size(); ++i) {
        if (static_cast<unsigned char>(f.body[i]) != ((i * 131 + 7) & 0xff)) {
            firstBad = i;
            break;
        }
    }
    EXPECT_EQ(firstBad, f.body.size()) << "pattern broken at byte " << firstBad;
}

TEST(LoopbackServerTest, ServesConnectionsConcurrently) {
    LoopbackServer server;
    std::atomic<int> sawBoth{0};
    // Each handler holds its response until both requests are in: this only
    // completes if the two connections are served at the same time.
    server.SetHandler([&](const HttpRequest&, HttpConnection& conn) {
        if (server.WaitForRequests(2, 30s)) ++sawBoth;
        SendReply(conn, Reply{});
    });
    Fetched a, b;
    std::thread ta([&] { a = Get(server.BaseUrl() + "/a"); });
    std::thread tb([&] { b = Get(server.BaseUrl() + "/b"); });
    ta.join();
    tb.join();
    EXPECT_EQ(a.code, CURLE_OK);
    EXPECT_EQ(b.code, CURLE_OK);
    EXPECT_EQ(sawBoth.load(), 2);
}

// ---- wire format and robustness, seen with a raw socket ----

TEST(LoopbackServerTest, SendReplyFramesLengthAsAsked) {
    LoopbackServer server;
    const std::string get = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";

    Reply exact;
    exact.body = "hello";
    server.SetHandler(ServeFixed(exact));
    EXPECT_EQ(Exchange(server.Port(), get), "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");

    Reply none = exact;
    none.length = Reply::Length::None;
    none.headers = {{"connection", "close"}};  // not repeated
    server.SetHandler(ServeFixed(none));
    EXPECT_EQ(Exchange(server.Port(), get), "HTTP/1.1 200 OK\r\nconnection: close\r\n\r\nhello");

    Reply chunked = exact;
    chunked.chunked = true;
    server.SetHandler(ServeFixed(chunked));
    EXPECT_EQ(Exchange(server.Port(), get),
              "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
              "5\r\nhello\r\n0\r\n\r\n");

    Reply custom = chunked;
    custom.length = Reply::Length::Custom;
    custom.customLength = 1000;
    server.SetHandler(ServeFixed(custom));
    EXPECT_EQ(Exchange(server.Port(), get),
              "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nTransfer-Encoding: chunked\r\n"
              "Connection: close\r\n\r\n5\r\nhello\r\n0\r\n\r\n");

    Reply emptyChunked;
    emptyChunked.chunked = true;
    server.SetHandler(ServeFixed(emptyChunked));
    std::string out = Exchange(server.Port(), get);
    EXPECT_EQ(out.substr(out.find("\r\n\r\n") + 4), "0\r\n\r\n");
}

TEST(LoopbackServerTest, HeadArrivingInPiecesIsReassembled) {
    LoopbackServer server;
    server.SetHandler(ServeFixed(Reply{}));
    RawClient c(server.Port());
    ASSERT_TRUE(c.connected());
    ASSERT_TRUE(c.Write("GET /split HT"));
    ASSERT_TRUE(c.Write("TP/1.1\r\nHost: h\r"));
    ASSERT_TRUE(c.Write("\nX-A:   1\t\r\n\r"));
    ASSERT_TRUE(c.Write("\n"));
    EXPECT_EQ(c.ReadToEnd().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    std::vector<HttpRequest> reqs = server.Requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].target, "/split");
    EXPECT_EQ(reqs[0].Header("x-a"), "1");
}

TEST(LoopbackServerTest, MalformedOrOversizedHeadsAreRejectedUnrecorded) {
    LoopbackServer server;
    server.SetHandler(ServeFixed(Reply{}));
    EXPECT_EQ(Exchange(server.Port(), "NONSENSE\r\n\r\n").rfind("HTTP/1.1 400 ", 0), 0u);
    EXPECT_EQ(Exchange(server.Port(), "GET / HTTP/1.1\r\nno colon here\r\n\r\n").rfind("HTTP/1.1 400 ", 0), 0u);
    std::string huge = "GET / HTTP/1.1\r\nX-Big: " + std::string(70 * 1024, 'a') + "\r\n\r\n";
    EXPECT_EQ(Exchange(server.Port(), huge).rfind("HTTP/1.1 431 ", 0), 0u);
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(LoopbackServerTest, DestructorStopsIdleClientsAndStalledBodies) {
    std::atomic<int> sendResult{-1};
    {
        LoopbackServer server;
        server.SetHandler([&](const HttpRequest&, HttpConnection& conn) {
            conn.Send("HTTP/1.1 200 OK\r\nContent-Length: 8589934592\r\n\r\n");
            // The client never reads: this blocks until the server is destroyed.
            sendResult = conn.SendPattern(8ull << 30) ? 1 : 0;
        });
        RawClient idleClient(server.Port());  // connects, never sends a request
        RawClient reader(server.Port());
        reader.SetReceiveBuffer(4096);
        ASSERT_TRUE(idleClient.connected());
        ASSERT_TRUE(reader.connected());
        ASSERT_TRUE(reader.Write("GET /huge HTTP/1.1\r\nHost: h\r\n\r\n"));
        ASSERT_TRUE(server.WaitForRequests(1, 10s));
    }  // must return although one client is silent and one handler is mid-body
    EXPECT_EQ(sendResult.load(), 0);
}

TEST(LoopbackServerTest, HttpDateIsImfFixdate) {
    EXPECT_EQ(HttpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(HttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(HttpDate(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
    EXPECT_EQ(HttpDate(-1), "Wed, 31 Dec 1969 23:59:59 GMT");
    EXPECT_EQ(HttpDate(4102444799), "Thu, 31 Dec 2099 23:59:59 GMT");
}

}  // namespace
}  // namespace testsupport
