#include "CoreUnderTest.h"

#include <cstdlib>

#include "engine/Kit.h"
#include "files/Construction.h"
#include "files/DefaultPatch.h"
#include "files/Patch.h"
#include "files/SampleStore.h"

CoreUnderTest::CoreUnderTest(float rate, const std::string& modulePath, int32_t blockLength) {
    core.hostRate = rate;
    core.hostRateInverse = 1.0f / rate;
    core.blockLength = blockLength;
    if (!constructSynth(core)) std::abort();  // nothing to test without a kit
    if (!modulePath.empty()) defaultPatchLoaded = loadDefaultPatch(core, modulePath.c_str());
}

CoreUnderTest::~CoreUnderTest() { releaseKit(core.kit); }

std::vector<uint8_t> CoreUnderTest::patch() {
    buildPatch(core);
    const uint8_t* image = imageBytes(core.kit->sampleStore);
    return std::vector<uint8_t>(image, image + core.kit->sampleStore->totalSize);
}
