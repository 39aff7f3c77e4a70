// The hostile sequences a validator runs against a plug-in before a host
// trusts it. Each runs seeded iterations and names its seed on failure; after
// each, every output value must have been finite, the instance must play a
// test note as a fresh one does and its chunk must restore, and the audio
// calls must have allocated, freed and locked nothing.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "Audit.h"
#include "PatchBytes.h"
#include "TortureHost.h"

namespace torture {
namespace {

constexpr float kRates[] = {8000.0f,  11025.0f, 22050.0f,  32000.0f, 44100.0f,
                            48000.0f, 96000.0f, 192000.0f, 384000.0f};
constexpr int32_t kBlockSizes[] = {1, 2, 3, 31, 32, 33, 1024, 1025, 4096, 8192};

int pick(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

// A few hits at offsets inside the block, on keys the kit plays.
std::vector<Event> hits(std::mt19937& rng, int32_t frames, int count) {
    std::vector<Event> events;
    for (int e = 0; e < count; ++e)
        events.push_back({pick(rng, 0, std::max(frames - 1, 0)), uint8_t(0x90 | pick(rng, 0, 3)), padKey(rng),
                          uint8_t(pick(rng, 1, 127))});
    return events;
}

// A value a host should never send, or an ordinary one.
float wildValue(std::mt19937& rng) {
    switch (pick(rng, 0, 7)) {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -std::numeric_limits<float>::infinity();
        case 3: return -std::uniform_real_distribution<float>(0.0f, 1e6f)(rng);
        case 4: return 1.0f + std::uniform_real_distribution<float>(0.0f, 1e6f)(rng);
        case 5: return std::numeric_limits<float>::denorm_min();
        default: return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
    }
}

class Torture : public ::testing::Test {
protected:
    void SetUp() override { audit::reset(); }
    // The checks every sequence ends with.
    void expectHealthy(Instance& instance) {
        EXPECT_TRUE(stillHealthy(instance));
        EXPECT_TRUE(audioCallsStayedClean());
    }
    // Each seed: a started instance, `side` on a second thread for as long as
    // `audio` plays its blocks on this one, then the checks.
    template <typename Side, typename Audio>
    void withSecondThread(int seeds, unsigned sideSeeds, Side side, Audio audio) {
        for (int seed = 0; seed < seeds; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            std::mt19937 rng(seed);
            Instance instance;
            instance.start();
            std::atomic<bool> done{false};
            std::thread other(side, std::ref(instance), std::ref(done), unsigned(seed) + sideSeeds);
            audio(instance, rng);
            done = true;
            other.join();
            expectHealthy(instance);
        }
    }
};

TEST_F(Torture, AThousandInstancesOneAfterAnother) {
    std::mt19937 rng(1);
    for (int i = 0; i < 1000; ++i) {
        Instance instance;
        ASSERT_TRUE(instance.valid()) << "instance " << i;
        instance.start(kRates[i % 9], 256);
        instance.sendEvents(hits(rng, 64, 2));
        instance.process(64);
        ASSERT_EQ(instance.nonFiniteFrames(), 0) << "instance " << i;
    }
    EXPECT_TRUE(audioCallsStayedClean());
}

TEST_F(Torture, ThirtyTwoInstancesPlayingAtOnce) {
    const int rounds = iterations(2, 20);
    for (int seed = 0; seed < rounds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        std::vector<std::unique_ptr<Instance>> instances;
        for (int i = 0; i < 32; ++i) {
            instances.push_back(std::make_unique<Instance>());
            ASSERT_TRUE(instances.back()->valid());
            instances.back()->start();
        }
        for (int block = 0; block < 40; ++block)
            for (auto& instance : instances) {
                instance->sendEvents(hits(rng, 256, pick(rng, 0, 3)));
                instance->process(256);
            }
        for (auto& instance : instances) ASSERT_EQ(instance->nonFiniteFrames(), 0);
        expectHealthy(*instances[size_t(seed) % 32]);
    }
}

TEST_F(Torture, BlockSizesChangeEveryCall) {
    for (int seed = 0; seed < iterations(3, 40); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Instance instance;
        instance.start(44100.0f, 512);  // every block longer than 512 is more than announced
        for (int call = 0; call < 120; ++call) {
            const int32_t frames = kBlockSizes[pick(rng, 0, 9)];
            instance.sendEvents(hits(rng, frames, pick(rng, 0, 4)));
            instance.process(frames);
        }
        expectHealthy(instance);
    }
}

TEST_F(Torture, RatesChangeBetweenBlocks) {
    for (int seed = 0; seed < iterations(3, 40); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Instance instance;
        instance.start();
        for (int change = 0; change < 40; ++change) {
            const bool suspending = pick(rng, 0, 1) == 1;
            if (suspending) instance.dispatch(effMainsChanged, 0, 0);
            instance.dispatch(effSetSampleRate, 0, 0, nullptr, kRates[pick(rng, 0, 8)]);
            if (suspending) instance.dispatch(effMainsChanged, 0, 1);
            for (int block = 0; block < 4; ++block) {
                instance.sendEvents(hits(rng, 256, pick(rng, 0, 3)));
                instance.process(256);
            }
        }
        expectHealthy(instance);
    }
}

TEST_F(Torture, SuspendAndResumeMidNote) {
    for (int seed = 0; seed < iterations(3, 40); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Instance instance;
        instance.start();
        for (int turn = 0; turn < 30; ++turn) {
            instance.sendEvents(hits(rng, 128, 3));
            instance.process(pick(rng, 1, 600));
            instance.dispatch(effMainsChanged, 0, 0);
            EXPECT_EQ(instance.sendEvents(hits(rng, 128, 2)), 0) << "events while suspended are refused";
            instance.process(128);
            instance.dispatch(effMainsChanged, 0, 1);
            instance.process(pick(rng, 1, 600));
        }
        expectHealthy(instance);
    }
}

TEST_F(Torture, ParametersTakeAnyValue) {
    for (int seed = 0; seed < iterations(3, 40); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Instance instance;
        instance.start();
        for (int round = 0; round < 3; ++round) {
            for (VstInt32 index = 0; index < kParams; ++index) instance.setParameter(index, wildValue(rng));
            for (VstInt32 index = 0; index < kParams; ++index) {
                const float value = instance.getParameter(index);
                EXPECT_TRUE(value >= 0.0f && value <= 1.0f) << "parameter " << index << " reads " << value;
                char text[64] = {};
                instance.dispatch(effGetParamDisplay, index, 0, text);
                EXPECT_LT(std::strlen(text), 17u) << "parameter " << index;
            }
            for (int block = 0; block < 20; ++block) {
                instance.sendEvents(hits(rng, 512, 4));
                instance.process(512);
            }
        }
        expectHealthy(instance);
    }
}

// A second thread plays the host's automation while the audio runs.
void automate(Instance& instance, std::atomic<bool>& done, unsigned seed) {
    std::mt19937 rng(seed);
    while (!done.load()) instance.setParameter(pick(rng, 0, kParams - 1), wildValue(rng));
}

TEST_F(Torture, ParametersSetWhileRendering) {
    withSecondThread(iterations(2, 20), 100, automate, [](Instance& instance, std::mt19937& rng) {
        for (int block = 0; block < 300; ++block) {
            const int32_t frames = kBlockSizes[pick(rng, 0, 9)];
            instance.sendEvents(hits(rng, frames, pick(rng, 0, 3)));
            instance.process(frames);
        }
    });
}

TEST_F(Torture, ParametersSetDuringProcessEvents) {
    withSecondThread(iterations(2, 20), 200, automate, [](Instance& instance, std::mt19937& rng) {
        for (int block = 0; block < 300; ++block) {
            for (int burst = 0; burst < 4; ++burst) instance.sendEvents(hits(rng, 64, 8));
            instance.process(64);
        }
    });
}

// The host saves and restores the song while the audio runs, handing back
// the plug-in's own chunk, the kit, and bytes that are no patch.
void saveAndRestore(Instance& instance, std::atomic<bool>& done, unsigned seed) {
    std::mt19937 rng(seed);
    while (!done.load()) {
        void* data = nullptr;
        const VstIntPtr size = instance.dispatch(effGetChunk, 0, 0, &data);
        switch (pick(rng, 0, 2)) {
            case 0: instance.dispatch(effSetChunk, 0, size, data); break;  // its own image, as handed out
            case 1: instance.setChunk(tortureKit()); break;
            default: {
                std::vector<uint8_t> damaged = tortureKit();
                damaged[size_t(pick(rng, 0, int(damaged.size()) - 1))] ^= uint8_t(pick(rng, 1, 255));
                instance.setChunk(damaged);
            }
        }
    }
}

TEST_F(Torture, ChunksWhileRendering) {
    withSecondThread(iterations(2, 20), 300, saveAndRestore, [](Instance& instance, std::mt19937& rng) {
        for (int block = 0; block < 300; ++block) {
            const int32_t frames = kBlockSizes[pick(rng, 0, 7)];
            instance.sendEvents(hits(rng, frames, pick(rng, 0, 3)));
            instance.process(frames);
        }
    });
}

// Streams no sequencer should send: offsets outside the block, hundreds of
// events in one block, every channel at once, releases of keys never held,
// all-notes-off in the middle of rolls, SysEx among the notes.
std::vector<Event> hostileBlock(std::mt19937& rng, int32_t frames) {
    std::vector<Event> events;
    const int count = pick(rng, 0, 3) == 0 ? pick(rng, 200, 900) : pick(rng, 0, 20);
    for (int e = 0; e < count; ++e) {
        int32_t delta = pick(rng, 0, frames);
        if (pick(rng, 0, 9) == 0) delta = pick(rng, -100000, -1);
        if (pick(rng, 0, 9) == 0) delta = pick(rng, frames, 2000000);
        const uint8_t channel = uint8_t(pick(rng, 0, 15));
        switch (pick(rng, 0, 6)) {
            case 0: events.push_back({delta, uint8_t(0x80 | channel), uint8_t(pick(rng, 0, 127)), 0}); break;
            case 1: events.push_back({delta, uint8_t(0xB0 | channel), uint8_t(pick(rng, 0, 1) ? 120 : 123), 0}); break;
            case 2: events.push_back({delta, 0xF0, 0x7E, 0x7F, true}); break;
            case 3: events.push_back({delta, uint8_t(pick(rng, 0, 255)), uint8_t(pick(rng, 0, 255)),
                                      uint8_t(pick(rng, 0, 255))});
                    break;
            default: {
                // A roll: the same key again and again.
                const uint8_t key = padKey(rng);
                for (int r = 0; r < 4; ++r)
                    events.push_back({delta + r, uint8_t(0x90 | channel), key, uint8_t(pick(rng, 1, 127))});
            }
        }
    }
    if (events.size() > size_t(kMaxEvents)) events.resize(kMaxEvents);
    return events;
}

TEST_F(Torture, HostileMidi) {
    for (int seed = 0; seed < iterations(3, 40); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Instance instance;
        instance.start();
        for (int block = 0; block < 80; ++block) {
            const int32_t frames = kBlockSizes[pick(rng, 0, 9)];
            instance.sendEvents(hostileBlock(rng, frames));
            instance.process(frames);
        }
        expectHealthy(instance);
    }
}

// --- Edits and the sound -------------------------------------------------

constexpr int kQuietPad = 15;  // its key, 57, is never played below
constexpr int kQuietNote = kQuietPad * kParamsPerPad + 11;

// Every output frame of blocks of seeded sizes with hits on every pad but
// the quiet one; paced as a host's audio is when realTime is set.
std::vector<float> playAllButTheQuietPad(Instance& instance, unsigned seed, bool realTime) {
    constexpr int32_t kHostBlocks[] = {32, 64, 100, 128, 256, 512, 1024, 1500};
    std::mt19937 rng(seed);
    std::vector<float> heard;
    for (int block = 0; block < 300; ++block) {
        const int32_t frames = kHostBlocks[pick(rng, 0, 7)];
        std::vector<Event> events = hits(rng, frames, pick(rng, 0, 3));
        for (Event& event : events)
            if (event.data1 == 57) event.data1 = 36;
        instance.sendEvents(events);
        const auto due = std::chrono::steady_clock::now() + std::chrono::microseconds(frames * 1000000 / 44100);
        instance.process(frames);
        for (int o = 0; o < kOutputs; ++o) heard.insert(heard.end(), instance.output(o), instance.output(o) + frames);
        if (realTime) std::this_thread::sleep_until(due);
    }
    return heard;
}

// Edits of the quiet pad alone: any value of any of its settings but its key,
// and kits that are the torture kit but for the quiet pad.
void editTheQuietPad(Instance& instance, std::atomic<bool>& done, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> kit = tortureKit();
    const size_t volume = patchbytes::padRecordAt(kQuietPad) + patchbytes::field::volume;
    while (!done.load()) {
        const int index = kQuietPad * kParamsPerPad + pick(rng, 2, 14);
        if (index != kQuietNote) instance.setParameter(index, wildValue(rng));
        if (pick(rng, 0, 20) == 0) {
            kit[volume + 3] = uint8_t(pick(rng, 0x3C, 0x40));  // another volume's exponent
            instance.setChunk(kit);
        }
    }
}

// No span falls silent or comes late while another thread edits: the sound
// is the same, bit for bit, as without the edits, at full speed and in real
// time.
TEST_F(Torture, EditsOfAPadThatNeverPlaysChangeNoSound) {
    for (bool realTime : {false, true}) {
        for (int seed = 0; seed < (realTime ? iterations(1, 5) : iterations(3, 20)); ++seed) {
            SCOPED_TRACE((realTime ? "real time, seed " : "full speed, seed ") + std::to_string(seed));
            Instance alone;
            alone.start();
            const std::vector<float> expected = playAllButTheQuietPad(alone, unsigned(seed), false);
            Instance edited;
            edited.start();
            std::atomic<bool> done{false};
            std::thread editor(editTheQuietPad, std::ref(edited), std::ref(done), unsigned(seed) + 400);
            const std::vector<float> heard = playAllButTheQuietPad(edited, unsigned(seed), realTime);
            done = true;
            editor.join();
            ASSERT_EQ(heard.size(), expected.size());
            EXPECT_EQ(std::memcmp(heard.data(), expected.data(), heard.size() * sizeof(float)), 0);
            expectHealthy(edited);
        }
    }
}

// Blocks of 256 frames with a hit of pad 4 at the start of every eighth; the
// pad's volume set to a quarter before block changeAt (never, when past the
// end), or by another thread at any moment after block 40 has played and
// before block 160 starts.
std::vector<float> playPadFour(Instance& instance, int changeAt, bool fromAnotherThread) {
    constexpr int kVolume = 4 * kParamsPerPad + 2;
    std::atomic<int> played{0};
    std::atomic<bool> changed{false};
    std::thread editor;
    if (fromAnotherThread) {
        editor = std::thread([&] {
            while (played.load() < 40) std::this_thread::yield();
            instance.setParameter(kVolume, 0.25f);
            changed.store(true);
        });
    }
    std::vector<float> heard;
    for (int block = 0; block < 200; ++block) {
        if (block == 160)
            while (fromAnotherThread && !changed.load()) std::this_thread::yield();
        if (block == changeAt) instance.setParameter(kVolume, 0.25f);
        if (block % 8 == 0) instance.sendEvents({{0, 0x90, 44, 100}});
        instance.process(256);
        heard.insert(heard.end(), instance.output(8), instance.output(8) + 256);  // pad 4's pair
        played.store(block + 1);
    }
    if (editor.joinable()) editor.join();
    return heard;
}

// A setting of a playing pad changed from another thread takes effect at one
// span boundary, exactly as the same change made there on the audio thread.
TEST_F(Torture, AChangeFromAnotherThreadTakesEffectAtASpanBoundary) {
    Instance baseline;
    baseline.start();
    const std::vector<float> unchanged = playPadFour(baseline, 1000, false);
    for (int round = 0; round < iterations(5, 50); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Instance instance;
        instance.start();
        const std::vector<float> heard = playPadFour(instance, 1000, true);
        size_t first = 0;
        while (first < heard.size() && heard[first] == unchanged[first]) ++first;
        ASSERT_LT(first, heard.size()) << "the change was never heard";
        Instance reference;
        reference.start();
        const std::vector<float> expected = playPadFour(reference, int(first / 256), false);
        EXPECT_EQ(std::memcmp(heard.data(), expected.data(), heard.size() * sizeof(float)), 0)
            << "first changed frame " << first;
    }
}

// The audit sees the plug-in's own allocations and locks: a chunk, which
// the plug-in copies under its edit lock, made inside an audited call.
TEST_F(Torture, TheAuditSeesThePluginAllocateAndLock) {
    if (!audit::counting()) GTEST_SKIP() << "this build does not count";
    Instance instance;
    instance.start();
    void* data = nullptr;
    audit::enter(false);
    instance.dispatch(effGetChunk, 0, 0, &data);
    audit::leave();
    EXPECT_GE(audit::forbidden(), 2) << "the copy's allocation and the lock are seen";
    audit::reset();
}

}  // namespace
}  // namespace torture
