#include "engine/PadFilters.h"

// Each section is designed from the pad's own setting, never from the corner
// an earlier design stored: that one may have been limited to an earlier
// rate's Nyquist frequency.

void designLowCut(Pad& pad, float sampleRate) {
    pad.lowCutFilter.freq = pad.lowCut;
    pad.lowCutFilter.design(sampleRate);
}

void designMidBand(Pad& pad, float sampleRate) {
    pad.midFilter.freq = pad.midFreq;
    pad.midFilter.gain = pad.midGain;
    pad.midFilter.design(sampleRate);
}

void designHighCut(Pad& pad, float sampleRate) {
    pad.highCutFilter.freq = pad.highCut;
    pad.highCutFilter.design(sampleRate);
}

void designPadFilters(Pad& pad, float sampleRate) {
    designLowCut(pad, sampleRate);
    designMidBand(pad, sampleRate);
    designHighCut(pad, sampleRate);
}
