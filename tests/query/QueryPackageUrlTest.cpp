#include "query/QueryPackageUrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/Internet.h"
#include "framework/Resource.h"
#include "platform/CodePage.h"
#include "query/ServiceAnswer.h"
#include "query/UrlTextReader.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/ProxyScope.h"

#ifndef _WIN32
// The test program has no resources of its own (on Windows it simply has no
// resource script).
const AFX_RESOURCE_MODULE afxProgramResources = {};
#endif

using testsupport::LocaleScope;

namespace {

using testsupport::ClosedPort;
using testsupport::ProxyScope;

using testsupport::HttpConnection;
using testsupport::HttpRequest;
using testsupport::LoopbackServer;
using testsupport::Pattern;
using testsupport::Reply;
using testsupport::ServeFixed;
using testsupport::SilentListener;

const std::string kServiceAddress = "http://" DERAVIZIZIVU_SERVICE_HOST "/ZI2009_zor_oza/dict.php?classid=";
const std::string kCommandLineUrl = "http://packages.example/cmdline.zip";

// The name a session gives itself: the executable's base name.
std::string ExecutableBaseName() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return std::filesystem::path(path).stem().string();
#else
    return std::filesystem::read_symlink("/proc/self/exe").filename().string();
#endif
}

// An absolute target with its default port dropped: with the port spelled
// out it names the same resource (WinINet under Wine writes it so).
std::string WithoutDefaultPort(std::string target) {
    const size_t path = target.rfind("http://", 0) == 0 ? target.find('/', 7) : std::string::npos;
    if (path != std::string::npos && path >= 10 && target.compare(path - 3, 3, ":80") == 0) target.erase(path - 3, 3);
    return target;
}

Reply Answer(std::string body, int status = 200, std::string reason = "OK") {
    Reply r;
    r.status = status;
    r.reason = std::move(reason);
    r.body = std::move(body);
    return r;
}

class QueryPackageUrlTest : public ::testing::Test {
protected:
    // Every request goes through the loopback server, whatever the surroundings set.
    void SetUp() override { m_proxy.Use(m_server.BaseUrl()); }

    void Serve(Reply r) { m_server.SetHandler(ServeFixed(std::move(r))); }

    // Runs one query from the command-line address; the result and the address after it.
    std::pair<int, std::string> Query(const std::string& key) {
        CStringA url = kCommandLineUrl;
        const int result = QueryPackageUrl(key, url);
        return {result, url};
    }

    LoopbackServer m_server;
    ProxyScope m_proxy;
};

// One GET, with no headers but the defaults, for the key split at its first
// '#'; none for a key without one.
TEST_F(QueryPackageUrlTest, KeyIsSplitAtTheFirstHashIntoTheAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"12#345", "12&dictid=345"},   {"#345", "&dictid=345"}, {"12#", "12&dictid="},
        {"12#34#5", "12&dictid=34#5"}, {"12345", nullptr},      {"", nullptr},
    };
    const std::string exe = ExecutableBaseName();
    const std::set<std::string> allowed = {"host", "user-agent", "accept", "proxy-connection"};
    Serve(Answer("http://mirror.example/dict.zip"));
    for (const auto& [key, tail] : cases) {
        SCOPED_TRACE(key);
        const size_t before = m_server.RequestCount();
        const auto [result, url] = Query(key);
        EXPECT_EQ(result, tail ? kUrlReplaced : kKeyWithoutHash);
        EXPECT_EQ(url, tail ? "http://mirror.example/dict.zip" : kCommandLineUrl);
        const auto requests = m_server.Requests();
        ASSERT_EQ(requests.size(), before + (tail ? 1 : 0));
        if (!tail) continue;
        const HttpRequest& request = requests.back();
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(WithoutDefaultPort(request.target), kServiceAddress + tail);
        EXPECT_EQ(request.Header("User-Agent"), exe);
        for (const auto& [name, value] : request.headers) {
            std::string lower = name;
            for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_TRUE(allowed.count(lower)) << "unexpected header " << name << ": " << value;
        }
    }
}

// Only a whole 2xx answer that is a web address replaces the URL; one
// request is made for it, and a redirect is not followed.
TEST_F(QueryPackageUrlTest, AnswerIsJudgedAsWholeText) {
    struct Case {
        const char* name;
        Reply reply;
        int result;
        std::string url;  // the address afterwards
    };
    const std::string address = "http://mirror.example/dict.zip";
    std::string longest = "https://mirror.example/";
    while (longest.size() < 4095) longest += static_cast<char>('a' + longest.size() % 26);
    Reply moved = Answer(address, 302, "Found");
    moved.headers = {{"Location", m_server.BaseUrl() + "/elsewhere"}};
    Reply brokenOff = Answer(address);
    brokenOff.length = Reply::Length::Custom;
    brokenOff.customLength = 100;
    const std::string odd = "HTTPS://user@[::1]:8443/d.zip?id=12#345";
    const Case cases[] = {
        {"address", Answer(address), kUrlReplaced, address},
        {"scheme in capitals, user, port, query", Answer(odd, 203, "Non-Authoritative"), kUrlReplaced, odd},
        {"zero byte ends the text", Answer(std::string("http://a/b\0tail", 15)), kUrlReplaced, "http://a/b"},
        {"4095 bytes", Answer(longest), kUrlReplaced, longest},
        {"4096 bytes", Answer(longest + "z"), kNoUsableAnswer, kCommandLineUrl},
        {"8000 bytes", Answer(std::string(8000, 'y')), kNoUsableAnswer, kCommandLineUrl},
        {"refusal", Answer("-1"), kNoUsableAnswer, kCommandLineUrl},
        {"refusal and line end", Answer("-1\n"), kNoUsableAnswer, kCommandLineUrl},
        {"space and refusal", Answer(" -1"), kNoUsableAnswer, kCommandLineUrl},
        {"empty", Answer(""), kNoUsableAnswer, kCommandLineUrl},
        {"address and line end", Answer(address + "\r\n"), kNoUsableAnswer, kCommandLineUrl},
        {"space inside", Answer("http://mirror.example/dict 2.zip"), kNoUsableAnswer, kCommandLineUrl},
        {"no host", Answer("http:///dict.zip"), kNoUsableAnswer, kCommandLineUrl},
        {"user and port, no host", Answer("https://user@:8443/dict.zip"), kNoUsableAnswer, kCommandLineUrl},
        {"local file", Answer("file:///etc/passwd"), kNoUsableAnswer, kCommandLineUrl},
        {"ftp", Answer("ftp://mirror.example/dict.zip"), kNoUsableAnswer, kCommandLineUrl},
        {"no scheme", Answer("mirror.example/dict.zip"), kNoUsableAnswer, kCommandLineUrl},
        {"502 error page", Answer(address, 502, "Bad Gateway"), kNoUsableAnswer, kCommandLineUrl},
        {"404 error page", Answer(address, 404, "Not Found"), kNoUsableAnswer, kCommandLineUrl},
        {"500 error page", Answer(address, 500, "Internal Server Error"), kNoUsableAnswer, kCommandLineUrl},
        {"redirect", moved, kNoUsableAnswer, kCommandLineUrl},
        {"broken off", brokenOff, kNoUsableAnswer, kCommandLineUrl},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Serve(c.reply);
        const size_t before = m_server.RequestCount();
        const auto [result, url] = Query("12#345");
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(url, c.url);
        EXPECT_EQ(m_server.RequestCount(), before + 1);
    }
}

// A row holds where its code page is in force: the locale's, which the row
// switches to; on Windows the system's, fixed for the whole process.
TEST_F(QueryPackageUrlTest, Utf8AnswerArrivesInTheLocaleCodePage) {
    const std::string answerUtf8 = "http://\xE4\xBE\x8B.cn/\xE8\xAF\x8D\xE5\x85\xB8.zip";  // http://例.cn/词典.zip
    struct Case {
        const char* locale;
        UINT codePage;
        std::string url;
    };
    const Case cases[] = {{"C.UTF-8", CP_UTF8, answerUtf8},
                          {"zh_CN.GBK", 936, "http://\xC0\xFD.cn/\xB4\xCA\xB5\xE4.zip"}};
    Serve(Answer(answerUtf8));
    std::string notInForce;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
#ifdef _WIN32
        const bool inForce = GetACP() == c.codePage;
#else
        LocaleScope locale(c.locale);
        const bool inForce = locale.ok();
#endif
        if (!inForce) {
            notInForce += std::string(" ") + c.locale;
            continue;
        }
        const auto [result, url] = Query("12#345");
        EXPECT_EQ(result, kUrlReplaced);
        EXPECT_EQ(url, c.url);
    }
    if (!notInForce.empty()) GTEST_SKIP() << "code page not in force:" << notInForce;
}

TEST_F(QueryPackageUrlTest, UnreachableServiceKeepsTheAddress) {
    ClosedPort closed;
    ASSERT_NE(closed.Port(), 0);
    m_proxy.Use("http://127.0.0.1:" + std::to_string(closed.Port()));
    const auto [result, url] = Query("12#345");
    EXPECT_EQ(result, kNoUsableAnswer);
    EXPECT_EQ(url, kCommandLineUrl);
}

// The answer buffer holds 4095 bytes and the zero after it: once more has
// arrived the answer is refused, without waiting for the rest (the longest
// lies far beyond what the session holds in memory).
TEST_F(QueryPackageUrlTest, AnswerTooLongForTheBufferIsNotReadOn) {
    for (uint64_t size : {uint64_t(4096), uint64_t(4097 + 511), uint64_t(64 * 1024), uint64_t(64) << 20}) {
        SCOPED_TRACE(size);
        auto hungUp = std::make_shared<std::promise<bool>>();
        std::future<bool> hungUpResult = hungUp->get_future();
        // The server never ends the answer; only the client can.
        m_server.SetHandler([hungUp, size](const HttpRequest&, HttpConnection& conn) {
            const bool sent = conn.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n") && conn.SendPattern(size);
            hungUp->set_value(!sent || conn.WaitForHangUp(std::chrono::seconds(10)));
            conn.Close();
        });
        const auto [result, url] = Query("12#345");
        EXPECT_EQ(result, kNoUsableAnswer);
        EXPECT_EQ(url, kCommandLineUrl);
        EXPECT_TRUE(hungUpResult.get()) << "the client waited for the rest of the answer";
    }
}

// A service that trickles its answer is given up on at the reader's time
// limit, however steadily the bytes come; so is one that never answers.
TEST_F(QueryPackageUrlTest, TrickledAnswerEndsAtTheTimeLimit) {
    const std::string answer = "http://mirror.example/dictionaries/12/345.zip";
    auto hungUp = std::make_shared<std::promise<bool>>();
    std::future<bool> hungUpResult = hungUp->get_future();
    m_server.SetHandler([hungUp, answer](const HttpRequest&, HttpConnection& conn) {
        const bool whole =
            conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(answer.size()) + "\r\n\r\n") &&
            conn.Trickle(answer, 2, std::chrono::milliseconds(250));
        hungUp->set_value(!whole);
        conn.Close();
    });
    SilentListener silent(false);
    for (const std::string& proxy : {m_server.BaseUrl(), "http://127.0.0.1:" + std::to_string(silent.Port())}) {
        SCOPED_TRACE(proxy);
        m_proxy.Use(proxy);
        CUrlTextReader reader(1000);
        CString text = L"before";
        EXPECT_FALSE(reader.OpenUrl(L"http://service.example/dict.php") && reader.ReadText(text));
        EXPECT_NE(CStringA(CW2A(text)), answer);
    }
    EXPECT_TRUE(hungUpResult.get()) << "the whole answer was waited for";
}

TEST_F(QueryPackageUrlTest, ReaderOpensNothingButWebAddresses) {
    for (const wchar_t* address :
         {L"file:///etc/passwd", L"ftp://127.0.0.1/dict.zip", L"dict.example/x", L"gopher://127.0.0.1/"}) {
        SCOPED_TRACE(CW2A(address));
        CUrlTextReader reader;
        EXPECT_FALSE(reader.OpenUrl(address));
        CString text = L"before";
        EXPECT_FALSE(reader.ReadText(text));
        EXPECT_EQ(text, L"before");
    }
    // Not even handed to the proxy.
    EXPECT_EQ(m_server.RequestCount(), 0u);
}

// The answer from its bytes, however they are cut into pieces: whole up to
// 4095 bytes, and refused once more has come, without asking for the rest.
TEST(ServiceAnswer, PiecesOfAnySizeUpToTheBuffer) {
    struct Case {
        const char* name;
        UINT piece;     // the most one read hands over
        size_t length;  // of the answer; SIZE_MAX: endless
        bool ok;
    };
    const Case cases[] = {
        {"4095 bytes a byte at a time", 1, 4095, true},        {"4095 bytes in odd pieces", 333, 4095, true},
        {"4096 bytes a byte at a time", 1, 4096, false},       {"endless, a byte at a time", 1, SIZE_MAX, false},
        {"endless, in whole chunks", 100000, SIZE_MAX, false}, {"empty", 512, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t handed = 0;
        auto read = [&](void* lpBuf, UINT nCount) {
            const size_t n = std::min<size_t>({c.piece, nCount, c.length - handed});
            for (size_t i = 0; i < n; ++i) static_cast<char*>(lpBuf)[i] = static_cast<char>('a' + (handed + i) % 26);
            handed += n;
            return static_cast<UINT>(n);
        };
        CString text = L"before";
        EXPECT_EQ(ReadServiceAnswer(read, text), c.ok);
        EXPECT_EQ(text.size(), c.ok ? c.length : 0);
        EXPECT_LE(handed, 4096u + 511) << "read on after the answer was refused";
    }
}

// The session's own bound on what it holds in memory.
class InternetSessionTest : public QueryPackageUrlTest {
protected:
    // Reads until the end or a read error; the bytes and whether it ended in an error.
    static std::pair<std::string, bool> ReadAll(CStdioFile& file) {
        std::string data;
        char chunk[700];
        try {
            while (UINT n = file.Read(chunk, sizeof chunk)) data.append(chunk, n);
        } catch (CInternetException* e) {
            e->Delete();
            return {data, true};
        }
        return {data, false};
    }
};

TEST_F(InternetSessionTest, BodyIsReadUpToTheBoundWhateverTheStatus) {
    for (size_t size : {CHttpFile::kMaxBody, CHttpFile::kMaxBody + 1}) {
        SCOPED_TRACE(size);
        const std::string body = Pattern(size);
        Serve(Answer(body, 404, "Not Found"));
        CInternetSession session;
        std::unique_ptr<CStdioFile> file(session.OpenURL(L"http://service.example/x"));
        auto* http = dynamic_cast<CHttpFile*>(file.get());
        ASSERT_NE(http, nullptr);
        DWORD status = 0;
        EXPECT_TRUE(http->QueryInfoStatusCode(status) && status == 404) << status;
        const auto [data, failed] = ReadAll(*file);
        EXPECT_EQ(failed, size > CHttpFile::kMaxBody);
        EXPECT_EQ(data, body.substr(0, CHttpFile::kMaxBody));
    }
}

TEST_F(InternetSessionTest, OpenFailureThrowsAndTheAgentIsSent) {
    CInternetSession session(L"agent/1.0");
    std::unique_ptr<CStdioFile> file;
    try {
        file.reset(session.OpenURL(L"file:///etc/passwd"));
        ADD_FAILURE() << "a local file was opened";
    } catch (CInternetException* e) {
        e->Delete();
    }

    Serve(Answer("ok"));
    file.reset(session.OpenURL(L"http://service.example/x", 1, INTERNET_FLAG_TRANSFER_BINARY));
    ASSERT_EQ(m_server.RequestCount(), 1u);
    EXPECT_EQ(m_server.Requests()[0].Header("User-Agent"), "agent/1.0");
}

TEST_F(InternetSessionTest, WithoutAProxyAnAddressWithHashGoesOutWhole) {
    ClosedPort closed;
    m_proxy.Use("http://127.0.0.1:" + std::to_string(closed.Port()), "127.0.0.1");
    Serve(Answer("ok"));
    CInternetSession session;
    const std::string base = m_server.BaseUrl();
    for (const std::string& tail : {std::string("/dict.php?a=1&b=2"), std::string("/dict.php?a=1&b=3#4")}) {
        SCOPED_TRACE(tail);
        std::unique_ptr<CStdioFile> file(session.OpenURL(CA2W(base + tail).c_str()));
        const auto [data, failed] = ReadAll(*file);
        EXPECT_FALSE(failed);
        EXPECT_EQ(data, "ok");
    }
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/dict.php?a=1&b=2");
#ifdef _WIN32
    // WinINet sends every address in origin form, '#' and all.
    EXPECT_EQ(requests[1].target, "/dict.php?a=1&b=3#4");
#else
    // libcurl would cut the '#' off; the ground sends such an address in absolute form.
    EXPECT_EQ(requests[1].target, base + "/dict.php?a=1&b=3#4");
#endif
}

}  // namespace
