#include "UrlTextReader.h"

#include <cstring>
#include <exception>
#include <vector>

#include "platform/CodePage.h"

namespace {

constexpr UINT kAnswerBufferSize = 4096;
constexpr UINT kReadChunkSize = 512;
constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;

}  // namespace

bool CUrlTextReader::OpenUrl(CString url) {
    try {
        if (!m_pSession) m_pSession = std::make_unique<CInternetSession>();
        m_pFile.reset(m_pSession->OpenURL(url, 1, kOpenFlags, nullptr, 0));
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
        char answer[kAnswerBufferSize];
        std::memset(answer, 0, sizeof answer);
        UINT total = 0;
        for (;;) {
            char chunk[kReadChunkSize];
            std::memset(chunk, 0, sizeof chunk);
            const UINT count = m_pFile->Read(chunk, sizeof chunk);
            // The answer and the zero after it must fit: 4095 bytes at most
            // (total never exceeds that, so the difference cannot wrap).
            if (count > kAnswerBufferSize - 1 - total) {
                text.clear();
                return false;
            }
            if (count == 0) break;
            std::memcpy(answer + total, chunk, count);
            total += count;
        }
        // total + 1 bytes: the answer and its terminating zero.
        std::vector<wchar_t> wide(total + 1, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, answer, static_cast<int>(total + 1), wide.data(),
                            static_cast<int>(wide.size()));
        text = CString(wide.data());
        return true;
    } catch (CFileException* e) {
        e->Delete();
    } catch (CInternetException* e) {
        e->Delete();
    } catch (...) {
    }
    return false;
}
