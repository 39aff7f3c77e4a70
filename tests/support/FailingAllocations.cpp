#include "FailingAllocations.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZEL_OWN_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZEL_OWN_MALLOC 0
#endif
#endif
#ifndef ZEL_OWN_MALLOC
#define ZEL_OWN_MALLOC 1
#endif

namespace {
std::atomic<size_t> failFrom{0};  // 0: nothing fails

[[maybe_unused]] bool fails(size_t size) {
    const size_t limit = failFrom.load(std::memory_order_relaxed);
    return limit != 0 && size >= limit;
}
}  // namespace

namespace failing {

bool available() { return ZEL_OWN_MALLOC != 0; }

Shortage::Shortage(size_t fromBytes) { failFrom.store(fromBytes); }
Shortage::~Shortage() { failFrom.store(0); }

}  // namespace failing

#if ZEL_OWN_MALLOC
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_realloc(void* pointer, size_t size);

__attribute__((visibility("default"))) void* malloc(size_t size) {
    return fails(size) ? nullptr : __libc_malloc(size);
}

__attribute__((visibility("default"))) void* realloc(void* pointer, size_t size) {
    return fails(size) ? nullptr : __libc_realloc(pointer, size);
}
}
#endif
