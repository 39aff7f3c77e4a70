// The hostile sequences against the LV2 plug-in: its run() fed blocks of any
// length (none, and longer than announced), MIDI no sequencer should send,
// setting ports at any value, messages damaged or well formed, and kit edits
// on a worker thread and state saves while the audio runs. After each: every
// output value finite, a test note as a fresh instance plays it, the state
// restoring to the same bytes, and nothing allocated, freed or locked in run
// or in the worker's answers on the audio thread.
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "Audit.h"
#include "Lv2Host.h"
#include "PatchBytes.h"
#include "TempDir.h"
#include "TortureHost.h"

namespace torture {
namespace {

using lv2host::Instance;

int pick(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

float wildPortValue(std::mt19937& rng) {
    switch (pick(rng, 0, 6)) {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -std::numeric_limits<float>::infinity();
        case 3: return -std::uniform_real_distribution<float>(0.0f, 1e9f)(rng);
        case 4: return std::uniform_real_distribution<float>(0.0f, 1e9f)(rng);
        default: return std::uniform_real_distribution<float>(-200.0f, 30000.0f)(rng);
    }
}

std::unique_ptr<Instance> started(int32_t announced = 512) {
    lv2host::Options options;
    options.maxBlock = announced;
    auto instance = std::make_unique<Instance>(options);
    EXPECT_TRUE(instance->valid());
    instance->restorePatch(tortureKit());
    instance->activate();
    return instance;
}

long nonFinite(const Instance& instance, uint32_t frames) {
    long bad = 0;
    for (int c = 0; c < kOutputs; ++c)
        for (uint32_t i = 0; i < frames; ++i)
            if (!std::isfinite(instance.output(c)[i])) ++bad;
    return bad;
}

// The test note on a kit restored afresh, the ports left as they stand.
std::vector<float> testNote(Instance& instance) {
    instance.reconnect();
    instance.restorePatch(tortureKit());
    for (uint8_t channel = 0; channel < 16; ++channel) instance.midi(0, uint8_t(0xB0 | channel), 120, 0);
    for (int block = 0; block < 3 * 44100 / 4096 + 1; ++block) instance.run(4096);
    instance.midi(5, 0x90, 44, 100);
    std::vector<float> heard;
    for (int block = 0; block < 8; ++block) {
        instance.run(512);
        heard.insert(heard.end(), instance.output(8), instance.output(8) + 512);
    }
    return heard;
}

testing::AssertionResult lv2StillHealthy(Instance& tortured, long badFrames) {
    if (badFrames != 0) return testing::AssertionFailure() << badFrames << " output values were not finite";
    auto fresh = started();
    const std::vector<float> expected = testNote(*fresh);
    const std::vector<float> heard = testNote(tortured);
    bool audible = false, same = true, negated = true;
    for (size_t i = 0; i < expected.size(); ++i) {
        audible = audible || expected[i] != 0.0f;
        same = same && heard[i] == expected[i];
        negated = negated && heard[i] == -expected[i];
    }
    if (!audible) return testing::AssertionFailure() << "the fresh instance played no test note";
    if (!same && !negated) return testing::AssertionFailure() << "the test note sounds different from a fresh instance's";
    const std::vector<uint8_t> image = tortured.savedPatch();
    Instance restored;
    if (image.empty() || restored.restorePatch(image) != LV2_STATE_SUCCESS || restored.savedPatch() != image)
        return testing::AssertionFailure() << "its state (" << image.size() << " bytes) does not restore to itself";
    return testing::AssertionSuccess();
}

class Lv2Torture : public ::testing::Test {
protected:
    void SetUp() override { audit::reset(); }
};

// Events no host should send: frames outside the block and out of order,
// hundreds at once, SysEx and stray bytes, messages that are atoms of our
// types with damaged bodies, and requests that are well formed.
void hostileEvents(Instance& instance, std::mt19937& rng, uint32_t frames, const std::string& folder) {
    const KitUris& u = lv2host::kitUris();
    const int count = pick(rng, 0, 4) == 0 ? pick(rng, 100, 400) : pick(rng, 0, 12);
    for (int e = 0; e < count; ++e) {
        int64_t at = pick(rng, 0, int(frames));
        if (pick(rng, 0, 9) == 0) at = -pick(rng, 1, 100000);
        if (pick(rng, 0, 9) == 0) at = frames + uint32_t(pick(rng, 0, 1000000));
        uint8_t bytes[64];
        for (uint8_t& b : bytes) b = uint8_t(rng());
        switch (pick(rng, 0, 7)) {
            case 0: instance.rawEvent(at, u.midiEvent, bytes, uint32_t(pick(rng, 0, 8))); break;
            case 1: instance.midi(at, uint8_t(0xB0 | pick(rng, 0, 15)), uint8_t(pick(rng, 0, 1) ? 120 : 123), 0); break;
            case 2: {
                // An object of one of our types whose body is noise.
                const LV2_URID types[] = {u.patchSet, u.patchGet, u.preview, u.padState};
                reinterpret_cast<LV2_Atom_Object_Body*>(bytes)->otype = types[pick(rng, 0, 3)];
                instance.rawEvent(at, u.atomObject, bytes, uint32_t(pick(rng, 8, 64)));
                break;
            }
            case 3: {
                KitRequest request;
                request.kind = RequestKind(pick(rng, 0, 6));
                request.pad = pick(rng, -2, 17);
                request.on = pick(rng, 0, 1) == 1;
                const std::string path = folder + "/" + std::to_string(pick(rng, 0, 3)) + ".bin";
                std::strcpy(request.text, request.kind == RequestKind::RenamePad ? "Tortured" : path.c_str());
                if (isWellFormed(request)) instance.request(request);
                break;
            }
            default:
                instance.midi(at, uint8_t(0x90 | pick(rng, 0, 3)), padKey(rng), uint8_t(pick(rng, 1, 127)));
        }
    }
}

TEST_F(Lv2Torture, HostileBlocksEventsPortsAndMessages) {
    constexpr uint32_t kBlocks[] = {0, 1, 2, 3, 31, 511, 512, 513, 1024, 1025, 4096, 8192};
    TempDir folder;
    // Kits and files for the requests to find: patches, a non-patch, a WAV-less name.
    folder.write("0.bin", tortureKit());
    folder.write("1.bin", patchbytes::encode(patchbytes::Kit{}));
    folder.write("2.bin", {1, 2, 3});
    for (int seed = 0; seed < iterations(3, 30); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto instance = started(512);  // blocks past 512 are longer than announced
        long bad = 0;
        for (int call = 0; call < 150; ++call) {
            const uint32_t frames = kBlocks[pick(rng, 0, 11)];
            if (pick(rng, 0, 3) == 0)
                for (int p = 0; p < 10; ++p) instance->setting(pick(rng, 0, kSettingPortCount - 1)) = wildPortValue(rng);
            if (pick(rng, 0, 20) == 0) instance->disconnectOutput(pick(rng, 0, kOutputs - 1));
            hostileEvents(*instance, rng, frames, folder.path());
            instance->run(frames);
            bad += nonFinite(*instance, frames);
        }
        EXPECT_TRUE(lv2StillHealthy(*instance, bad));
        EXPECT_TRUE(audioCallsStayedClean());
    }
}

TEST_F(Lv2Torture, ActivationsBetweenBlocks) {
    for (int seed = 0; seed < iterations(3, 30); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto instance = started();
        long bad = 0;
        for (int turn = 0; turn < 30; ++turn) {
            instance->midi(pick(rng, 0, 127), 0x90, padKey(rng), 100);
            const uint32_t frames = uint32_t(pick(rng, 1, 600));
            instance->run(frames);
            bad += nonFinite(*instance, frames);
            instance->deactivate();
            instance->activate();
        }
        EXPECT_TRUE(lv2StillHealthy(*instance, bad));
        EXPECT_TRUE(audioCallsStayedClean());
    }
}

// A host's worker thread carries out kit edits, and its user-interface
// thread saves the state, while the audio runs; the audio thread answers.
TEST_F(Lv2Torture, WorkAndSavesWhileRendering) {
    TempDir folder;
    const std::string kit = folder.write("kit.bin", tortureKit());
    for (int seed = 0; seed < iterations(2, 20); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto instance = started();
        const auto* worker = static_cast<const LV2_Worker_Interface*>(
            lilv_instance_get_extension_data(instance->lilv(), LV2_WORKER__interface));
        LV2_Handle handle = lilv_instance_get_handle(instance->lilv());
        std::atomic<bool> done{false};
        std::thread editor([&, seed] {
            std::mt19937 side(unsigned(seed) + 500);
            auto ignore = [](LV2_Worker_Respond_Handle, uint32_t, const void*) { return LV2_WORKER_SUCCESS; };
            while (!done.load()) {
                KitRequest request;
                const int what = pick(side, 0, 3);
                request.kind = what == 0 ? RequestKind::LoadPatch : what == 1 ? RequestKind::RemoveSample
                                                                              : RequestKind::RenamePad;
                request.pad = pick(side, 0, 14);  // the test note's pad 4 may be edited: the check restores the kit
                std::strcpy(request.text, request.kind == RequestKind::LoadPatch ? kit.c_str() : "Edited");
                if (what == 3) {
                    instance->savedPatch();
                } else {
                    worker->work(handle, ignore, nullptr, sizeof request, &request);
                }
            }
        });
        long bad = 0;
        for (int block = 0; block < 300; ++block) {
            instance->midi(0, 0x90, padKey(rng), 100);
            const uint32_t frames = uint32_t(pick(rng, 1, 2048));
            instance->run(frames);
            bad += nonFinite(*instance, frames);
        }
        done = true;
        editor.join();
        EXPECT_TRUE(lv2StillHealthy(*instance, bad));
        EXPECT_TRUE(audioCallsStayedClean());
    }
}

// The audit sees what run would do wrong: a state save, which copies the
// patch under the edit lock, made inside an audited call.
TEST_F(Lv2Torture, TheAuditSeesThePluginAllocateAndLock) {
    if (!audit::counting()) GTEST_SKIP() << "this build does not count";
    auto instance = started();
    audit::enter(false);
    instance->savedPatch();
    audit::leave();
    EXPECT_GE(audit::forbidden(), 1);
    audit::reset();
}

}  // namespace
}  // namespace torture
