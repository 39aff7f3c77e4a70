#include "core/KitPublisher.h"

uint64_t KitPublisher::publish(const DrumSynth& model, PadMask pads, bool rates,
                               const AudioParameterEdits& edits) {
    EditGuard guard(busy);
    for (int p = 0; p < kPadCount; ++p) {
        if (!(pads & (1u << p))) continue;
        transfer.pads[p] = playbackOf(model.kit->pads[p]);
        for (int32_t index = p * kParamsPerPad; index < (p + 1) * kParamsPerPad; ++index)
            transfer.editsTaken[index] = edits.takenCount(index);
    }
    transfer.changedPads |= pads;
    if (rates) {
        transfer.rates = ratesOf(model);
        transfer.ratesChanged = true;
    }
    transfer.generation = ++lastGeneration;
    waiting.store(true, std::memory_order_release);
    return lastGeneration;
}

PadMask KitPublisher::pickUp(DrumSynth& engine) {
    if (!waiting.load(std::memory_order_acquire)) return 0;
    if (!busy.tryEnterAudio()) return 0;
    const PadMask changed = transfer.changedPads;
    for (int p = 0; p < kPadCount; ++p) {
        if (!(changed & (1u << p))) continue;
        applyPlayback(*engine.kit, p, transfer.pads[p]);
        for (int32_t index = p * kParamsPerPad; index < (p + 1) * kParamsPerPad; ++index)
            heldEdits[index] = transfer.editsTaken[index];
    }
    if (transfer.ratesChanged) applyRates(engine, transfer.rates);
    transfer.changedPads = 0;
    transfer.ratesChanged = false;
    waiting.store(false, std::memory_order_relaxed);
    appliedGeneration.store(transfer.generation, std::memory_order_release);
    busy.leaveAudio();
    return changed;
}
