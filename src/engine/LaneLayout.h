// The lanes keep the sounding voices between spans: their groups are filled
// from the voice records once, and from then on the groups' playback and
// filter state is the voices' own while the records lag behind. They are
// filled anew only after a voice starts or ends or a pad a voice plays
// changes, and whatever changes voices or pads outside the renderer must
// say so first, with releaseLanes. laneLayoutDrift finds a change that did
// not (debug builds check before every span).
#pragma once

#include "engine/DrumSynth.h"
#include "engine/PadMask.h"

// Before anything but the renderer writes a voice (a start, a choke, an end)
// or a pad's playback state (a setting, a sample, a filter design, the
// rates, the render path): when the lanes hold a voice of one of pads, their
// state goes back to the voice records and the next span fills the lanes
// anew. Voices starting or ending: kAllPads. Costs nothing while the lanes
// hold none of the pads.
void releaseLanes(DrumKit& kit, PadMask pads);

// Fills the lanes from the voice records and the pads, for the kit's render
// path. False, holding nothing, when a voice runs a filter the lanes do not
// (a cascade, a control signal or a chain).
bool holdVoicesInLanes(DrumSynth& synth);

// After a span: the voices whose lanes ended are written back and freed, as
// the plain chain frees them, and then the lanes hold nothing. Answers how
// many ended.
int freeEndedLanes(DrumKit& kit);

// Brings the voice records up to the lanes' state, which the lanes keep
// holding: for whoever reads voices without changing them.
void writeBackLanes(DrumKit& kit);

// Null when the lanes hold nothing, or exactly what filling them anew from
// the records and pads would give them; otherwise what changed behind their
// back, in words.
const char* laneLayoutDrift(DrumSynth& synth);
