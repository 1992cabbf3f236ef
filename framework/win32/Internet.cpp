// The internet session on WinINet. The calls run asynchronously, so that each
// request can be held to the session's time limit as a whole: WinINet's own
// time-outs bound one operation at a time only.
#include "framework/Internet.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "framework/WinApp.h"
#include "framework/win32/InternetAsync.h"

namespace {

// WinINet's limits of one operation (connecting, or silence while sending or
// receiving) when the session sets no tighter limit of the whole.
constexpr DWORD kOperationLimitMs = 60 * 1000;

// Added to the caller's flags: no redirect is followed; the cache is neither
// read nor written; nothing is sent that the request does not name (no
// cookies, no stored credentials); WinINet never asks the user anything.
constexpr DWORD kSessionFlags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI;

[[noreturn]] void ThrowInternetException() {
    throw new CInternetException;
}

// Only addresses that name their scheme, and only http or https: WinINet
// would otherwise open ftp and file addresses too.
bool HasWebScheme(std::wstring_view url) {
    auto startsWithNoCase = [url](std::wstring_view prefix) {
        if (url.size() < prefix.size()) return false;
        return std::equal(prefix.begin(), prefix.end(), url.begin(), [](wchar_t p, wchar_t c) {
            return p == (c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c);
        });
    };
    return startsWithNoCase(L"http://") || startsWithNoCase(L"https://");
}

InternetDeadline DeadlineAfter(DWORD ms) {
    return ms == 0 ? InternetDeadline::max() : InternetClock::now() + std::chrono::milliseconds(ms);
}

// For the requests the session opens from now on.
void SetOperationLimits(HINTERNET hSession, DWORD wholeMs) {
    DWORD limit = wholeMs == 0 ? kOperationLimitMs : std::min(wholeMs, kOperationLimitMs);
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        ::InternetSetOptionW(hSession, option, &limit, sizeof limit);
}

bool QueryNumber(HINTERNET hRequest, DWORD info, DWORD& value) {
    DWORD size = sizeof value;
    return ::HttpQueryInfoW(hRequest, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

bool HasHeader(HINTERNET hRequest, DWORD info) {
    DWORD size = 0;
    ::HttpQueryInfoW(hRequest, info, nullptr, &size, nullptr);
    return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

}  // namespace

struct CInternetSession::Ground {
    std::wstring agent;
    DWORD receiveTimeoutMs = 0;  // 0: none
    InternetHandle session;      // null after a call had to be ended by closing it

    void Open() {
        session.reset(
            ::InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
        if (!session || !InternetAsyncCall::Listen(session.get())) {
            session.reset();
            ThrowInternetException();
        }
    }

    // The request InternetOpenUrlW left pending (error is its last error).
    HINTERNET AwaitOpened(InternetAsyncCall& call, DWORD error, InternetDeadline deadline) {
        if (error != ERROR_IO_PENDING) {
            call.EndedAtOnce();
            ThrowInternetException();
        }
        if (std::optional<INTERNET_ASYNC_RESULT> result = call.WaitUntil(deadline)) {
            if (result->dwResult == 0) ThrowInternetException();
            return reinterpret_cast<HINTERNET>(result->dwResult);
        }
        // Too late. Closing the newest handle of the call ends it; before
        // WinINet announced one, only closing the session itself does.
        if (HINTERNET newest = call.NewestAnnounced())
            ::InternetCloseHandle(newest);
        else
            session.reset();
        ThrowInternetException();
    }
};

struct CHttpFile::Transfer {
    std::shared_ptr<InternetAsyncCall> call = InternetAsyncCall::Register();
    InternetHandle request;
    InternetDeadline deadline;
    DWORD status = 0;
    std::size_t received = 0;  // body bytes handed out, at most kMaxBody
    bool failed = false;

    explicit Transfer(InternetDeadline until) : deadline(until) {}
    ~Transfer() {
        request.reset();
        call->Release();
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Closing the request gives up a call still under way; WinINet lets the
    // connection go once that call returns.
    [[noreturn]] void Fail() {
        failed = true;
        request.reset();
        ThrowInternetException();
    }

    // Ends the call just begun: at once, or when it reports within the
    // deadline; fails otherwise.
    void Complete(BOOL ok) {
        if (ok) {
            call->EndedAtOnce();
            return;
        }
        if (::GetLastError() != ERROR_IO_PENDING) {
            call->EndedAtOnce();
            Fail();
        }
        std::optional<INTERNET_ASYNC_RESULT> result = call->WaitUntil(deadline);
        if (!result || result->dwResult == 0) Fail();
    }

    // The body bytes at hand, waiting for some; 0 at the end of the body.
    // A pending read of WinINet's waits until the whole buffer is filled, and
    // closing its handle does not stop it; asking what is at hand waits only
    // for the next bytes, and the read then finishes at once.
    DWORD Available() {
        for (;;) {
            if (failed || InternetClock::now() >= deadline) Fail();
            call->Begin();
            const BOOL ok = ::InternetQueryDataAvailable(request.get(), call->Count(), 0, 0);
            Complete(ok);
            if (ok) return *call->Count();
            // It reported in the meantime: asked again, it answers at once.
        }
    }

    // Up to want bytes of the body into the call's buffer; 0 at its end.
    // Past the deadline nothing more is taken in.
    DWORD ReadSome(DWORD want) {
        const DWORD available = Available();
        if (available == 0) return 0;
        call->Begin();
        Complete(::InternetReadFile(request.get(), call->Buffer(), std::min(want, available), call->Count()));
        return *call->Count();
    }

    // At the end of the body: WinINet ends a body that the connection broke
    // off before its announced length as if it were whole.
    void CheckWhole() {
        DWORD length = 0;
        if (status == 204 || status == 304 || HasHeader(request.get(), HTTP_QUERY_TRANSFER_ENCODING)) return;
        if (QueryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH, length) && received < length) Fail();
    }
};

CHttpFile::CHttpFile(std::unique_ptr<Transfer> pTransfer) : m_pTransfer(std::move(pTransfer)) {}

CHttpFile::~CHttpFile() = default;

UINT CHttpFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0) return 0;
    if (!lpBuf) ThrowInternetException();
    Transfer& t = *m_pTransfer;
    // At the bound one more byte tells a longer body from a whole one; it is
    // never handed out.
    const bool atBound = t.received == kMaxBody;
    const DWORD want =
        atBound ? 1
                : std::min<DWORD>({nCount, static_cast<DWORD>(kMaxBody - t.received), InternetAsyncCall::kBufferSize});
    const DWORD got = t.ReadSome(want);
    if (got == 0) {
        t.CheckWhole();
        return 0;
    }
    if (atBound) t.Fail();
    std::memcpy(lpBuf, t.call->Buffer(), got);
    t.received += got;
    return got;
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& dwStatusCode) const {
    if (m_pTransfer->status == 0) return FALSE;
    dwStatusCode = m_pTransfer->status;
    return TRUE;
}

CInternetSession::CInternetSession(LPCWSTR pstrAgent, DWORD_PTR /*dwContext*/, DWORD dwAccessType,
                                   LPCWSTR /*pstrProxyName*/, LPCWSTR /*pstrProxyBypass*/, DWORD /*dwFlags*/)
    : m_pGround(std::make_unique<Ground>()) {
    // Only the system's proxy settings are offered.
    if (dwAccessType != INTERNET_OPEN_TYPE_PRECONFIG) ThrowInternetException();
    m_pGround->agent = pstrAgent ? pstrAgent : AfxGetAppName();
    m_pGround->Open();
}

CInternetSession::~CInternetSession() = default;

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue, DWORD /*dwFlags*/) {
    if (dwOption != INTERNET_OPTION_RECEIVE_TIMEOUT) return FALSE;
    m_pGround->receiveTimeoutMs = dwValue;
    return TRUE;
}

CStdioFile* CInternetSession::OpenURL(LPCWSTR pstrURL, DWORD_PTR /*dwContext*/, DWORD dwFlags, LPCWSTR /*pstrHeaders*/,
                                      DWORD /*dwHeadersLength*/) {
    if (!pstrURL || !HasWebScheme(pstrURL)) ThrowInternetException();
    Ground& g = *m_pGround;
    if (!g.session) g.Open();
    SetOperationLimits(g.session.get(), g.receiveTimeoutMs);

    auto transfer = std::make_unique<CHttpFile::Transfer>(DeadlineAfter(g.receiveTimeoutMs));
    InternetAsyncCall& call = *transfer->call;
    call.Begin();
    // The request's context is the call's, so that its reports reach it.
    HINTERNET opened =
        ::InternetOpenUrlW(g.session.get(), pstrURL, nullptr, 0, dwFlags | kSessionFlags, call.Context());
    if (opened)
        call.EndedAtOnce();
    else
        opened = g.AwaitOpened(call, ::GetLastError(), transfer->deadline);
    transfer->request.reset(opened);
    if (!QueryNumber(opened, HTTP_QUERY_STATUS_CODE, transfer->status) || transfer->status == 0)
        ThrowInternetException();
    return new CHttpFile(std::move(transfer));
}
