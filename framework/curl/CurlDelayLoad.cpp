// The transfer library is loaded when it is first called, as a delay-loaded
// DLL is: its load (it brings a dozen libraries of its own) then comes after
// the window is up, not before. Each call goes through the library's own
// entry; without the library every call fails as the library fails.
#define CURL_DISABLE_TYPECHECK  // the entries below are defined, not called through the checking macros
#include <curl/curl.h>

#include <cstdarg>
#include <mutex>

#include "platform/Library.h"

namespace {

// The library stays loaded for the life of the process, as a delay-loaded one does.
HMODULE CurlLibrary() {
    static std::once_flag once;
    static HMODULE library = nullptr;
    std::call_once(once, [] { library = LoadLibraryA("libcurl.so.4"); });
    return library;
}

template <class Function>
Function* Entry(const char* name) {
    HMODULE library = CurlLibrary();
    return library ? reinterpret_cast<Function*>(GetProcAddress(library, name)) : nullptr;
}

}  // namespace

#define DELAY_LOADED(result, name, params, args, failure)       \
    extern "C" result name params {                             \
        static auto* const entry = Entry<result params>(#name); \
        return entry ? entry args : failure;                    \
    }
#define DELAY_LOADED_VOID(name, params, args)                 \
    extern "C" void name params {                             \
        static auto* const entry = Entry<void params>(#name); \
        if (entry) entry args;                                \
    }

DELAY_LOADED(CURLcode, curl_global_init, (long flags), (flags), CURLE_FAILED_INIT)
DELAY_LOADED_VOID(curl_global_cleanup, (void), ())
DELAY_LOADED(CURL*, curl_easy_init, (void), (), nullptr)
DELAY_LOADED_VOID(curl_easy_cleanup, (CURL * handle), (handle))
DELAY_LOADED(CURLcode, curl_easy_perform, (CURL * handle), (handle), CURLE_FAILED_INIT)
DELAY_LOADED(curl_slist*, curl_slist_append, (curl_slist * list, const char* text), (list, text), nullptr)
DELAY_LOADED_VOID(curl_slist_free_all, (curl_slist * list), (list))
DELAY_LOADED(CURLHcode, curl_easy_header,
             (CURL * handle, const char* name, size_t index, unsigned int origin, int request, curl_header** hout),
             (handle, name, index, origin, request, hout), CURLHE_NOT_BUILT_IN)
DELAY_LOADED(CURLM*, curl_multi_init, (void), (), nullptr)
DELAY_LOADED(CURLMcode, curl_multi_cleanup, (CURLM * multi), (multi), CURLM_BAD_HANDLE)
DELAY_LOADED(CURLMcode, curl_multi_add_handle, (CURLM * multi, CURL* handle), (multi, handle), CURLM_BAD_HANDLE)
DELAY_LOADED(CURLMcode, curl_multi_remove_handle, (CURLM * multi, CURL* handle), (multi, handle), CURLM_BAD_HANDLE)
DELAY_LOADED(CURLMcode, curl_multi_perform, (CURLM * multi, int* running), (multi, running), CURLM_BAD_HANDLE)
DELAY_LOADED(CURLMcode, curl_multi_poll,
             (CURLM * multi, struct curl_waitfd* extra, unsigned int count, int timeoutMs, int* ready),
             (multi, extra, count, timeoutMs, ready), CURLM_BAD_HANDLE)
DELAY_LOADED(CURLMsg*, curl_multi_info_read, (CURLM * multi, int* left), (multi, left), nullptr)

// The one value after the option is read as the type its number stands for,
// as the library reads it.
extern "C" CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    using Setopt = CURLcode(CURL*, CURLoption, ...);
    static auto* const entry = Entry<Setopt>("curl_easy_setopt");
    if (!entry) return CURLE_FAILED_INIT;
    va_list value;
    va_start(value, option);
    CURLcode rc;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        rc = entry(handle, option, va_arg(value, long));
    else if (option < CURLOPTTYPE_FUNCTIONPOINT)
        rc = entry(handle, option, va_arg(value, void*));
    else if (option < CURLOPTTYPE_OFF_T)
        rc = entry(handle, option, va_arg(value, void (*)()));
    else if (option < CURLOPTTYPE_BLOB)
        rc = entry(handle, option, va_arg(value, curl_off_t));
    else
        rc = entry(handle, option, va_arg(value, void*));
    va_end(value);
    return rc;
}

// Every item is answered through a pointer.
extern "C" CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    using Getinfo = CURLcode(CURL*, CURLINFO, ...);
    static auto* const entry = Entry<Getinfo>("curl_easy_getinfo");
    if (!entry) return CURLE_FAILED_INIT;
    va_list value;
    va_start(value, info);
    CURLcode rc = entry(handle, info, va_arg(value, void*));
    va_end(value);
    return rc;
}
