// The audio thread's two calls: effProcessEvents queues a block's MIDI, and
// processReplacing plays each event at its own frame, rendering the stretches
// between events in spans of at most blockLength frames.
#include <cstring>

#include "engine/MidiStatus.h"
#include "engine/Notes.h"
#include "engine/Render.h"
#include "host/Identity.h"
#include "host/zelVst.h"

namespace {

bool hasAllOutputs(float** outputs, int count) {
    if (outputs == nullptr) return false;
    for (int o = 0; o < count; ++o)
        if (outputs[o] == nullptr) return false;
    return true;
}

}  // namespace

VstInt32 zelVst::processEvents(VstEvents* events) {
    if (suspended.load()) return 0;
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

int zelVst::engineNote(uint8_t status, uint8_t key, uint8_t value) {
    busy.enterAudio();
    const int result = noteEvent(synth, status, key, value);
    busy.leaveAudio();
    return result;
}

int zelVst::handleEvent(const QueuedEvent& event) {
    using namespace midi;
    if (event.status >= kSystem || event.status < kNoteOff) return 0;  // system or stray data
    if ((event.data1 | event.data2) & ~kDataBits) return 0;            // not MIDI data bytes
    const int channel = event.status & kChannelBits;
    const uint8_t kind = event.status & kKindBits;
    uint8_t* keys = channelNotes[channel];
    int result = 0;
    if (kind == kNoteOff) {
        keys[event.data1] = 0;
    } else if (kind == kNoteOn) {
        keys[event.data1] = event.data2;
    } else if (kind == kControlChange &&
               (event.data1 == kAllSoundOff || event.data1 == kAllNotesOff)) {
        for (int key = 0; key < 128; ++key) {
            if (keys[key] == 0) continue;
            keys[key] = 0;
            result |= engineNote(kNoteOff, static_cast<uint8_t>(key), 0);
        }
    }
    return result | engineNote(kind, event.data1, event.data2);
}

void zelVst::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    (void)inputs;  // an instrument: the inputs are never read
    if (frames <= 0 || !hasAllOutputs(outputs, identity::kOutputCount)) return;

    int result = 0;
    VstInt32 position = 0;
    int32_t next = 0;
    float* span[kOutputCount];
    while (position < frames && !suspended.load()) {
        VstInt32 target = frames;
        if (next < queue.eventCount && queue.entries[next].deltaFrames < frames)
            target = queue.entries[next].deltaFrames;
        while (position < target && !suspended.load()) {
            const VstInt32 length =
                target - position < synth.blockLength ? target - position : synth.blockLength;
            if (busy.editing()) {
                // Someone is changing the engine: skip this span, silently.
                for (int o = 0; o < kOutputCount; ++o)
                    std::memset(outputs[o] + position, 0, sizeof(float) * length);
            } else {
                for (int o = 0; o < kOutputCount; ++o) span[o] = outputs[o] + position;
                busy.enterAudio();
                result |= renderBlock(synth, span, length);
                busy.leaveAudio();
            }
            position += length;
        }
        if (next < queue.eventCount) result |= handleEvent(queue.entries[next++]);
    }
    // Events at or past the block's end are handled after its last frame.
    if (position >= frames)
        while (next < queue.eventCount) result |= handleEvent(queue.entries[next++]);
    queue.drop(next);

    if (result != 0) requestRepaint(editorModel());
}
