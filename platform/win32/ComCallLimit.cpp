// A bounded call to an object of another process: COM waits for the answer
// as long as it takes, so the call runs on a thread of its own, in the
// multithreaded apartment, with the object handed over through a marshaled
// stream; the caller waits for it no longer than the limit.
#include "platform/Com.h"

#include <memory>
#include <thread>
#include <utility>

namespace {

// What the caller and the calling thread share; the last of them frees it.
struct CallJob {
    std::function<HRESULT(IUnknown*)> call;
    IID iid{};
    IStream* stream = nullptr;  // the object, marshaled for the calling thread
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HRESULT hr = E_FAIL;
    ~CallJob() {
        if (stream) stream->Release();  // the calling thread never came to it
        if (done) ::CloseHandle(done);
    }
};

void RunCall(const std::shared_ptr<CallJob>& job) {
    if (SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        IUnknown* object = nullptr;
        IStream* stream = std::exchange(job->stream, nullptr);
        job->hr = ::CoGetInterfaceAndReleaseStream(stream, job->iid, reinterpret_cast<void**>(&object));
        if (SUCCEEDED(job->hr)) {
            job->hr = job->call(object);
            object->Release();
        }
        ::CoUninitialize();
    }
    ::SetEvent(job->done);
}

}  // namespace

HRESULT CallWithinLimit(IUnknown* object, REFIID iid, std::function<HRESULT(IUnknown*)> call) {
    auto job = std::make_shared<CallJob>();
    if (!job->done) return E_OUTOFMEMORY;
    job->call = std::move(call);
    job->iid = iid;
    HRESULT hr = ::CoMarshalInterThreadInterfaceInStream(iid, object, &job->stream);
    if (FAILED(hr)) return hr;
    std::thread(RunCall, job).detach();
    DWORD index = 0;
    // Dispatches this thread's messages (and calls to it) while it waits.
    hr = ::CoWaitForMultipleHandles(0, kComCallTimeoutMs, 1, &job->done, &index);
    if (hr == RPC_S_CALLPENDING) return RPC_E_TIMEOUT;
    return FAILED(hr) ? hr : job->hr;
}
