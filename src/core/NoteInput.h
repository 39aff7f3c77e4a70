// MIDI input as the engine takes it: the channel bits cleared, stray and
// system bytes dropped, and the all-notes-off controllers (120 and 123)
// turned into the note-offs of the keys held on their channel.
#pragma once

#include <cstdint>

#include "core/EventQueue.h"
#include "engine/MidiStatus.h"

class NoteInput {
public:
    // Calls play(status, key, velocity) for each engine note the event
    // makes, and answers the ORed answers.
    template <class Play>
    int handle(const QueuedEvent& event, Play&& play) {
        using namespace midi;
        if (event.status >= kSystem || event.status < kNoteOff) return 0;  // system or stray data
        if ((event.data1 | event.data2) & ~kDataBits) return 0;            // not MIDI data bytes
        uint8_t* keys = channelNotes[event.status & kChannelBits];
        const uint8_t kind = event.status & kKindBits;
        int result = 0;
        if (kind == kNoteOff) {
            keys[event.data1] = 0;
        } else if (kind == kNoteOn) {
            keys[event.data1] = event.data2;
        } else if (kind == kControlChange && (event.data1 == kAllSoundOff || event.data1 == kAllNotesOff)) {
            for (int key = 0; key < 128; ++key) {
                if (keys[key] == 0) continue;
                keys[key] = 0;
                result |= play(kNoteOff, static_cast<uint8_t>(key), uint8_t{0});
            }
        }
        return result | play(kind, event.data1, event.data2);
    }

private:
    // The velocity of the last note-on per MIDI channel and key, 0 when off:
    // what the all-notes-off controllers release.
    uint8_t channelNotes[16][128] = {};
};
