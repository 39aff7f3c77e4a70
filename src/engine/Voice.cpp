#include "engine/Voice.h"

#include "engine/DrumKit.h"
#include "engine/LaneLayout.h"

void endVoice(Voice& voice) {
    Pad& pad = *voice.pad;
    voice.pad = nullptr;
    if (pad.activity != 0) pad.activity -= 1;
    publishActivity(pad);
}

void endVoicesOf(DrumKit& kit, const Pad& pad) {
    releaseLanes(kit, padBit(static_cast<int>(&pad - kit.pads)));
    for (Voice& voice : kit.voices)
        if (voice.pad == &pad) endVoice(voice);
}
