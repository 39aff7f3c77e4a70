#include "CoreUnderTest.h"

#include <cstdlib>
#include <cstring>

#include "engine/Kit.h"
#include "files/Construction.h"
#include "files/Patch.h"
#include "files/SampleStore.h"

CoreUnderTest::CoreUnderTest(float rate, const std::string& modulePath, int32_t blockLength) {
    std::strncpy(path, modulePath.c_str(), sizeof path - 1);
    core.hostRate = rate;
    core.hostRateInverse = 1.0f / rate;
    core.blockLength = blockLength;
    core.capabilities = 3;
    core.modulePath = path;
    if (!constructSynth(core)) std::abort();  // nothing to test without a kit
}

CoreUnderTest::~CoreUnderTest() { releaseKit(core.kit); }

std::vector<uint8_t> CoreUnderTest::patch() {
    buildPatch(core);
    const uint8_t* image = imageBytes(core.kit->sampleStore);
    return std::vector<uint8_t>(image, image + core.kit->sampleStore->totalSize);
}
