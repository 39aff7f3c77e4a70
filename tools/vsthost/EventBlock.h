// The event list a host hands to effProcessEvents, kept as a host keeps it:
// room for a fixed number of events made once, so that filling it before a
// call allocates nothing on the thread that makes the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/Vst2.h"

// One event as a host sends it: a MIDI message, or a SysEx block among them.
struct HostEvent {
    int32_t delta;
    uint8_t status, data1, data2;
    bool sysex = false;
};

class EventBlock {
public:
    explicit EventBlock(size_t capacity);

    // The first capacity events as the record effProcessEvents takes.
    VstEvents* fill(const std::vector<HostEvent>& events);
    // How many events the last fill took.
    size_t count() const { return taken; }

private:
    std::vector<VstMidiEvent> midi;
    std::vector<VstEvent> sysex;
    std::vector<char> list;
    size_t taken = 0;
};
