#pragma once
// The internet session: one HTTP(S) GET per OpenURL, carried out by the
// ground's client (libcurl on Linux, WinINet on Windows). Failures are thrown
// as heap-allocated exception objects, which the catcher releases with
// Delete().
#include <cstddef>
#include <memory>
#include <string>

#include "AfxString.h"
#include "platform/WinTypes.h"

#ifdef _WIN32
#include <wininet.h>
#else
typedef uintptr_t DWORD_PTR;

// The system's proxy settings (http_proxy, no_proxy, ...), the only access type.
#define INTERNET_OPEN_TYPE_PRECONFIG 0

// Open flags. There is no cache, so the cache flags hold by construction, and
// HTTP knows no text mode, so both transfer modes deliver the body unchanged.
#define INTERNET_FLAG_RELOAD 0x80000000u
#define INTERNET_FLAG_NO_CACHE_WRITE 0x04000000u
#define INTERNET_FLAG_TRANSFER_ASCII 0x00000001u
#define INTERNET_FLAG_TRANSFER_BINARY 0x00000002u

// Session options. The receive time-out bounds each request as a whole, from
// sending it to the last byte of its answer, in milliseconds.
#define INTERNET_OPTION_RECEIVE_TIMEOUT 6
#endif

class CException {
public:
    CException() = default;
    virtual ~CException() = default;
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    // Frees an exception that was thrown as a pointer.
    void Delete() { delete this; }
};

class CInternetException : public CException {};

// A readable stream of bytes.
class CStdioFile {
public:
    CStdioFile() = default;
    virtual ~CStdioFile() = default;
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    // Copies up to nCount bytes; 0 at the end. Throws on a read error.
    virtual UINT Read(void* lpBuf, UINT nCount) = 0;
};

// The response to one request. The body is received as it is read, so a
// reader that stops early (or deletes the file) stops the transfer. At most
// kMaxBody bytes are taken in; a longer body (or one broken off in transit) is
// delivered up to that point, and the Read that reaches it throws
// CInternetException. A response goes before its session.
class CHttpFile : public CStdioFile {
public:
    static constexpr std::size_t kMaxBody = 1024 * 1024;
    struct Transfer;  // the library's side of the request

    explicit CHttpFile(std::unique_ptr<Transfer> pTransfer);
    ~CHttpFile() override;

    // Waits for the network while nothing is at hand.
    UINT Read(void* lpBuf, UINT nCount) override;
    // The status of the final answer (an interim 1xx is never the one).
    BOOL QueryInfoStatusCode(DWORD& dwStatusCode) const;

private:
    std::unique_ptr<Transfer> m_pTransfer;
};

class CInternetSession {
public:
    // Without an agent string of its own the session names itself after the
    // application. Throws CInternetException* when it cannot be set up.
    CInternetSession(LPCWSTR pstrAgent = nullptr, DWORD_PTR dwContext = 1,
                     DWORD dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG, LPCWSTR pstrProxyName = nullptr,
                     LPCWSTR pstrProxyBypass = nullptr, DWORD dwFlags = 0);
    virtual ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Supports INTERNET_OPTION_RECEIVE_TIMEOUT (0: no limit of the whole, only
    // the connect and silence limits), for the requests opened afterwards.
    BOOL SetOption(DWORD dwOption, DWORD dwValue, DWORD dwFlags = 0);

    // Sends one GET for an http or https address (no redirects followed) and
    // returns the response, whatever its status, once its head has arrived;
    // the caller deletes it.
    // No extra headers are sent (the program passes none). Throws
    // CInternetException* when no response arrives: malformed address, other
    // scheme, name lookup or connection failure, time-out.
    CStdioFile* OpenURL(LPCWSTR pstrURL, DWORD_PTR dwContext = 1, DWORD dwFlags = INTERNET_FLAG_TRANSFER_ASCII,
                        LPCWSTR pstrHeaders = nullptr, DWORD dwHeadersLength = 0);

private:
    struct Ground;  // what the ground keeps of the session
    std::unique_ptr<Ground> m_pGround;
};
