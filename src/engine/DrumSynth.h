// The synthesizer core that the plug-in object embeds: the kit, the rate and
// block length the host set, and the exclusion between the audio thread and
// the threads that edit the kit.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/DrumKit.h"

class BusyFlags;

struct DrumSynth {
    float hostRate;
    float hostRateInverse;
    int32_t blockLength;  // longest engine span and scratch size
    DrumKit* kit;
    BusyFlags* busy;      // the audio/edit exclusion; null without an audio thread
    const std::atomic<bool>* suspended;  // the host has stopped processing; null = no audio thread
};

// Engine answers: 2 when something the editor shows has changed.
constexpr int kEditorChanged = 2;
