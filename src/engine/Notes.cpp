#include "engine/Notes.h"

#include <algorithm>
#include <cmath>

#include "engine/LaneLayout.h"
#include "engine/MidiStatus.h"

namespace {

// A voice's filter shares the pad filter's coefficients and keeps its own state.
void borrowFilter(Biquad& voiceFilter, Biquad& padFilter) {
    for (int i = 0; i < Biquad::CoefficientCount; ++i) voiceFilter.coef[i] = padFilter.coef[i];
    voiceFilter.type = padFilter.type;
    voiceFilter.controlSignal = padFilter.controlSignal;
    voiceFilter.flags = padFilter.flags;
    voiceFilter.mix = padFilter.mix;
    voiceFilter.setCount = padFilter.setCount;
    voiceFilter.owner = &padFilter;
    voiceFilter.next = nullptr;
    for (float& value : voiceFilter.state) value = 0.0f;
}

int freeVoiceSlot(const DrumKit& kit) {
    for (int slot = 0; slot < kVoiceCount; ++slot)
        if (kit.voices[slot].pad == nullptr) return slot;
    return -1;
}

void startVoice(const DrumSynth& synth, Voice& voice, Pad& pad, int16_t velocity) {
    const DrumKit& kit = *synth.kit;
    voice.pad = &pad;
    borrowFilter(voice.lowCutFilter, pad.lowCutFilter);
    borrowFilter(voice.midFilter, pad.midFilter);
    borrowFilter(voice.highCutFilter, pad.highCutFilter);
    // Hard hits play higher and soft ones lower, scaled by Pitch-X: velocity
    // 90 plays the sample as recorded, and each step away from it bends the
    // pitch by 0.2 % at full Pitch-X, up to +7.4 % at 127 (37 steps) and
    // down to -6 % at 60 and below (never more than 30 steps).
    const int bend = std::max(velocity - 90, -30);
    voice.pitchFactor = 1.0f + static_cast<float>(bend) * 0.002f * pad.pitchX;
    voice.fadeInStep = 0.0f;
    voice.glideStep = 0.0f;
    voice.position = 0.0f;
    voice.fadeIn = 1.0f;
    voice.fadeOut = 0.0f;
    voice.smoothState = 0.0f;
    voice.startClock = kit.clock;
    // Successive hits alternate polarity, the first one negative.
    const uint8_t count = pad.polarityCount++;
    const float sign = (count & 1) ? 1.0f : -1.0f;
    voice.gain = static_cast<float>(velocity) * kit.velocityScale * sign;
}

// Fades out every other voice of the pad's choke group. A hit within half a
// second of such a voice is a roll: it starts quieter, rises over
// |Pitch-X| / 5 seconds, and starts bent by up to 2.5 % x Pitch-X, gliding back.
//
// The roll's numbers: from |Pitch-X| 0.005 up (below, the rise would last
// under a millisecond and there is none), the new voice starts at the level
// of how far into the half second it came (elapsed / halfRate) and rises by
// 1000 / (|Pitch-X| x 200 x rate) a sample, which would take a silent start
// to full level in |Pitch-X| x 200 ms. Its pitch is raised by elapsed x
// 0.025 / halfRate x Pitch-X, the later the hit the higher, and falls back by
// 3.3333335 / rate a sample (1 / 0.3 s): a bend of b glides back to the
// sample's own pitch in 0.3 x b seconds, 7.5 ms for the largest, 2.5 %.
void chokeGroup(const DrumSynth& synth, int newSlot, Pad& pad) {
    DrumKit& kit = *synth.kit;
    Voice& fresh = kit.voices[newSlot];
    for (int j = 0; j < kVoiceCount; ++j) {
        Voice& other = kit.voices[j];
        if (j == newSlot || other.pad == nullptr || other.pad->group != pad.group) continue;
        other.fadeOut = 1.0f;
        const uint32_t elapsed = kit.clock - other.startClock;
        if (elapsed >= static_cast<uint32_t>(kit.halfRate)) continue;
        const float strength = std::fabs(pad.pitchX);
        if (strength * 200.0f >= 1.0f) {
            fresh.fadeIn = static_cast<float>(elapsed) / static_cast<float>(kit.halfRate);
            fresh.fadeInStep = 1000.0f / (strength * 200.0f * synth.hostRate);
        }
        fresh.pitchFactor *= 1.0f + static_cast<float>(elapsed) * kit.rollBendScale * pad.pitchX;
        fresh.glideStep = 3.3333335f / synth.hostRate;
    }
}

int noteOn(DrumSynth& synth, int16_t key, int16_t velocity) {
    DrumKit& kit = *synth.kit;
    int result = 0;
    for (Pad& pad : kit.pads) {
        if (pad.note != key || pad.samples == nullptr) continue;
        result = kEditorChanged;
        pad.activity += kHeldActivity + 1;
        publishActivity(pad);
        const int slot = freeVoiceSlot(kit);
        if (slot < 0) continue;  // all 24 sounding: no stealing
        releaseLanes(kit, kAllPads);  // a voice starts, and the choke fades others
        startVoice(synth, kit.voices[slot], pad, velocity);
        chokeGroup(synth, slot, pad);
    }
    return result;
}

int release(DrumSynth& synth, int16_t key, bool onlyPadsWithSamples) {
    int result = 0;
    for (Pad& pad : synth.kit->pads) {
        if (pad.note != key || (onlyPadsWithSamples && pad.samples == nullptr)) continue;
        result = kEditorChanged;
        if (pad.activity >= kHeldActivity) pad.activity -= kHeldActivity;
        publishActivity(pad);
    }
    return result;
}

}  // namespace

int noteEvent(DrumSynth& synth, uint8_t status, int16_t key, int16_t velocity) {
    if (synth.kit == nullptr) return 0;
    if (status == midi::kNoteOn && velocity != 0) return noteOn(synth, key, velocity);
    if (status == midi::kNoteOn) return release(synth, key, true);
    if (status == midi::kNoteOff) return release(synth, key, false);
    return 0;
}
