// The MIDI events of the control port's sequence as the core's block loop
// takes them (more, front, pop): each at its frame, read in place, nothing
// copied or allocated. A window of the block may be played at a time, its
// events' frames counted from the window's start.
#pragma once

#include <cstdint>

#include "core/EventQueue.h"
#include "lv2/AtomReading.h"

class AtomMidiEvents {
public:
    AtomMidiEvents(const LV2_Atom* sequence, uint32_t midiType, uint32_t frameTimeUnit)
        : events(sequence), midiType(midiType) {
        // Times in any unit but frames (beats) carry no frame: such events
        // play at the block's start.
        framed = events.timeUnit() == 0 || events.timeUnit() == frameTimeUnit;
        settle();
    }

    // Frames from start on, up to end unless this window is the block's last.
    void window(int64_t start, int64_t end, bool last) {
        windowStart = start;
        windowEnd = end;
        lastWindow = last;
        settle();
    }

    bool more() const { return found && (lastWindow || frameOf(*events.current()) < windowEnd); }
    const QueuedEvent& front() const { return event; }
    void pop() {
        events.pop();
        settle();
    }

private:
    int64_t frameOf(const LV2_Atom_Event& e) const { return framed ? e.time.frames : 0; }

    // Skips what is no MIDI message and reads the next one that is.
    void settle() {
        found = false;
        for (; events.current() != nullptr; events.pop()) {
            const LV2_Atom_Event& e = *events.current();
            if (e.body.type != midiType || e.body.size == 0 || e.body.size > 3) continue;  // SysEx too
            const auto* bytes = reinterpret_cast<const uint8_t*>(&e.body + 1);
            int64_t delta = frameOf(e) - windowStart;
            if (delta < INT32_MIN) delta = INT32_MIN;
            if (delta > INT32_MAX) delta = INT32_MAX;
            event.deltaFrames = static_cast<int32_t>(delta);
            event.status = bytes[0];
            event.data1 = e.body.size > 1 ? bytes[1] : 0;
            event.data2 = e.body.size > 2 ? bytes[2] : 0;
            event.spare = 0;
            found = true;
            return;
        }
    }

    atoms::SequenceEvents events;
    uint32_t midiType;
    bool framed = true;
    bool found = false;
    QueuedEvent event{};
    int64_t windowStart = 0;
    int64_t windowEnd = 0;
    bool lastWindow = true;
};
