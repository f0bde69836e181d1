#pragma once

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace quova::engine {

// Qt hands a posted event or a queued call to the receiving thread under a
// lock inside Qt, which is not built with the thread sanitizer, so the
// sanitizer would take everything the sender wrote before posting for a race
// with the receiver. The sender calls MarkPosted() just before it posts; the
// receiver calls MarkReceived() first thing, before it reads what the sender
// wrote. Every post to a thread goes through that thread's one queue lock,
// which the one address here stands for. Nothing happens in other builds.
// What a queued call captures is copied inside the posting, after the mark:
// a call from another thread captures nothing it reads, or only what never
// changes; what it hands over goes under a lock of ours.
#if defined(__SANITIZE_THREAD__)
// Only its address is used: the sanitizer keeps its clocks beside memory,
// never in it.
inline const char kPostedQueue = 0;
inline void MarkPosted() {
    __tsan_release(const_cast<char*>(&kPostedQueue));
}
inline void MarkReceived() {
    __tsan_acquire(const_cast<char*>(&kPostedQueue));
}
#else
inline void MarkPosted() {}
inline void MarkReceived() {}
#endif

}  // namespace quova::engine
