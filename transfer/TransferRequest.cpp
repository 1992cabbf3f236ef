#include "TransferRequest.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <memory>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "transfer/Placement.h"
#include "transfer/Progress.h"

namespace {
std::atomic<long> g_stallLimitSeconds{kStallLimitSeconds};

// The library hands over 16 KiB at a time; the file is written 64 KiB at a
// time, in a quarter of the system calls. The kernel keeps a file's cache in
// pieces as large as the writes, and pieces of 256 KiB made each write's copy
// into the cache several times dearer in most runs.
const size_t kWriteBufferSize = size_t{64} << 10;

// The socket is read 512 KiB at a time: a fifth of the reads, waits and
// progress calls of the curl tool's 100 KiB blocks.
const long kReceiveBufferSize = 512L << 10;

// Seconds the file's times are put ahead of the server's modification time.
const int64_t kStampOffset = 14400;

// The library's write callback: the block goes into the stream. A short
// count makes the library end the transfer with its write error.
size_t WriteToStream(char* data, size_t size, size_t count, void* stream) {
    return std::fwrite(data, 1, size * count, static_cast<FILE*>(stream));
}

CURLcode SetTransferOptions(CURL* handle, FILE* file, CurlSlist& headers, ProgressHook* hook) {
    CURLcode rc = curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
    if (rc != CURLE_OK) return rc;
    headers.reset(curl_slist_append(nullptr, "Connection: close"));
    if ((rc = curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get())) != CURLE_OK) return rc;
    if ((rc = curl_easy_setopt(handle, CURLOPT_PROGRESSFUNCTION, ProgressTrampoline)) != CURLE_OK) return rc;
    if ((rc = curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L)) != CURLE_OK) return rc;
    return curl_easy_setopt(handle, CURLOPT_PROGRESSDATA, hook);
}

// No encoding at all, whatever the letters' case.
bool IsIdentity(std::string_view value) {
    constexpr std::string_view kIdentity = "identity";
    return value.empty() || std::ranges::equal(value, kIdentity, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// True when the final answer's body is stored in an encoding of the server's
// choosing: nothing asked for one, so the library passes it on undecoded.
bool EncodedByTheServer(CURL* handle) {
    curl_header* encoding = nullptr;
    for (size_t i = 0; curl_easy_header(handle, "Content-Encoding", i, CURLH_HEADER, -1, &encoding) == CURLHE_OK; ++i) {
        if (!IsIdentity(encoding->value)) return true;
    }
    return false;
}

// Only a 2xx answer carries the package: anything else is the server's error
// page or a redirect (never followed), however large its body. Nor does a
// part (no range was asked for) or an encoded body.
bool FinalAnswerIsAPackage(CURL* handle) {
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return false;
    return status >= 200 && status <= 299 && status != 206 && !EncodedByTheServer(handle);
}

// Through the descriptor this run holds, after the last write has reached it.
void StampWithServerTime(CURL* handle, FILE* file) {
    // The library writes a long here; -1 when the server gave no time, and
    // that value is stamped too.
    long fileTime = 0;
    if (curl_easy_getinfo(handle, CURLINFO_FILETIME, &fileTime) != CURLE_OK) return;
    __utimbuf64 times{fileTime + kStampOffset, fileTime + kStampOffset};
    _futime64(fileno(file), &times);
}
}  // namespace

void SetStallLimitForTesting(long seconds) {
    g_stallLimitSeconds = seconds;
}

int ProgressTrampoline(void* progressData, double expected, double received, double, double) {
    auto* hook = static_cast<ProgressHook*>(progressData);
    return hook->callback(hook->context, received, expected);
}

int DownloadToFile(CURL* handle, const char* url, const char* localPath, void* progressContext) {
    if (!handle || !url || !localPath) return kDownloadArgumentMissing;
    CURLcode rc = curl_easy_setopt(handle, CURLOPT_URL, url);
    if (rc != CURLE_OK) return rc;
    // The package comes over http or https only; never from a local file.
    if ((rc = curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https")) != CURLE_OK) return rc;
    if ((rc = curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToStream)) != CURLE_OK) return rc;
    // A worker thread's transfer: the library's time limits must not use signals.
    if ((rc = curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L)) != CURLE_OK) return rc;
    // A server that stops sending fails the attempt, which the user may retry;
    // so does one that never completes the connection or its TLS handshake.
    const long stallLimit = g_stallLimitSeconds.load();
    if ((rc = curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L)) != CURLE_OK) return rc;
    if ((rc = curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallLimit)) != CURLE_OK) return rc;
    if ((rc = curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, stallLimit)) != CURLE_OK) return rc;
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    auto buffer = std::make_unique_for_overwrite<char[]>(kWriteBufferSize);  // outlives the stream that uses it
    FileStream file(fopen_nofollow(localPath, "wb"));
    if (!file) return kDownloadFileNotOpened;
    setvbuf(file.get(), buffer.get(), _IOFBF, kWriteBufferSize);

    ProgressHook hook{OnTransferProgress, progressContext};
    CurlSlist headers;
    int result = SetTransferOptions(handle, file.get(), headers, &hook);
    if (result == CURLE_OK) {
        curl_easy_setopt(handle, CURLOPT_FILETIME, 1L);
        result = curl_easy_perform(handle);
    }
    if (result == CURLE_OK && !FinalAnswerIsAPackage(handle)) result = CURLE_HTTP_RETURNED_ERROR;
    // The last buffered bytes reach the file only here; a file that cannot
    // take them (a full disk) holds no whole package.
    if (std::fflush(file.get()) != 0 && result == CURLE_OK) result = CURLE_WRITE_ERROR;
    StampWithServerTime(handle, file.get());
    // A whole package stays open and locked in the worker's hold until it is placed.
    TempFileHold* hold = TempFileHold::OfThisThread();
    if (hold && result == CURLE_OK) hold->Keep(std::move(file), localPath);
    file.reset();
    headers.reset();
    return result;
}

int TransferRequest::RunTransfer(void* progressContext) {
    CStringA narrowUrl = CW2A(url ? url : L"");
    CStringA narrowPath = CW2A(localPath ? localPath : L"");
    int result = DownloadToFile(handle, url ? narrowUrl.c_str() : nullptr, localPath ? narrowPath.c_str() : nullptr,
                                progressContext);
    return result != kDownloadDone ? kTransferFailed : kTransferDone;
}
