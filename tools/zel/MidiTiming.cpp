#include "MidiTiming.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // 120 quarter notes a minute
constexpr uint64_t kMicrosPerSecond = 1000000;

typedef unsigned __int128 Wide;

// numerator / denominator, to the nearest integer (halves up), saturated.
int64_t roundedQuotient(Wide numerator, Wide denominator) {
    const Wide quotient = (numerator * 2 + denominator) / (denominator * 2);
    return quotient > static_cast<Wide>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(quotient);
}

}  // namespace

MidiClock::MidiClock(const MidiSong& song, uint32_t sampleRate)
    : division(song.division), rate(sampleRate) {
    segments.push_back({0, 0, kDefaultTempo});
    for (const TempoChange& change : song.tempos) {
        const Segment& last = segments.back();
        const Wide micros = last.micros + static_cast<Wide>(change.tick - last.tick) *
                                              last.microsPerQuarter;
        segments.push_back({change.tick, micros, change.microsPerQuarter});
    }
}

int64_t MidiClock::frameAt(uint64_t tick) const {
    // Ticks of a quarter note are long as the tempo says; SMPTE ticks are fixed.
    if (division.ticksPerQuarter == 0) {
        // 29 stands for the 29.97 frames a second of drop-frame time code.
        const bool dropFrame = division.smpteFramesPerSecond == 29;
        const Wide ticksPerSecondTimes = static_cast<Wide>(division.ticksPerFrame) *
                                         (dropFrame ? 30000 : division.smpteFramesPerSecond);
        return roundedQuotient(static_cast<Wide>(tick) * rate * (dropFrame ? 1001 : 1),
                               ticksPerSecondTimes);
    }
    // The last segment that starts at or before the tick; the first starts at 0.
    const auto after = std::upper_bound(
        segments.begin(), segments.end(), tick,
        [](uint64_t value, const Segment& segment) { return value < segment.tick; });
    const Segment& segment = *(after - 1);
    const Wide micros = segment.micros + static_cast<Wide>(tick - segment.tick) *
                                             segment.microsPerQuarter;
    return roundedQuotient(micros * rate,
                           static_cast<Wide>(division.ticksPerQuarter) * kMicrosPerSecond);
}

std::vector<TimedMessage> timedMessages(const MidiSong& song, uint32_t sampleRate) {
    const MidiClock clock(song, sampleRate);
    std::vector<TimedMessage> timed;
    timed.reserve(song.messages.size());
    for (const MidiMessage& message : song.messages)
        timed.push_back({clock.frameAt(message.tick), message.status, message.data1, message.data2});
    return timed;
}
