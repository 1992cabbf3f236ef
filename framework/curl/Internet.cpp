#include "framework/Internet.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "framework/CurlHandles.h"
#include "framework/WinApp.h"
#include "platform/CodePage.h"

namespace {

[[noreturn]] void ThrowInternetException() {
    throw new CInternetException;
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

}  // namespace

struct CInternetSession::Ground {
    std::string agent;           // narrow, as sent
    DWORD receiveTimeoutMs = 0;  // 0: none
};

// One request under way: the library moves it on only while the caller waits
// for its head or reads its body, so nothing arrives that nobody asked for.
struct CHttpFile::Transfer {
    CurlEasy easy;
    CurlMulti multi;
    bool added = false;  // easy is part of multi

    std::string pending;  // arrived, not yet read from position on
    std::size_t position = 0;
    std::size_t received = 0;  // body bytes taken in, at most kMaxBody
    bool overflow = false;     // the body went on past kMaxBody
    bool headDone = false;     // the head of the final answer has arrived
    bool finished = false;
    CURLcode result = CURLE_OK;

    ~Transfer() {
        if (added) curl_multi_remove_handle(multi.get(), easy.get());
    }

    bool HasData() const { return position < pending.size(); }

    // Moves the transfer on until ready() holds or it has ended.
    template <class Ready>
    void RunUntil(Ready ready) {
        while (!finished && !ready()) {
            int running = 0;
            if (curl_multi_perform(multi.get(), &running) != CURLM_OK) Finish(CURLE_OUT_OF_MEMORY);
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left))
                if (msg->msg == CURLMSG_DONE) Finish(msg->data.result);
            if (finished || ready()) return;
            // The library shortens the wait to its own next deadline.
            curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
        }
    }

    void Finish(CURLcode code) {
        finished = true;
        result = code;
    }

    // Takes the body up to kMaxBody bytes and then stops the transfer, so an
    // endless answer cannot use up memory.
    static size_t CollectBody(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t bytes = size * count;
        const size_t taken = std::min(bytes, kMaxBody - t->received);
        t->pending.append(data, taken);
        t->received += taken;
        if (taken == bytes) return bytes;
        t->overflow = true;
        return 0;  // libcurl ends the transfer with CURLE_WRITE_ERROR
    }

    // The blank line after a final (not an interim 1xx) status ends the head.
    static size_t NoteHeader(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const std::string_view line(data, size * count);
        if (line == "\r\n" || line == "\n") {
            long status = 0;
            curl_easy_getinfo(t->easy.get(), CURLINFO_RESPONSE_CODE, &status);
            if (status >= 200) t->headDone = true;
        }
        return line.size();
    }

    // Broken off, or longer than kMaxBody.
    bool Failed() const { return overflow || result != CURLE_OK; }
};

CHttpFile::CHttpFile(std::unique_ptr<Transfer> pTransfer) : m_pTransfer(std::move(pTransfer)) {}

CHttpFile::~CHttpFile() = default;

UINT CHttpFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0) return 0;
    if (!lpBuf) ThrowInternetException();
    Transfer& t = *m_pTransfer;
    t.RunUntil([&t] { return t.HasData(); });
    if (!t.HasData()) {
        if (t.Failed()) ThrowInternetException();
        return 0;
    }
    const size_t count = std::min<size_t>(t.pending.size() - t.position, nCount);
    std::memcpy(lpBuf, t.pending.data() + t.position, count);
    t.position += count;
    if (!t.HasData()) {
        t.pending.clear();
        t.position = 0;
    }
    return static_cast<UINT>(count);
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& dwStatusCode) const {
    long status = 0;
    if (curl_easy_getinfo(m_pTransfer->easy.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status <= 0)
        return FALSE;
    dwStatusCode = static_cast<DWORD>(status);
    return TRUE;
}

CInternetSession::CInternetSession(LPCWSTR pstrAgent, DWORD_PTR /*dwContext*/, DWORD dwAccessType,
                                   LPCWSTR /*pstrProxyName*/, LPCWSTR /*pstrProxyBypass*/, DWORD /*dwFlags*/)
    : m_pGround(std::make_unique<Ground>()) {
    // Only the system's proxy settings are offered.
    if (dwAccessType != INTERNET_OPEN_TYPE_PRECONFIG) ThrowInternetException();
    m_pGround->agent = CW2A(pstrAgent ? pstrAgent : AfxGetAppName());
    // Last, so that nothing can fail after it and leave it without its cleanup.
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) ThrowInternetException();
}

CInternetSession::~CInternetSession() {
    curl_global_cleanup();
}

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue, DWORD /*dwFlags*/) {
    if (dwOption != INTERNET_OPTION_RECEIVE_TIMEOUT) return FALSE;
    m_pGround->receiveTimeoutMs = dwValue;
    return TRUE;
}

CStdioFile* CInternetSession::OpenURL(LPCWSTR pstrURL, DWORD_PTR /*dwContext*/, DWORD /*dwFlags*/,
                                      LPCWSTR /*pstrHeaders*/, DWORD /*dwHeadersLength*/) {
    if (!pstrURL) ThrowInternetException();
    const std::string url = CW2A(pstrURL);
    if (!HasWebScheme(url)) ThrowInternetException();
    // libcurl takes the address as a C string: an embedded zero would cut it short.
    if (url.find('\0') != std::string::npos) ThrowInternetException();

    auto transfer = std::make_unique<CHttpFile::Transfer>();
    transfer->easy.reset(curl_easy_init());
    transfer->multi.reset(curl_multi_init());
    if (!transfer->easy || !transfer->multi) ThrowInternetException();

    CURL* h = transfer->easy.get();
    CURLcode code = CURLE_OK;
    auto set = [&code](CURLcode result) {
        if (code == CURLE_OK) code = result;
    };
    set(curl_easy_setopt(h, CURLOPT_URL, url.c_str()));
    set(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L));
    set(curl_easy_setopt(h, CURLOPT_HTTPGET, 1L));
    set(curl_easy_setopt(h, CURLOPT_USERAGENT, m_pGround->agent.c_str()));
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
    if (m_pGround->receiveTimeoutMs != 0)
        set(curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(m_pGround->receiveTimeoutMs)));
    set(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CHttpFile::Transfer::CollectBody));
    set(curl_easy_setopt(h, CURLOPT_WRITEDATA, transfer.get()));
    // A proxy tunnel's own answer is no head of the response.
    set(curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));
    set(curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CHttpFile::Transfer::NoteHeader));
    set(curl_easy_setopt(h, CURLOPT_HEADERDATA, transfer.get()));
    if (code != CURLE_OK) ThrowInternetException();
    if (curl_multi_add_handle(transfer->multi.get(), h) != CURLM_OK) ThrowInternetException();
    transfer->added = true;

    CHttpFile::Transfer& t = *transfer;
    t.RunUntil([&t] { return t.headDone; });
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    // Without a status line there is no response to read.
    if (status == 0) ThrowInternetException();
    return new CHttpFile(std::move(transfer));
}
