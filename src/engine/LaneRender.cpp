#include "engine/LaneRender.h"

#include <cstdio>
#include <cstdlib>

#include "engine/LaneLayout.h"

namespace {

// Debug builds look before every span for a change to voices or pads that
// did not release the lanes: it would play stale state, or freed samples.
void checkHeldLanes(DrumSynth& synth) {
#ifndef NDEBUG
    if (const char* drift = laneLayoutDrift(synth)) {
        std::fprintf(stderr, "lanes: changed behind their back: %s\n", drift);
        std::abort();
    }
#else
    (void)synth;
#endif
}

}  // namespace

int renderVoicesInLanes(DrumSynth& synth, float* const* outputs, int32_t count, uint32_t& reachedPairs) {
    DrumKit& kit = *synth.kit;
    lanes::Workspace& work = kit.laneWork;
    reachedPairs = 0;
    if (work.layout.held)
        checkHeldLanes(synth);
    else if (!holdVoicesInLanes(synth))
        return -1;
    if (work.layout.memberCount == 0) return 0;
    reachedPairs = work.layout.reachedPairs;

    lanes::Job job{&work, outputs, work.layout.groupCount, count};
    if (work.layout.width == 8)
        lanes::renderAvx2(job);
    else
        lanes::renderSse2(job);
    return freeEndedLanes(kit);
}
