#pragma once
// Fetches the short text answer behind one address.
#include <memory>

#include "framework/AfxString.h"
#include "framework/Internet.h"

class CUrlTextReader {
public:

    // Opens the address (creating the session on first use); true when a
    // response was obtained.
    bool OpenUrl(CString url);
    // Reads the whole response as UTF-8 text. False without a response, on a
    // read error, or when the answer has 4096 bytes or more (text then empty).
    bool ReadText(CString& text);

private:
    std::unique_ptr<CInternetSession> m_pSession;  // created by the first OpenUrl
    std::unique_ptr<CStdioFile> m_pFile;           // null until OpenUrl succeeds
};
