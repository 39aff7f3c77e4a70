// The edit side's changes on their way to the audio thread. An editing thread
// (holding the edit lock) copies what changed from the model into the
// transfer area; the audio thread takes it over into the engine at its next
// engine call, the start of a span or an event. Neither waits on the other:
// the audio thread takes nothing while an editing thread is writing (it tries
// again at its next call), and an editing thread yields only for the moment
// the audio thread copies. Changes pile up in the area until taken, so none
// is ever lost, and the audio thread applies them in one step.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/AudioParameterEdits.h"
#include "core/BusyFlags.h"
#include "engine/PadMask.h"
#include "engine/PadPlayback.h"

class KitPublisher {
public:
    // Edit side. Copies the masked pads of model, and its rates when asked,
    // for the audio thread, with how many of the audio thread's own
    // parameter changes the model held; answers the publication's generation.
    uint64_t publish(const DrumSynth& model, PadMask pads, bool rates, const AudioParameterEdits& edits);

    // Audio side. Takes everything published so far into engine, unless an
    // editing thread is writing just now; answers the pads it changed.
    PadMask pickUp(DrumSynth& engine);
    // After a pick-up: how many of the audio thread's changes to the
    // parameter the pads taken over held.
    uint32_t editsHeld(int32_t index) const { return heldEdits[index]; }

    // Audio side: whether something is published that the engine has not
    // taken yet.
    bool waitingForPickUp() const { return waiting.load(std::memory_order_acquire); }

    // The generation the engine holds: what it took last.
    uint64_t applied() const { return appliedGeneration.load(std::memory_order_acquire); }
    uint64_t published() const { return lastGeneration; }

private:
    struct Transfer {
        PadPlayback pads[kPadCount];
        PadMask changedPads = 0;
        bool ratesChanged = false;
        KitRates rates{};
        uint64_t generation = 0;
        uint32_t editsTaken[kParamCount] = {};
    };

    Transfer transfer;
    BusyFlags busy;
    std::atomic<bool> waiting{false};  // something is published and not yet taken
    std::atomic<uint64_t> appliedGeneration{0};
    uint32_t heldEdits[kParamCount] = {};  // audio side only
    uint64_t lastGeneration = 0;  // edit side only
};
