// MIDI events of the current block, kept from effProcessEvents until
// processReplacing plays them at their frame offsets.
#pragma once

#include <cstdint>

struct QueuedEvent {
    int32_t deltaFrames;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
    uint8_t spare;
};
static_assert(sizeof(QueuedEvent) == 8, "an event queue entry is 8 bytes");

struct EventQueue {
    QueuedEvent* entries = nullptr;
    int32_t eventCount = 0;
    int32_t eventCapacity = 0;

    bool init(int32_t capacity);
    void release();
    // Makes room for more entries (growing to count + more + 32); false when
    // the room could not be had, and the queue is unchanged.
    bool reserve(int32_t more);
    // Drops the first handled entries, keeping the rest in order.
    void drop(int32_t handled);
};
