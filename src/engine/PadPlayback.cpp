#include "engine/PadPlayback.h"

#include "engine/LaneLayout.h"

namespace {

// A pad's sections keep one coefficient set, in their own inline arrays.
FilterDesign designOf(const Biquad& filter) {
    FilterDesign design;
    for (int i = 0; i < Biquad::CoefficientCount; ++i) design.coefficients[i] = filter.coef[i][0];
    design.type = filter.type;
    design.flags = filter.flags;
    design.freq = filter.freq;
    design.gain = filter.gain;
    design.mix = filter.mix;
    design.q = filter.q;
    design.setCount = filter.setCount;
    return design;
}

// Into the filter's own coefficients, which its voices borrow: they hear the
// new design at once, as they would hear a design made in place.
void applyDesign(Biquad& filter, const FilterDesign& design) {
    for (int i = 0; i < Biquad::CoefficientCount; ++i) filter.coef[i][0] = design.coefficients[i];
    filter.type = design.type;
    filter.flags = design.flags;
    filter.freq = design.freq;
    filter.gain = design.gain;
    filter.mix = design.mix;
    filter.q = design.q;
    filter.setCount = design.setCount;
}

}  // namespace

PadPlayback playbackOf(const Pad& pad) {
    PadPlayback playback;
    playback.settings = pad;
    playback.lowCut = designOf(pad.lowCutFilter);
    playback.mid = designOf(pad.midFilter);
    playback.highCut = designOf(pad.highCutFilter);
    playback.sampleRate = pad.sampleRate;
    playback.holdRatio = pad.holdRatio;
    playback.holdInverse = pad.holdInverse;
    playback.samples = pad.samples;
    playback.frameCount = pad.frameCount;
    playback.slotOffset = pad.slotOffset;
    playback.shortcuts = pad.shortcuts;
    return playback;
}

void applyPlayback(DrumKit& kit, int p, const PadPlayback& playback) {
    releaseLanes(kit, padBit(p));
    Pad& pad = kit.pads[p];
    static_cast<PadSettings&>(pad) = playback.settings;
    applyDesign(pad.lowCutFilter, playback.lowCut);
    applyDesign(pad.midFilter, playback.mid);
    applyDesign(pad.highCutFilter, playback.highCut);
    pad.sampleRate = playback.sampleRate;
    pad.holdRatio = playback.holdRatio;
    pad.holdInverse = playback.holdInverse;
    pad.samples = playback.samples;
    pad.frameCount = playback.frameCount;
    pad.slotOffset = playback.slotOffset;
    pad.shortcuts = playback.shortcuts;
}

KitRates ratesOf(const DrumSynth& synth) {
    const DrumKit& kit = *synth.kit;
    return {synth.hostRate, synth.hostRateInverse, kit.halfRate, kit.rollBendScale, kit.fadeOutStep};
}

void applyRates(DrumSynth& synth, const KitRates& rates) {
    releaseLanes(*synth.kit, kAllPads);
    synth.hostRate = rates.hostRate;
    synth.hostRateInverse = rates.hostRateInverse;
    synth.kit->halfRate = rates.halfRate;
    synth.kit->rollBendScale = rates.rollBendScale;
    synth.kit->fadeOutStep = rates.fadeOutStep;
}
