#include "engine/Voice.h"

void endVoice(Voice& voice) {
    Pad& pad = *voice.pad;
    voice.pad = nullptr;
    if (pad.activity != 0) pad.activity -= 1;
    publishActivity(pad);
}
