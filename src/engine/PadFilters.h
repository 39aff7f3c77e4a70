// A pad's three filter sections follow its settings: the high-pass on lowCut,
// the peaking band on midFreq and midGain, the low-pass on highCut. Voices
// borrow the coefficients, so a new design is heard at once.
#pragma once

#include "engine/Pad.h"

void designLowCut(Pad& pad, float sampleRate);
void designMidBand(Pad& pad, float sampleRate);
void designHighCut(Pad& pad, float sampleRate);

// All three, in that order.
void designPadFilters(Pad& pad, float sampleRate);
