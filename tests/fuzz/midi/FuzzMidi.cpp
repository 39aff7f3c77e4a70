// Any bytes as a MIDI file: the reader either refuses them with a reason or
// gives messages in time order that the clock can place.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "MidiFile.h"
#include "MidiTiming.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiSong song;
    std::string error;
    if (!parseMidiFile(data, size, song, error)) {
        if (error.empty()) std::abort();  // every refusal says why
        return 0;
    }
    int64_t previous = 0;
    for (const TimedMessage& message : timedMessages(song, 44100)) {
        if (message.frame < previous || message.status < 0x80 || message.status >= 0xF0) std::abort();
        previous = message.frame;
    }
    if (MidiClock(song, 44100).frameAt(song.endTick) < previous) std::abort();
    return 0;
}
