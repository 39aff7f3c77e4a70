// The audio thread's two calls: effProcessEvents queues a block's MIDI, and
// processReplacing has the core play each event at its own frame, rendering
// the stretches between events in spans.
#include "host/Identity.h"
#include "host/zelVst.h"

namespace {

bool hasAllOutputs(float** outputs, int count) {
    if (outputs == nullptr) return false;
    for (int o = 0; o < count; ++o)
        if (outputs[o] == nullptr) return false;
    return true;
}

// The queued events in order, for the core's block loop.
struct QueuedEvents {
    const EventQueue& queue;
    int32_t taken = 0;
    bool more() const { return taken < queue.eventCount; }
    const QueuedEvent& front() const { return queue.entries[taken]; }
    void pop() { ++taken; }
};

}  // namespace

VstInt32 zelVst::processEvents(VstEvents* events) {
    if (instrument.isSuspended()) return 0;
    if (events == nullptr) return 0;
    const VstInt32 count = events->numEvents;
    if (count <= 0) return 1;
    if (!queue.reserve(count)) return 0;
    // The host's list holds numEvents pointers, not the two the record declares.
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < count; ++i) {
        const VstEvent* event = list[i];
        if (event == nullptr || event->type != kVstMidiType) continue;  // SysEx among others
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        QueuedEvent& entry = queue.entries[queue.eventCount++];
        entry.deltaFrames = midi->deltaFrames;
        entry.status = static_cast<uint8_t>(midi->midiData[0]);
        entry.data1 = static_cast<uint8_t>(midi->midiData[1]);
        entry.data2 = static_cast<uint8_t>(midi->midiData[2]);
    }
    return 1;
}

// Events the suspension left unplayed stay queued for the resumed audio.
void zelVst::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    (void)inputs;  // an instrument: the inputs are never read
    if (frames <= 0 || !hasAllOutputs(outputs, identity::kOutputCount)) return;
    QueuedEvents events{queue};
    const int result = instrument.processBlock(outputs, frames, events);
    queue.drop(events.taken);
    if (result != 0) requestRepaint(editorModel());
}
