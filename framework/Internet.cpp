#include "Internet.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <string_view>

#include "WinApp.h"
#include "platform/CodePage.h"

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlPtr = std::unique_ptr<CURL, CurlDeleter>;

[[noreturn]] void ThrowInternetException(DWORD dwError) {
    throw new CInternetException(dwError);
}

DWORD ErrorFromCurl(CURLcode code) {
    switch (code) {
        case CURLE_UNSUPPORTED_PROTOCOL:
            return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
        case CURLE_URL_MALFORMAT:
            return ERROR_INTERNET_INVALID_URL;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return ERROR_INTERNET_NAME_NOT_RESOLVED;
        case CURLE_COULDNT_CONNECT:
            return ERROR_INTERNET_CANNOT_CONNECT;
        case CURLE_OPERATION_TIMEDOUT:
            return ERROR_INTERNET_TIMEOUT;
        case CURLE_OUT_OF_MEMORY:
            return ERROR_NOT_ENOUGH_MEMORY;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
            return ERROR_HTTP_INVALID_SERVER_RESPONSE;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            return ERROR_INTERNET_CONNECTION_ABORTED;
        default:
            return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

// Only addresses that name their scheme, and only http or https: libcurl
// would otherwise guess a scheme for a bare host name.
bool HasWebScheme(std::string_view url) {
    auto startsWithNoCase = [url](std::string_view prefix) {
        if (url.size() < prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            char c = url[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != prefix[i]) return false;
        }
        return true;
    };
    return startsWithNoCase("http://") || startsWithNoCase("https://");
}

// Collects the body up to CHttpFile::kMaxBody bytes and then stops the
// transfer, so an endless answer cannot use up memory.
struct BodySink {
    std::string body;
    bool overflow = false;
};

size_t CollectBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<BodySink*>(user);
    const size_t bytes = size * count;
    const size_t room = CHttpFile::kMaxBody - sink->body.size();
    if (bytes > room) {
        sink->body.append(data, room);
        sink->overflow = true;
        return 0;  // libcurl ends the transfer with CURLE_WRITE_ERROR
    }
    sink->body.append(data, bytes);
    return bytes;
}

}  // namespace

UINT CHttpFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0) return 0;
    if (!lpBuf) ThrowInternetException(ERROR_INVALID_PARAMETER);
    const size_t available = m_body.size() - m_position;
    if (available == 0) {
        if (m_dwReadError != 0) ThrowInternetException(m_dwReadError);
        return 0;
    }
    const size_t count = available < nCount ? available : nCount;
    std::memcpy(lpBuf, m_body.data() + m_position, count);
    m_position += count;
    return static_cast<UINT>(count);
}

CInternetSession::CInternetSession(LPCWSTR pstrAgent, DWORD_PTR /*dwContext*/, DWORD dwAccessType,
                                   LPCWSTR /*pstrProxyName*/, LPCWSTR /*pstrProxyBypass*/, DWORD /*dwFlags*/) {
    // Only the system's proxy settings are offered.
    if (dwAccessType != INTERNET_OPEN_TYPE_PRECONFIG) ThrowInternetException(ERROR_INVALID_PARAMETER);
    m_strAgent = CW2A(pstrAgent ? pstrAgent : AfxGetAppName());
    // Last, so that nothing can fail after it and leave it without its cleanup.
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) ThrowInternetException(ERROR_INTERNET_INTERNAL_ERROR);
}

CInternetSession::~CInternetSession() {
    curl_global_cleanup();
}

CStdioFile* CInternetSession::OpenURL(LPCWSTR pstrURL, DWORD_PTR /*dwContext*/, DWORD /*dwFlags*/,
                                      LPCWSTR /*pstrHeaders*/, DWORD /*dwHeadersLength*/) {
    if (!pstrURL) ThrowInternetException(ERROR_INTERNET_INVALID_URL);
    const std::string url = CW2A(pstrURL);
    if (!HasWebScheme(url)) ThrowInternetException(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
    // libcurl takes the address as a C string: an embedded zero would cut it short.
    if (url.find('\0') != std::string::npos) ThrowInternetException(ERROR_INTERNET_INVALID_URL);

    CurlPtr curl(curl_easy_init());
    if (!curl) ThrowInternetException(ERROR_INTERNET_INTERNAL_ERROR);
    BodySink sink;

    CURL* h = curl.get();
    CURLcode code = CURLE_OK;
    auto set = [&code](CURLcode result) {
        if (code == CURLE_OK) code = result;
    };
    set(curl_easy_setopt(h, CURLOPT_URL, url.c_str()));
    set(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L));
    set(curl_easy_setopt(h, CURLOPT_HTTPGET, 1L));
    set(curl_easy_setopt(h, CURLOPT_USERAGENT, m_strAgent.c_str()));
    // libcurl would cut the address off at a '#' as a fragment, but the text
    // after it belongs to the request (a dictionary id may hold one). Such an
    // address goes out whole, in absolute form, which proxies and HTTP/1.1
    // servers both take.
    if (url.find('#') != std::string::npos) {
        set(curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, url.c_str()));
        set(curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    }
    // No proxy option: libcurl follows the environment (http_proxy, no_proxy, ...).
    set(curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L));
    // A silent server is given up on as WinINet's defaults would.
    set(curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L));
    set(curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L));
    set(curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L));
    set(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CollectBody));
    set(curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink));
    if (code != CURLE_OK) ThrowInternetException(ErrorFromCurl(code));

    code = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    // Without a status line there is no response to read.
    if (status == 0)
        ThrowInternetException(code == CURLE_OK ? ERROR_HTTP_INVALID_SERVER_RESPONSE : ErrorFromCurl(code));

    DWORD readError = 0;
    if (sink.overflow)
        readError = ERROR_NOT_ENOUGH_MEMORY;
    else if (code != CURLE_OK)
        readError = ErrorFromCurl(code);
    return new CHttpFile(std::move(sink.body), readError);
}
