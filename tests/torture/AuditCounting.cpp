// The counting audit: this executable defines malloc, calloc, realloc, free,
// the C++ allocation operators and pthread_mutex_lock, exported so that the
// plug-in library loaded at run time resolves to them; each forwards to the
// C library and, on the audio thread inside an audio call, counts.
#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "Audit.h"

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
// The C library's own lock, under the old name it still exports for binaries
// of its first versions.
int libcMutexLock(pthread_mutex_t* mutex);
__asm__(".symver libcMutexLock, __pthread_mutex_lock@GLIBC_2.2.5");
}

namespace {

thread_local bool insideAudioCall = false;
thread_local bool growthAllowed = false;
std::atomic<long> forbiddenCalls{0};
std::atomic<long> growthCalls{0};

void forbidden() {
    if (insideAudioCall) forbiddenCalls.fetch_add(1);
}

}  // namespace

namespace audit {

bool counting() { return true; }
void enter(bool queueMayGrow) {
    growthAllowed = queueMayGrow;
    insideAudioCall = true;
}
void leave() {
    insideAudioCall = false;
    growthAllowed = false;
}
long forbidden() { return forbiddenCalls.load(); }
long allowedGrowth() { return growthCalls.load(); }
void reset() {
    forbiddenCalls = 0;
    growthCalls = 0;
}

}  // namespace audit

extern "C" {

__attribute__((visibility("default"))) void* malloc(size_t size) {
    forbidden();
    return __libc_malloc(size);
}

__attribute__((visibility("default"))) void* calloc(size_t count, size_t size) {
    forbidden();
    return __libc_calloc(count, size);
}

__attribute__((visibility("default"))) void* realloc(void* pointer, size_t size) {
    if (insideAudioCall) {
        if (growthAllowed) {
            growthCalls.fetch_add(1);
            growthAllowed = false;  // once per block
        } else {
            forbiddenCalls.fetch_add(1);
        }
    }
    return __libc_realloc(pointer, size);
}

__attribute__((visibility("default"))) void free(void* pointer) {
    if (pointer != nullptr) forbidden();
    __libc_free(pointer);
}

__attribute__((visibility("default"))) int pthread_mutex_lock(pthread_mutex_t* mutex) {
    forbidden();
    return libcMutexLock(mutex);
}

}  // extern "C"

void* operator new(size_t size) {
    forbidden();
    void* pointer = __libc_malloc(size != 0 ? size : 1);
    if (pointer == nullptr) throw std::bad_alloc();
    return pointer;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    forbidden();
    return __libc_malloc(size != 0 ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* pointer) noexcept {
    if (pointer != nullptr) forbidden();
    __libc_free(pointer);
}
void operator delete[](void* pointer) noexcept { operator delete(pointer); }
void operator delete(void* pointer, size_t) noexcept { operator delete(pointer); }
void operator delete[](void* pointer, size_t) noexcept { operator delete(pointer); }
