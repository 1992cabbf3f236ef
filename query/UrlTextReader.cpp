#include "UrlTextReader.h"

#include <exception>

#include "query/ServiceAnswer.h"

namespace {

constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;

}  // namespace

bool CUrlTextReader::OpenUrl(CString url) {
    try {
        if (!m_pSession) {
            m_pSession = std::make_unique<CInternetSession>();
            m_pSession->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, m_dwTimeLimitMs);
        }
        std::unique_ptr<CStdioFile> file(m_pSession->OpenURL(url, 1, kOpenFlags, nullptr, 0));
        // An error page or a redirect is no answer of the service.
        auto* http = dynamic_cast<CHttpFile*>(file.get());
        DWORD status = 0;
        if (!http || !http->QueryInfoStatusCode(status) || status < 200 || status > 299) return false;
        m_pFile = std::move(file);
        return true;
    } catch (CInternetException* e) {
        e->Delete();
    } catch (const std::exception&) {
        // The session or the address could not be set up in memory.
    }
    return false;
}

bool CUrlTextReader::ReadText(CString& text) {
    if (!m_pFile) return false;
    try {
        return ReadServiceAnswer([this](void* lpBuf, UINT nCount) { return m_pFile->Read(lpBuf, nCount); }, text);
    } catch (CInternetException* e) {
        e->Delete();
    } catch (...) {
    }
    return false;
}
