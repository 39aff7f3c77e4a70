#include "engine/LaneLayout.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/BitDepth.h"
#include "engine/PadFilters.h"
#include "engine/PanGains.h"
#include "engine/SampleShortcuts.h"

namespace {

using lanes::Group;
using lanes::Layout;
using lanes::MixVoice;

// What a group whose lanes have no sample reads: nothing.
const float kSilentFrame[1] = {0.0f};

bool filterOn(const Pad& pad, int slot) {
    switch (slot) {
        case lanes::LowCut: return lowCutOn(pad);
        case lanes::Mid: return midBandOn(pad);
        default: return highCutOn(pad);
    }
}

const Biquad& voiceFilter(const Voice& voice, int slot) {
    if (slot == lanes::LowCut) return voice.lowCutFilter;
    return slot == lanes::Mid ? voice.midFilter : voice.highCutFilter;
}

Biquad& voiceFilter(Voice& voice, int slot) {
    return const_cast<Biquad&>(voiceFilter(static_cast<const Voice&>(voice), slot));
}

bool singleSection(const Biquad& filter) {
    return filter.next == nullptr && (filter.controlSignal == nullptr || filter.setCount <= 1) &&
           (filter.flags & Biquad::kCascade) == 0;
}

// The least float at or past the sample's end: a position reaches the end
// exactly when it is no longer below this. Without a sample, every position
// is past the end.
float endLimit(const Pad& pad) {
    if (pad.samples == nullptr) return -INFINITY;
    const float limit = static_cast<float>(pad.frameCount);
    if (static_cast<double>(limit) < static_cast<double>(pad.frameCount)) return std::nextafter(limit, INFINITY);
    return limit;
}

lanes::Hold holdOf(HoldShortcut shortcut) {
    if (shortcut == HoldShortcut::Identity) return lanes::Hold::Identity;
    return shortcut == HoldShortcut::Unguarded ? lanes::Hold::Unguarded : lanes::Hold::Guarded;
}

// A sounding voice and what decides the code its group runs. Voices with
// equal keys share groups, so few groups pay for another voice's filter,
// quantiser, guarded hold or fade.
struct LaneVoice {
    int slot;
    uint8_t filters;  // bit f: the pad runs filter f
    bool quantise;
    lanes::Hold hold;
    int key;
};

// False when the voice runs what the lanes do not: a filter with a cascade,
// a control signal or a chain.
bool describe(const Voice& voice, int slot, LaneVoice& lane) {
    const Pad& pad = *voice.pad;
    if (pad.frameCount < 0) return false;
    lane = {slot, 0, !quantiserIsExact(pad), holdOf(holdShortcut(pad)), 0};
    for (int f = 0; f < lanes::FilterCount; ++f) {
        if (!filterOn(pad, f)) continue;
        if (!singleSection(voiceFilter(voice, f))) return false;
        lane.filters |= static_cast<uint8_t>(1u << f);
    }
    // The key orders what a group pays for most per frame into its highest
    // bits, so that sorted voices cluster by it and as few groups as possible
    // run it: the three filters (bits 5 to 7), the quantiser (bit 4), the
    // hold's guards (bits 1 and 2: 2 guarded, 1 unguarded, 0 identity) and a
    // running choke fade (bit 0).
    const bool choked = voice.fadeOut != 0.0f;
    lane.key = (lane.filters << 5) | (lane.quantise << 4) | ((2 - static_cast<int>(lane.hold)) << 1) | choked;
    return true;
}

// Stable (equal keys keep their slot order): one stable split per key bit
// that differs between the voices, lowest bit first.
void sortByKey(const LaneVoice* voices, uint8_t* order, int count) {
    int all = ~0, any = 0;
    for (int i = 0; i < count; ++i) {
        order[i] = static_cast<uint8_t>(i);
        all &= voices[i].key;
        any |= voices[i].key;
    }
    const int varying = any & ~all;
    for (int bit = 0; (varying >> bit) != 0; ++bit) {
        if (((varying >> bit) & 1) == 0) continue;
        uint8_t clear[kVoiceCount], set[kVoiceCount];
        int clearCount = 0, setCount = 0;
        for (int i = 0; i < count; ++i) {
            const uint8_t voice = order[i];
            const int one = (voices[voice].key >> bit) & 1;
            clear[clearCount] = voice;
            set[setCount] = voice;
            clearCount += 1 - one;
            setCount += one;
        }
        for (int i = 0; i < clearCount; ++i) order[i] = clear[i];
        for (int i = 0; i < setCount; ++i) order[clearCount + i] = set[i];
    }
}

// Only for a filter some lane of the group runs: the kernel never reads the
// others.
void fillFilter(lanes::Filter& lanesFilter, int l, const Biquad* filter, bool on) {
    if (!on) {  // zeros: the lane's unused arithmetic stays clear of denormals
        lanesFilter.b0[l] = lanesFilter.b1[l] = lanesFilter.b2[l] = 0.0f;
        lanesFilter.a1[l] = lanesFilter.a2[l] = lanesFilter.mix[l] = lanesFilter.dry[l] = 0.0f;
        lanesFilter.x1[l] = lanesFilter.x2[l] = lanesFilter.y1[l] = lanesFilter.y2[l] = 0.0f;
        lanesFilter.on[l] = 0;
        return;
    }
    lanesFilter.b0[l] = filter->coef[Biquad::B0][0];
    lanesFilter.b1[l] = filter->coef[Biquad::B1][0];
    lanesFilter.b2[l] = filter->coef[Biquad::B2][0];
    lanesFilter.a1[l] = filter->coef[Biquad::A1][0];
    lanesFilter.a2[l] = filter->coef[Biquad::A2][0];
    lanesFilter.mix[l] = filter->mix;
    lanesFilter.dry[l] = 1.0f - filter->mix;
    lanesFilter.x1[l] = filter->state[0];
    lanesFilter.x2[l] = filter->state[1];
    lanesFilter.y1[l] = filter->state[2];
    lanesFilter.y2[l] = filter->state[3];
    lanesFilter.on[l] = -1;
}

void clearLane(Group& g, int l) {
    g.position[l] = g.pitchFactor[l] = g.glideStep[l] = 0.0f;
    g.fadeIn[l] = g.fadeOut[l] = g.smooth[l] = 0.0f;
    g.sounding[l] = 0;
    g.step[l] = g.fadeInStep[l] = g.gain[l] = 0.0f;
    g.holdRatio[l] = g.holdInverse[l] = g.quantScale[l] = g.quantInverse[l] = 0.0f;
    g.endLimit[l] = -INFINITY;
    g.frameCount[l] = 0;
    g.samples[l] = nullptr;
    g.row[l] = lanes::kDiscardRow;
    for (int f = 0; f < lanes::FilterCount; ++f)
        if (g.filters[f].any) fillFilter(g.filters[f], l, nullptr, false);
}

void fillLane(Group& g, int l, const DrumSynth& synth, const Voice& voice, const LaneVoice& lane) {
    const Pad& pad = *voice.pad;
    g.position[l] = voice.position;
    g.pitchFactor[l] = voice.pitchFactor;
    g.glideStep[l] = voice.glideStep;
    g.fadeIn[l] = voice.fadeIn;
    g.fadeOut[l] = voice.fadeOut;
    g.smooth[l] = voice.smoothState;
    g.sounding[l] = -1;
    g.step[l] = pad.sampleRate * pad.pitch * synth.hostRateInverse;
    g.fadeInStep[l] = voice.fadeInStep;
    g.gain[l] = voice.gain;
    g.holdRatio[l] = pad.holdRatio;
    g.holdInverse[l] = pad.holdInverse;
    const QuantGrid grid = quantGridFor(pad.bitIndex);
    g.quantScale[l] = grid.scale;
    g.quantInverse[l] = grid.inverse;
    g.endLimit[l] = endLimit(pad);
    g.frameCount[l] = pad.frameCount;
    g.samples[l] = pad.samples;
    g.row[l] = lane.slot;
    for (int f = 0; f < lanes::FilterCount; ++f)
        if (g.filters[f].any) fillFilter(g.filters[f], l, &voiceFilter(voice, f), (lane.filters >> f) & 1u);
}

// Lanes without a sample read (masked) the first frame of a lane that has
// one. When every lane's frames lie within 32-bit reach of lane 0's sample,
// the kernel can read all lanes from that one base.
void settleSources(Group& g, int width) {
    const float* fallback = kSilentFrame;
    for (int l = 0; l < width; ++l)
        if (g.samples[l] != nullptr) fallback = g.samples[l];
    for (int l = 0; l < width; ++l)
        if (g.samples[l] == nullptr) g.samples[l] = fallback;
    const intptr_t base = reinterpret_cast<intptr_t>(g.samples[0]);
    g.nearSamples = true;
    for (int l = 0; l < width; ++l) {
        const intptr_t bytes = reinterpret_cast<intptr_t>(g.samples[l]) - base;
        const intptr_t offset = bytes / static_cast<intptr_t>(sizeof(float));
        const int32_t frames = g.frameCount[l] > 0 ? g.frameCount[l] : 1;
        g.nearSamples = g.nearSamples && bytes % static_cast<intptr_t>(sizeof(float)) == 0 &&
                        offset >= INT32_MIN && offset <= static_cast<intptr_t>(INT32_MAX) - frames;
        g.sampleOffset[l] = g.nearSamples ? static_cast<int32_t>(offset) : 0;
    }
}

// Group-wide choices: the most general of its lanes' needs.
void settleGroup(Group& g, const LaneVoice* members, int count, float fadeOutStep) {
    g.fadeOutStep = fadeOutStep;
    g.anyEnded = false;
    g.quantise = false;
    g.hold = members[0].hold;
    uint8_t anyFilter = 0, allFilters = 0x7;
    for (int i = 0; i < count; ++i) {
        g.quantise = g.quantise || members[i].quantise;
        if (members[i].hold != g.hold) g.hold = lanes::Hold::Guarded;
        anyFilter |= members[i].filters;
        allFilters &= members[i].filters;
    }
    for (int f = 0; f < lanes::FilterCount; ++f) {
        g.filters[f].any = (anyFilter >> f) & 1u;
        g.filters[f].all = (allFilters >> f) & 1u;
    }
}

int fillGroups(const DrumSynth& synth, const LaneVoice* voices, int count, int width, Group* groups) {
    const DrumKit& kit = *synth.kit;
    int filled = 0;
    for (int first = 0; first < count; first += width, ++filled) {
        Group& g = groups[filled];
        const int members = count - first < width ? count - first : width;
        settleGroup(g, voices + first, members, kit.fadeOutStep);
        for (int l = 0; l < width; ++l) {
            if (l < members)
                fillLane(g, l, synth, kit.voices[voices[first + l].slot], voices[first + l]);
            else
                clearLane(g, l);
        }
        settleSources(g, width);
    }
    return filled;
}

// Pair by pair, the voices its pads play into it, in slot order.
void fillMix(const DrumKit& kit, Layout& layout, MixVoice* mix) {
    layout.mixCount = 0;
    layout.reachedPairs = 0;
    for (int pair = 0; pair < kOutputPairCount; ++pair) {
        layout.pairVoices[pair] = 0;
        for (int slot = 0; slot < kVoiceCount; ++slot) {
            const Voice& voice = kit.voices[slot];
            if (voice.pad == nullptr || voice.pad->channel != pair) continue;
            const PanGains gains = panGains(*voice.pad);
            mix[layout.mixCount++] = {slot, gains.left, gains.right};
            ++layout.pairVoices[pair];
            layout.reachedPairs |= 1u << pair;
        }
    }
}

// Up to four voices fill one group of 4 lanes, which costs less a frame than
// a group of 8 that stands half empty.
int widthFor(RenderPath path, int voices) { return path == RenderPath::Lanes8 && voices > 4 ? 8 : 4; }

// The lanes for the voices as the records have them, into layout, groups
// and mix; false when a voice runs what the lanes do not.
bool fillLayout(const DrumSynth& synth, Layout& layout, Group* groups, MixVoice* mix) {
    const DrumKit& kit = *synth.kit;
    LaneVoice found[kVoiceCount];
    int sounding = 0;
    for (int slot = 0; slot < kVoiceCount; ++slot) {
        const Voice& voice = kit.voices[slot];
        if (voice.pad == nullptr) continue;
        if (!describe(voice, slot, found[sounding++])) return false;
    }
    uint8_t order[kVoiceCount];
    sortByKey(found, order, sounding);
    LaneVoice voices[kVoiceCount];
    layout.pads = 0;
    for (int i = 0; i < sounding; ++i) {
        voices[i] = found[order[i]];
        layout.members[i] = {static_cast<uint8_t>(voices[i].slot), voices[i].filters};
        layout.pads |= padBit(static_cast<int>(kit.voices[voices[i].slot].pad - kit.pads));
    }
    layout.memberCount = sounding;
    layout.width = widthFor(kit.renderPath, sounding);
    layout.groupCount = fillGroups(synth, voices, sounding, layout.width, groups);
    fillMix(kit, layout, mix);
    return true;
}

const Group& groupOf(const lanes::Workspace& work, int member, unsigned& lane) {
    const Layout& layout = work.layout;
    lane = static_cast<unsigned>(member) & static_cast<unsigned>(layout.width - 1);  // width is 4 or 8
    return work.groups[member >> (layout.width == 8 ? 3 : 2)];
}

// The member's running state, back into its voice record.
void writeBack(DrumKit& kit, int member) {
    unsigned l;
    const Group& g = groupOf(kit.laneWork, member, l);
    const lanes::Member& held = kit.laneWork.layout.members[member];
    Voice& voice = kit.voices[held.slot];
    voice.position = g.position[l];
    voice.pitchFactor = g.pitchFactor[l];
    voice.glideStep = g.glideStep[l];
    voice.fadeIn = g.fadeIn[l];
    voice.fadeOut = g.fadeOut[l];
    voice.smoothState = g.smooth[l];
    for (int f = 0; f < lanes::FilterCount; ++f) {
        if (!((held.filters >> f) & 1u)) continue;
        float* state = voiceFilter(voice, f).state;
        const lanes::Filter& lanesFilter = g.filters[f];
        state[0] = lanesFilter.x1[l];
        state[1] = lanesFilter.x2[l];
        state[2] = lanesFilter.y1[l];
        state[3] = lanesFilter.y2[l];
    }
}

// What filling anew would change of a group's fixed fields, lanes 0 to
// width: null when nothing.
const char* groupDrift(const Group& held, const Group& fresh, int width) {
    const size_t floats = sizeof(float) * width;
    const float* const heldFields[] = {held.step, held.fadeInStep, held.gain, held.holdRatio, held.holdInverse,
                                       held.quantScale, held.quantInverse, held.endLimit};
    const float* const freshFields[] = {fresh.step, fresh.fadeInStep, fresh.gain, fresh.holdRatio, fresh.holdInverse,
                                        fresh.quantScale, fresh.quantInverse, fresh.endLimit};
    for (size_t i = 0; i < sizeof heldFields / sizeof heldFields[0]; ++i)
        if (std::memcmp(heldFields[i], freshFields[i], floats) != 0) return "a pad's pitch, rate, bits, sample or a voice's gain";
    if (std::memcmp(held.frameCount, fresh.frameCount, sizeof(int32_t) * width) != 0 ||
        std::memcmp(held.samples, fresh.samples, sizeof(float*) * width) != 0 ||
        std::memcmp(held.row, fresh.row, sizeof(int32_t) * width) != 0 || held.nearSamples != fresh.nearSamples ||
        (held.nearSamples && std::memcmp(held.sampleOffset, fresh.sampleOffset, sizeof(int32_t) * width) != 0))
        return "a pad's sample";
    if (std::memcmp(&held.fadeOutStep, &fresh.fadeOutStep, sizeof(float)) != 0) return "the rate's fade step";
    if (held.hold != fresh.hold || held.quantise != fresh.quantise) return "a pad's hold or quantiser";
    for (int f = 0; f < lanes::FilterCount; ++f) {
        const lanes::Filter& a = held.filters[f];
        const lanes::Filter& b = fresh.filters[f];
        if (a.any != b.any || a.all != b.all) return "which filters a pad runs";
        if (!a.any) continue;
        const float* const heldCoefficients[] = {a.b0, a.b1, a.b2, a.a1, a.a2, a.mix, a.dry};
        const float* const freshCoefficients[] = {b.b0, b.b1, b.b2, b.a1, b.a2, b.mix, b.dry};
        for (int c = 0; c < 7; ++c)
            if (std::memcmp(heldCoefficients[c], freshCoefficients[c], floats) != 0) return "a pad's filter design";
        if (std::memcmp(a.on, b.on, sizeof(int32_t) * width) != 0) return "which filters a pad runs";
    }
    return nullptr;
}

}  // namespace

void releaseLanes(DrumKit& kit, PadMask pads) {
    Layout& layout = kit.laneWork.layout;
    if (!layout.held) return;
    if (layout.memberCount != 0 && (layout.pads & pads) == 0) return;
    writeBackLanes(kit);
    layout.held = false;
}

bool holdVoicesInLanes(DrumSynth& synth) {
    lanes::Workspace& work = synth.kit->laneWork;
    work.layout.held = fillLayout(synth, work.layout, work.groups, work.mix);
    ++work.layout.fills;
    return work.layout.held;
}

int freeEndedLanes(DrumKit& kit) {
    Layout& layout = kit.laneWork.layout;
    bool anyEnded = false;
    for (int g = 0; g < layout.groupCount; ++g) anyEnded = anyEnded || kit.laneWork.groups[g].anyEnded;
    if (!anyEnded) return 0;
    int ended = 0;
    for (int i = 0; i < layout.memberCount; ++i) {
        writeBack(kit, i);
        unsigned l;
        if (groupOf(kit.laneWork, i, l).sounding[l] != 0) continue;
        endVoice(kit.voices[layout.members[i].slot]);
        ++ended;
    }
    layout.held = false;
    return ended;
}

void writeBackLanes(DrumKit& kit) {
    const Layout& layout = kit.laneWork.layout;
    if (!layout.held) return;
    for (int i = 0; i < layout.memberCount; ++i) writeBack(kit, i);
}

const char* laneLayoutDrift(DrumSynth& synth) {
    const DrumKit& kit = *synth.kit;
    const lanes::Workspace& work = kit.laneWork;
    const Layout& held = work.layout;
    if (!held.held) return nullptr;
    if (kit.renderPath == RenderPath::Plain) return "the render path became the plain chain";
    Layout fresh;
    Group groups[lanes::kMaxGroups];
    MixVoice mix[kVoiceCount];
    if (!fillLayout(synth, fresh, groups, mix)) return "a voice runs a filter the lanes do not";
    if (fresh.width != held.width) return "the render path changed";
    if (fresh.memberCount != held.memberCount ||
        std::memcmp(fresh.members, held.members, sizeof(lanes::Member) * held.memberCount) != 0)
        return "a voice started or ended, or its filters or grouping changed";
    for (int g = 0; g < held.groupCount; ++g)
        if (const char* drift = groupDrift(work.groups[g], groups[g], held.width)) return drift;
    if (fresh.mixCount != held.mixCount || fresh.reachedPairs != held.reachedPairs ||
        std::memcmp(fresh.pairVoices, held.pairVoices, sizeof held.pairVoices) != 0)
        return "a pad's output pair";
    for (int m = 0; m < held.mixCount; ++m)
        if (std::memcmp(&mix[m], &work.mix[m], sizeof(MixVoice)) != 0) return "a pad's volume, pan or output pair";
    return nullptr;
}
