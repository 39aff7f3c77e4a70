#include "core/EventQueue.h"

#include <cstdlib>
#include <cstring>

bool EventQueue::init(int32_t capacity) {
    entries = static_cast<QueuedEvent*>(std::malloc(sizeof(QueuedEvent) * capacity));
    eventCount = 0;
    eventCapacity = entries != nullptr ? capacity : 0;
    return entries != nullptr;
}

void EventQueue::release() {
    std::free(entries);
    entries = nullptr;
    eventCount = eventCapacity = 0;
}

bool EventQueue::reserve(int32_t more) {
    const int64_t needed = static_cast<int64_t>(eventCount) + more;
    if (needed <= eventCapacity) return true;
    const int64_t grown = needed + 32;
    if (grown > INT32_MAX / static_cast<int64_t>(sizeof(QueuedEvent))) return false;
    void* fresh = std::realloc(entries, sizeof(QueuedEvent) * static_cast<size_t>(grown));
    if (fresh == nullptr) return false;
    entries = static_cast<QueuedEvent*>(fresh);
    eventCapacity = static_cast<int32_t>(grown);
    return true;
}

void EventQueue::drop(int32_t handled) {
    if (handled <= 0) return;
    const int32_t left = eventCount - handled;
    if (left > 0) std::memmove(entries, entries + handled, sizeof(QueuedEvent) * left);
    eventCount = left > 0 ? left : 0;
}
