#pragma once
// The toolkit hands posted events and queued calls from one thread to another
// under locks of its own, which the thread sanitizer cannot see (the toolkit
// is not built with it). These marks tell it where such a hand-over begins
// and ends; in other builds they are nothing.
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define AFX_HAND_OVER(p) __tsan_release(const_cast<void*>(static_cast<const volatile void*>(p)))
#define AFX_TAKE_OVER(p) __tsan_acquire(const_cast<void*>(static_cast<const volatile void*>(p)))
#else
#define AFX_HAND_OVER(p) ((void)(p))
#define AFX_TAKE_OVER(p) ((void)(p))
#endif
