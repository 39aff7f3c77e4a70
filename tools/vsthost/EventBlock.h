// The event list a host hands to effProcessEvents, kept as a host keeps it:
// room for a number of events made ahead, so that filling it before a call
// allocates nothing on the thread that makes the call. Every host of ours
// (vsthost, zel, the tests and the benchmarks) builds its lists here.
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

    // Room for at least capacity events from now on.
    void reserve(size_t capacity);
    // The first capacity events as the record effProcessEvents takes, valid
    // until the next fill.
    VstEvents* fill(const std::vector<HostEvent>& events);
    // How many events the last fill took.
    size_t count() const { return taken; }
    // Points entry i of the last fill at another record, or at none, as an
    // odd host might.
    void point(size_t i, VstEvent* event);

private:
    std::vector<VstMidiEvent> midi;
    std::vector<VstEvent> sysex;
    std::vector<char> list;
    size_t taken = 0;
};
