#include "ServiceAnswer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/CodePage.h"

namespace {
constexpr UINT kAnswerBufferSize = 4096;
constexpr UINT kReadChunkSize = 512;
}  // namespace

bool ReadServiceAnswer(const AnswerReader& read, CString& text) {
    std::array<char, kAnswerBufferSize> answer{};
    UINT total = 0;
    for (;;) {
        std::array<char, kReadChunkSize> chunk{};
        const UINT count = read(chunk.data(), kReadChunkSize);
        // The answer and the zero after it must fit: 4095 bytes at most
        // (total never exceeds that, so the difference cannot wrap).
        if (count > kReadChunkSize || count > kAnswerBufferSize - 1 - total) {
            text.clear();
            return false;
        }
        if (count == 0) break;
        std::copy_n(chunk.data(), count, answer.data() + total);
        total += count;
    }
    // total + 1 bytes: the answer and its terminating zero.
    std::vector<wchar_t> wide(total + 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, answer.data(), static_cast<int>(total + 1), wide.data(),
                        static_cast<int>(wide.size()));
    text = CString(wide.data());
    return true;
}
