// The lane renderer held to the plain chain, bit for bit, over random kits,
// settings, songs and host blocks, at both widths: every span's outputs and
// answer, and every voice and pad after it. The lanes keep their voices from
// span to span; before and after every span they must hold exactly what
// filling them anew would give them. `make fuzz` plays random seeds for as
// long as the fuzzers run (LANE_FUZZ set; FUZZ_SECONDS, 20 by default).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "CoreUnderTest.h"
#include "LaneCases.h"
#include "engine/Kit.h"
#include "engine/LaneLayout.h"
#include "engine/Notes.h"
#include "engine/PadParameters.h"
#include "engine/Render.h"
#include "files/PadSample.h"

#ifndef ZEL_LANE_CASES
#define ZEL_LANE_CASES 2000
#endif

namespace {

// What the cases covered, so that a generator gone quiet cannot pass.
struct Coverage {
    int64_t voiceFrames = 0;
    int fullSpans = 0;   // all 24 voices sounding
    int endings = 0;     // spans in which a voice ended
    int keptSpans = 0;   // spans the lanes began with the voices they held before
    int soundingEdits = 0;  // edits of a pad while it sounded
    int wideSpans = 0;   // spans in groups of 8 lanes
};

// What the lanes hold, if anything, as a text that names the case.
std::string heldDrift(LanePlayer& player, uint32_t seed, int span, const char* when) {
    const char* drift = laneLayoutDrift(player.synth());
    if (drift == nullptr) return {};
    return "seed " + std::to_string(seed) + ", " + (player.path() == RenderPath::Lanes8 ? "8" : "4") +
           " lanes, " + when + " span " + std::to_string(span) + ": the lanes hold stale state: " + drift;
}

int sounding(const DrumKit& kit) {
    int count = 0;
    for (const Voice& voice : kit.voices) count += voice.pad != nullptr;
    return count;
}

// Marks the scratch buffer, which only the plain chain writes.
void markScratch(LanePlayer& player) {
    DrumSynth& synth = player.synth();
    for (int32_t i = 0; i < synth.blockLength; ++i) synth.kit->scratch[i] = -3.0f;
}

bool scratchUntouched(LanePlayer& player) {
    DrumSynth& synth = player.synth();
    for (int32_t i = 0; i < synth.blockLength; ++i)
        if (synth.kit->scratch[i] != -3.0f) return false;
    return true;
}

std::vector<RenderPath> lanePaths() {
    std::vector<RenderPath> paths = {RenderPath::Lanes4};
    if (cpuRunsAvx2()) paths.push_back(RenderPath::Lanes8);
    return paths;
}

// Plays one case through the plain chain and every lane width in lockstep;
// answers the first difference, or "".
std::string playCase(uint32_t seed, Coverage& coverage) {
    const LaneCase c = makeLaneCase(seed);
    LanePlayer plain(c, RenderPath::Plain);
    std::vector<std::unique_ptr<LanePlayer>> lanes;
    for (RenderPath path : lanePaths()) {
        lanes.emplace_back(new LanePlayer(c, path));
        if (lanes.back()->synth().kit->renderPath != path) return "the kit refused its render path";
        markScratch(*lanes.back());
    }
    for (int span = 0;; ++span) {
        const int before = sounding(*plain.synth().kit);
        const bool more = plain.nextSpan();
        for (auto& player : lanes) {
            const lanes::Layout& layout = player->synth().kit->laneWork.layout;
            const bool held = layout.held && layout.memberCount != 0;
            const uint32_t fills = layout.fills;
            if (player->nextSpan() != more) return "the players fell out of step";
            coverage.keptSpans += more && held && layout.fills == fills;
            coverage.wideSpans += more && layout.held && layout.width == 8;
            const std::string drift = heldDrift(*player, seed, span, "after");
            if (!drift.empty()) return drift;
        }
        if (!more) break;
        coverage.voiceFrames += int64_t(before) * plain.spanLength();
        coverage.fullSpans += before == kVoiceCount;
        coverage.endings += plain.answer() != 0 && sounding(*plain.synth().kit) < before;
        coverage.soundingEdits += plain.editsOfSoundingPads();
        for (auto& player : lanes) {
            const std::string difference = laneDifference(plain, *player);
            if (!difference.empty())
                return "seed " + std::to_string(seed) + ", " +
                       (player->path() == RenderPath::Lanes8 ? "8" : "4") + " lanes, span " +
                       std::to_string(span) + ": " + difference;
        }
    }
    for (auto& player : lanes)
        if (!scratchUntouched(*player)) return "seed " + std::to_string(seed) + ": the plain chain played the lanes' voices";
    return {};
}

}  // namespace

TEST(LaneRender, EveryWidthMatchesThePlainChainBitForBit) {
    Coverage coverage;
    for (uint32_t seed = 1; seed <= ZEL_LANE_CASES; ++seed) ASSERT_EQ(playCase(seed, coverage), "");
    std::printf("%lld voice-frames, %d spans with all 24 voices, %d with voices ending, %d kept from the span "
                "before, %d edits of sounding pads, %d spans in 8 lanes\n",
                static_cast<long long>(coverage.voiceFrames), coverage.fullSpans, coverage.endings,
                coverage.keptSpans, coverage.soundingEdits, coverage.wideSpans);
    EXPECT_GT(coverage.voiceFrames, int64_t(ZEL_LANE_CASES) * 20000);
    EXPECT_GT(coverage.fullSpans, ZEL_LANE_CASES / 8);
    EXPECT_GT(coverage.endings, ZEL_LANE_CASES);
    EXPECT_GT(coverage.keptSpans, ZEL_LANE_CASES * 2);
    EXPECT_GT(coverage.soundingEdits, ZEL_LANE_CASES / 4);
    if (cpuRunsAvx2()) {
        EXPECT_GT(coverage.wideSpans, ZEL_LANE_CASES);
    }
}

TEST(LaneRender, AWidthTheMachineLacksFallsBackToFour) {
    EXPECT_EQ(supportedRenderPath(RenderPath::Plain), RenderPath::Plain);
    EXPECT_EQ(supportedRenderPath(RenderPath::Lanes4), RenderPath::Lanes4);
    EXPECT_EQ(supportedRenderPath(RenderPath::Lanes8), cpuRunsAvx2() ? RenderPath::Lanes8 : RenderPath::Lanes4);
    EXPECT_EQ(fastestRenderPath(), supportedRenderPath(RenderPath::Lanes8));
}

// A cascaded filter is beyond the lanes: such a span goes to the plain chain,
// whole, and sounds the same.
TEST(LaneRender, AVoiceTheLanesCannotRunSendsItsSpanToThePlainChain) {
    std::vector<uint32_t> words(3000);
    for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint32_t>((i * 7919) & 0xFFFF);
    const std::vector<uint8_t> wav = wavImage(1, 2, false, 44100, words);
    std::vector<float> heard[2];
    for (RenderPath path : {RenderPath::Plain, RenderPath::Lanes4}) {
        CoreUnderTest core(44100.0f);
        DrumSynth& synth = core.synth();
        chooseRenderPath(*synth.kit, path);
        for (int p = 0; p < 2; ++p) loadPadSampleBytes(synth, p, wav.data(), static_cast<int64_t>(wav.size()), "a.wav");
        Pad& pad = synth.kit->pads[0];
        pad.lowCut = 300.0f;
        pad.lowCutFilter.type = Biquad::HighPassCascade;
        pad.lowCutFilter.freq = 300.0f;
        pad.lowCutFilter.design(44100.0f);
        ASSERT_TRUE(pad.lowCutFilter.flags & Biquad::kCascade);
        noteEvent(synth, 0x90, pad.note, 100);
        noteEvent(synth, 0x90, synth.kit->pads[1].note, 90);
        for (int32_t i = 0; i < synth.blockLength; ++i) synth.kit->scratch[i] = -3.0f;
        std::vector<float> outputs(16 * 512);
        float* pointers[16];
        for (int o = 0; o < 16; ++o) pointers[o] = outputs.data() + o * 512;
        renderBlock(synth, pointers, 512);
        EXPECT_NE(synth.kit->scratch[0], -3.0f) << "the plain chain played the span";
        heard[path == RenderPath::Plain ? 0 : 1] = outputs;
    }
    EXPECT_EQ(std::memcmp(heard[0].data(), heard[1].data(), heard[0].size() * sizeof(float)), 0);
    EXPECT_NE(heard[0][100], 0.0f);
}

namespace {

// A kit whose lanes hold six voices of four pads, one with its low cut on.
struct HeldLanes {
    CoreUnderTest core{44100.0f};
    DrumSynth& synth = core.synth();
    DrumKit& kit = *synth.kit;
    std::vector<float> outputs = std::vector<float>(16 * 256);
    float* pointers[16];

    HeldLanes() {
        std::vector<uint32_t> words(20000);
        for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint32_t>((i * 7919) & 0xFFFF);
        const std::vector<uint8_t> wav = wavImage(1, 2, false, 44100, words);
        for (int p = 0; p < 4; ++p) loadPadSampleBytes(synth, p, wav.data(), static_cast<int64_t>(wav.size()), "a.wav");
        setPadParameter(synth, 1 * kParamsPerPad + ParamLow, 0.05f);
        for (int p = 0; p < 4; ++p) noteEvent(synth, 0x90, kit.pads[p].note, 100);
        noteEvent(synth, 0x90, kit.pads[0].note, 60);
        noteEvent(synth, 0x90, kit.pads[2].note, 70);
        for (int o = 0; o < 16; ++o) pointers[o] = outputs.data() + o * 256;
        render();
    }
    void render() { renderBlock(synth, pointers, 256); }
    int freeSlot() const {
        for (int v = 0; v < kVoiceCount; ++v)
            if (kit.voices[v].pad == nullptr) return v;
        return -1;
    }
};

}  // namespace

// Every kind of change the lanes must be told of, made behind their back:
// the check names it, and once they are released it has nothing to say.
TEST(LaneRender, AChangeBehindTheLanesBackIsFound) {
    struct Row {
        const char* change;
        void (*make)(HeldLanes&);
    };
    const Row rows[] = {
        {"a voice starts", [](HeldLanes& h) { h.kit.voices[h.freeSlot()].pad = &h.kit.pads[0]; }},
        {"a voice ends", [](HeldLanes& h) { h.kit.voices[1].pad = nullptr; }},
        {"a pad's volume", [](HeldLanes& h) { h.kit.pads[2].volume = 0.5f; }},
        {"a pad's pan", [](HeldLanes& h) { h.kit.pads[3].pan = 0.0f; }},
        {"a pad's output pair", [](HeldLanes& h) { h.kit.pads[3].channel = 5; }},
        {"a pad's pitch", [](HeldLanes& h) { h.kit.pads[0].pitch = 1.5f; }},
        {"a pad's sample", [](HeldLanes& h) { std::swap(h.kit.pads[2].samples, h.kit.pads[3].samples); }},
        {"a pad's length", [](HeldLanes& h) { h.kit.pads[2].frameCount -= 1; }},
        {"a pad's bits", [](HeldLanes& h) { h.kit.pads[0].bitIndex = 3; }},
        {"a pad's hold", [](HeldLanes& h) { h.kit.pads[0].holdRatio *= 0.5f; }},
        {"a filter design", [](HeldLanes& h) { *h.kit.pads[1].lowCutFilter.coef[Biquad::B0] *= 0.5f; }},
        {"a filter switched on", [](HeldLanes& h) { h.kit.pads[3].highCut = 9000.0f; }},
        {"the host's rate", [](HeldLanes& h) { h.synth.hostRateInverse *= 0.5f; }},
        {"the fade step", [](HeldLanes& h) { h.kit.fadeOutStep *= 2.0f; }},
        {"the render path", [](HeldLanes& h) { h.kit.renderPath = RenderPath::Plain; }},
    };
    for (const Row& row : rows) {
        HeldLanes held;
        ASSERT_TRUE(held.kit.laneWork.layout.held) << row.change;
        ASSERT_EQ(laneLayoutDrift(held.synth), nullptr) << row.change;
        row.make(held);
        EXPECT_NE(laneLayoutDrift(held.synth), nullptr) << row.change << " went unnoticed";
        releaseLanes(held.kit, kAllPads);
        EXPECT_EQ(laneLayoutDrift(held.synth), nullptr) << row.change;
    }
}

// A release names only what it touches: a pad no voice plays leaves the
// lanes as they are; one a voice plays, or a new voice, refills them.
TEST(LaneRender, OnlyAChangeToWhatTheLanesPlayRefillsThem) {
    HeldLanes held;
    const uint32_t fills = held.kit.laneWork.layout.fills;
    setPadParameter(held.synth, 9 * kParamsPerPad + ParamVolume, 0.2f);
    noteEvent(held.synth, 0x80, held.kit.pads[0].note, 0);
    held.render();
    EXPECT_EQ(held.kit.laneWork.layout.fills, fills) << "an edit of a silent pad or a release refilled the lanes";
    setPadParameter(held.synth, 2 * kParamsPerPad + ParamVolume, 0.2f);
    held.render();
    EXPECT_EQ(held.kit.laneWork.layout.fills, fills + 1);
    noteEvent(held.synth, 0x90, held.kit.pads[3].note, 90);
    held.render();
    EXPECT_EQ(held.kit.laneWork.layout.fills, fills + 2);
}

#ifndef NDEBUG
// Debug builds stop at the first span that would play stale lanes.
TEST(LaneRenderDeathTest, DebugBuildsStopAtAChangeBehindTheLanesBack) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            HeldLanes held;
            held.kit.pads[2].volume = 0.5f;
            held.render();
        },
        "behind their back");
}
#endif

TEST(LaneFuzz, RandomSeedsForAsLongAsTheFuzzersRun) {
    if (std::getenv("LANE_FUZZ") == nullptr) GTEST_SKIP() << "set LANE_FUZZ (make fuzz does)";
    const char* seconds = std::getenv("FUZZ_SECONDS");
    const auto budget = std::chrono::seconds(seconds != nullptr ? std::atoi(seconds) : 20);
    const auto start = std::chrono::steady_clock::now();
    auto seed = static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
    Coverage coverage;
    int cases = 0;
    while (std::chrono::steady_clock::now() - start < budget) {
        ASSERT_EQ(playCase(seed++, coverage), "");
        ++cases;
    }
    std::printf("%d random cases, %lld voice-frames, all bit-identical\n", cases,
                static_cast<long long>(coverage.voiceFrames));
}
