#include "EventBlock.h"

#include <algorithm>
#include <cstring>

EventBlock::EventBlock(size_t capacity) { reserve(capacity); }

// The record declares room for two pointers; a list never has less.
void EventBlock::reserve(size_t capacity) {
    if (capacity <= midi.size() && !list.empty()) return;
    midi.resize(std::max(capacity, midi.size()));
    sysex.resize(midi.size());
    list.assign(std::max(sizeof(VstEvents), offsetof(VstEvents, events) + sizeof(VstEvent*) * midi.size()), 0);
}

VstEvents* EventBlock::fill(const std::vector<HostEvent>& events) {
    taken = std::min(events.size(), midi.size());
    VstEvent** pointers = reinterpret_cast<VstEvent**>(list.data() + offsetof(VstEvents, events));
    for (size_t i = 0; i < taken; ++i) {
        const HostEvent& event = events[i];
        if (event.sysex) {
            // A block the plug-in must pass over, whatever its bytes say.
            VstEvent& block = sysex[i];
            std::memset(&block, 0, sizeof block);
            block.type = kVstSysExType;
            block.byteSize = sizeof block;
            block.deltaFrames = event.delta;
            std::memset(block.data, 0xF0, sizeof block.data);
            pointers[i] = &block;
            continue;
        }
        VstMidiEvent& message = midi[i];
        std::memset(&message, 0, sizeof message);
        message.type = kVstMidiType;
        message.byteSize = sizeof message;
        message.deltaFrames = event.delta;
        message.midiData[0] = char(event.status);
        message.midiData[1] = char(event.data1);
        message.midiData[2] = char(event.data2);
        pointers[i] = reinterpret_cast<VstEvent*>(&message);
    }
    const VstInt32 number = VstInt32(taken);
    std::memcpy(list.data(), &number, sizeof number);
    return reinterpret_cast<VstEvents*>(list.data());
}

void EventBlock::point(size_t i, VstEvent* event) {
    if (i < taken) reinterpret_cast<VstEvent**>(list.data() + offsetof(VstEvents, events))[i] = event;
}
