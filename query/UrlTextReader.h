#pragma once
// Fetches the short text answer behind one address.
#include "framework/AfxString.h"
#include "framework/Internet.h"

class CUrlTextReader {
public:
    CUrlTextReader() = default;
    ~CUrlTextReader();
    CUrlTextReader(const CUrlTextReader&) = delete;
    CUrlTextReader& operator=(const CUrlTextReader&) = delete;

    // Opens the address (creating the session on first use); true when a
    // response was obtained.
    bool OpenUrl(CString url);
    // Reads the whole response as UTF-8 text. False without a response, on a
    // read error, or when the answer has 4096 bytes or more (text then empty).
    bool ReadText(CString& text);

private:
    CStdioFile* m_pFile = nullptr;           // owned; null until OpenUrl succeeds
    CInternetSession* m_pSession = nullptr;  // owned; created by the first OpenUrl
};
