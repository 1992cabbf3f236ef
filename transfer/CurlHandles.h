#pragma once
// Owners for the library handles of one transfer.
#include <cstdio>
#include <memory>

#define CURL_DISABLE_DEPRECATION  // the progress callback of the double-based interface is the one used
#include <curl/curl.h>

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlSlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct FileClose {
    void operator()(FILE* file) const { std::fclose(file); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistFree>;
using FileStream = std::unique_ptr<FILE, FileClose>;
