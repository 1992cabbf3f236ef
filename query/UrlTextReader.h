#pragma once
// Fetches the short text answer behind one address.
#include <memory>

#include "framework/AfxString.h"
#include "framework/Internet.h"

// The longest one question to the download service may take, from sending it
// to the last byte of the answer.
inline constexpr DWORD kServiceTimeLimitMs = 30 * 1000;

class CUrlTextReader {
public:
    // Each request is given up on after dwTimeLimitMs (tests shorten it).
    explicit CUrlTextReader(DWORD dwTimeLimitMs = kServiceTimeLimitMs) : m_dwTimeLimitMs(dwTimeLimitMs) {}

    // Opens the address (creating the session on first use); true when a
    // response with a 2xx status was obtained.
    bool OpenUrl(CString url);
    // Reads the whole response as UTF-8 text (ReadServiceAnswer). False
    // without a response, on a read error or time-out, or when the answer has
    // 4096 bytes or more (text then empty; the rest is never received).
    bool ReadText(CString& text);

private:
    DWORD m_dwTimeLimitMs;                         // of each request
    std::unique_ptr<CInternetSession> m_pSession;  // created by the first OpenUrl
    std::unique_ptr<CStdioFile> m_pFile;           // null until OpenUrl succeeds
};
