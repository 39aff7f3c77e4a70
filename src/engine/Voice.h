// A sounding note: a working copy of one pad's playback state. A slot is free
// while its pad is null.
#pragma once

#include <cstdint>

#include "engine/Biquad.h"
#include "engine/Pad.h"

struct Voice {
    Pad* pad;  // null = the slot is free
    Biquad lowCutFilter;
    Biquad midFilter;
    Biquad highCutFilter;
    float pitchFactor;  // extra rate factor from velocity and rolls
    float fadeInStep;
    float glideStep;    // per-sample fall of pitchFactor
    float position;     // in samples of the pad's sample
    float fadeIn;       // 0 to 1
    float fadeOut;      // choke fade level; 0 = not fading
    float gain;         // velocity gain with sign
    float smoothState;  // last output of the two-tap smoother
    uint32_t startClock;
};

// Ends a sounding voice: its slot becomes free and its pad counts one voice
// fewer, which the pad's note label then shows. For the renderers, which
// end voices as they play them; anyone else ends them with endVoicesOf.
void endVoice(Voice& voice);

struct DrumKit;
// Ends every voice of the pad, in slot order.
void endVoicesOf(DrumKit& kit, const Pad& pad);
