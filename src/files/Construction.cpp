#include "files/Construction.h"

#include "engine/Kit.h"
#include "files/SampleStore.h"

bool constructSynth(DrumSynth& synth) {
    DrumKit* kit = createKit(synth);
    if (kit == nullptr) return false;
    kit->sampleStore = createSampleStore();
    if (kit->sampleStore == nullptr) {
        releaseKit(kit);
        return false;
    }
    synth.kit = kit;
    return true;
}
