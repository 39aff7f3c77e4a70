// A pad's three filter sections follow its settings: the high-pass on lowCut,
// the peaking band on midFreq and midGain, the low-pass on highCut. Voices
// borrow the coefficients, so a new design is heard at once.
#pragma once

#include "engine/Pad.h"

// Whether a voice of the pad runs each section: the settings at their ends
// switch it off.
inline bool lowCutOn(const Pad& pad) { return pad.lowCut > 10.0f; }
inline bool midBandOn(const Pad& pad) { return pad.midFreq > 10.0f; }
inline bool highCutOn(const Pad& pad) { return pad.highCut < 30000.0f; }

void designLowCut(Pad& pad, float sampleRate);
void designMidBand(Pad& pad, float sampleRate);
void designHighCut(Pad& pad, float sampleRate);

// All three, in that order.
void designPadFilters(Pad& pad, float sampleRate);
