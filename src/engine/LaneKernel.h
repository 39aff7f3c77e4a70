// The voice chain in lanes, written once for any lane type S (Sse2, Avx2).
// Lane by lane it performs the plain chain's single-precision operations in
// the plain chain's order: glide, playback step, end test, hold index, read,
// quantiser, fades, smoother, gain, then each enabled filter, fused into one
// per-frame loop. A lane whose voice ends writes zeros from then on while its
// filters ring out to the span's end, as a plain voice does.
//
// Included only by the width files; everything here has internal linkage so
// that no function compiled for AVX2 can stand in for a baseline one.
#pragma once

#include <cstdint>

#include "engine/NumberLimits.h"
#include "engine/VoiceLanes.h"

// The per-frame helpers must melt into the frame loop so that the state
// stays in registers; the compiler left alone may call them instead.
#define ZEL_LANE_INLINE inline __attribute__((always_inline))

namespace {

using lanes::Filter;
using lanes::Group;
using lanes::Hold;

template <class S>
struct FilterLanes {
    typename S::F b0, b1, b2, a1, a2, mix, dry, x1, x2, y1, y2, on;
};

// Tiny values become zero, exactly as a voice's filter cuts them.
template <class S>
ZEL_LANE_INLINE typename S::F flush(typename S::F x) {
    return S::butNot(S::less(S::magnitude(x), S::splat(kDenormalFloor)), x);
}

template <class S>
ZEL_LANE_INLINE FilterLanes<S> loadFilter(const Filter& f) {
    if (!f.any) {  // never run: its fields were not filled
        const typename S::F zero = S::splat(0.0f);
        return {zero, zero, zero, zero, zero, zero, zero, zero, zero, zero, zero, zero};
    }
    // x1 always holds an input that was flushed already; flushing is idempotent.
    return {S::load(f.b0),  S::load(f.b1),  S::load(f.b2), S::load(f.a1),
            S::load(f.a2),  S::load(f.mix), S::load(f.dry), flush<S>(S::load(f.x1)),
            S::load(f.x2),  S::load(f.y1),  S::load(f.y2), S::asFloat(S::loadInt(f.on))};
}

// Only the lanes that run the filter keep its new state.
template <class S>
ZEL_LANE_INLINE void keepWhere(typename S::F mask, float* field, typename S::F value) {
    S::store(field, S::select(mask, value, S::load(field)));
}

template <class S>
void storeFilter(Filter& f, const FilterLanes<S>& lanes) {
    if (!f.any) return;
    keepWhere<S>(lanes.on, f.x1, lanes.x1);
    keepWhere<S>(lanes.on, f.x2, lanes.x2);
    keepWhere<S>(lanes.on, f.y1, lanes.y1);
    keepWhere<S>(lanes.on, f.y2, lanes.y2);
}

// One sample through one section; lanes whose pad does not run the filter
// pass their input through untouched.
template <class S>
ZEL_LANE_INLINE typename S::F runFilter(FilterLanes<S>& f, typename S::F in, bool all) {
    using F = typename S::F;
    const F x = flush<S>(in);
    const F y1 = flush<S>(f.y1);
    const F v = S::sub(S::sub(S::add(S::add(S::mul(f.b1, f.x1), S::mul(f.b0, x)), S::mul(f.b2, f.x2)),
                              S::mul(f.a1, y1)),
                       S::mul(f.a2, f.y2));
    f.x2 = f.x1;
    f.x1 = x;
    f.y2 = y1;
    const F y = S::add(S::mul(f.mix, v), S::mul(f.dry, x));
    f.y1 = y;
    return all ? y : S::select(f.on, y, in);
}

template <class S, Hold kHold>
ZEL_LANE_INLINE typename S::I heldIndex(typename S::I k, typename S::F ratio, typename S::F inverse, typename S::I lastFrame) {
    using F = typename S::F;
    using I = typename S::I;
    if (kHold == Hold::Identity) return k;
    const F held = S::mul(S::toFloat(k), ratio);
    const F source = S::mul(S::toFloat(S::truncate(held)), inverse);
    const I index = S::truncate(source);
    if (kHold == Hold::Unguarded) return index;
    const I clamped = S::maxInt(S::minInt(index, lastFrame), S::splatInt(0));
    const F inRange = S::both(S::less(held, S::splat(kIntRange)), S::less(source, S::splat(kIntRange)));
    return S::selectInt(S::asInt(inRange), clamped, k);
}

// The playback registers of a group, kept in memory only between chunks.
template <class S>
struct Playback {
    typename S::F position, pitchFactor, glideStep, fadeIn, fadeOut, smooth, sounding;
};

template <class S>
ZEL_LANE_INLINE Playback<S> loadPlayback(const Group& g) {
    return {S::load(g.position), S::load(g.pitchFactor), S::load(g.glideStep), S::load(g.fadeIn),
            S::load(g.fadeOut),  S::load(g.smooth),      S::asFloat(S::loadInt(g.sounding))};
}

// What the group's lanes do besides playing on. What no sounding lane needs
// at a chunk's start, none can need later in the chunk; a field the chunk's
// loop does not move still holds in the group what it held at the start.
struct Motion {
    bool gliding, choking, rising, filtering;
};

// The fields the chunk moved, from p where mask is set.
template <class S>
ZEL_LANE_INLINE void keepMoved(Group& g, typename S::F mask, const Playback<S>& p, const Motion& m) {
    keepWhere<S>(mask, g.position, p.position);
    keepWhere<S>(mask, g.smooth, p.smooth);
    if (m.gliding) {
        keepWhere<S>(mask, g.pitchFactor, p.pitchFactor);
        keepWhere<S>(mask, g.glideStep, p.glideStep);
    }
    if (m.choking) keepWhere<S>(mask, g.fadeOut, p.fadeOut);
    if (m.rising) keepWhere<S>(mask, g.fadeIn, p.fadeIn);
}

// After a chunk: what the sounding lanes changed. Lanes that ended keep what
// they held at the frame they ended (endWhere).
template <class S>
void storePlayback(Group& g, const Playback<S>& p, const Motion& m) {
    keepMoved<S>(g, p.sounding, p, m);
    S::storeInt(g.sounding, S::asInt(p.sounding));
}

// A group's fixed values for the span.
template <class S>
struct Constants {
    typename S::F step, fadeInStep, gain, holdRatio, holdInverse, quantScale, quantInverse, endLimit, fadeOutStep;
    typename S::I lastFrame;
    typename S::Sources sources;
};

template <class S>
ZEL_LANE_INLINE Constants<S> loadConstants(const Group& g) {
    return {S::load(g.step),         S::load(g.fadeInStep),   S::load(g.gain),
            S::load(g.holdRatio),    S::load(g.holdInverse),  S::load(g.quantScale),
            S::load(g.quantInverse), S::load(g.endLimit),     S::splat(g.fadeOutStep),
            S::subInt(S::loadInt(g.frameCount), S::splatInt(1)),
            S::sources(g.samples, g.sampleOffset, g.nearSamples)};
}

// Lanes that ended keep their state as it is now and sound no more.
template <class S>
ZEL_LANE_INLINE void endWhere(Group& g, typename S::F ended, Playback<S>& p, const Motion& m) {
    if (!S::any(ended)) return;
    g.anyEnded = true;
    keepMoved<S>(g, ended, p, m);
    p.sounding = S::butNot(ended, p.sounding);
}

// pitchFactor -= glideStep while it glides; the glide stops at 1.
template <class S>
ZEL_LANE_INLINE void glide(Playback<S>& p) {
    const typename S::F zero = S::splat(0.0f), one = S::splat(1.0f);
    const typename S::F moving = S::notEqual(p.glideStep, zero);
    p.pitchFactor = S::select(moving, S::sub(p.pitchFactor, p.glideStep), p.pitchFactor);
    const typename S::F landed = S::butNot(S::greater(p.pitchFactor, one), moving);
    p.glideStep = S::butNot(landed, p.glideStep);
}

// The next position; a lane whose position is no longer inside its sample ends.
template <class S>
ZEL_LANE_INLINE void advance(Group& g, const Constants<S>& c, Playback<S>& p, const Motion& m) {
    p.position = S::add(p.position, S::mul(c.step, p.pitchFactor));
    const typename S::F inside =
        S::both(S::greater(p.position, S::splat(-1.0f)), S::less(p.position, c.endLimit));
    endWhere<S>(g, S::butNot(inside, p.sounding), p, m);
}

// The held sample value, quantised (unless proven exact); lanes that no
// longer sound read their sample's first frame.
template <class S, Hold kHold, bool kQuantise>
ZEL_LANE_INLINE typename S::F read(const Constants<S>& c, const Playback<S>& p) {
    const typename S::I k = S::truncate(p.position);
    const typename S::I held = heldIndex<S, kHold>(k, c.holdRatio, c.holdInverse, c.lastFrame);
    const typename S::F v = S::gather(c.sources, S::bothInt(held, S::asInt(p.sounding)));
    if (!kQuantise) return v;
    return S::mul(S::toFloat(S::truncate(S::mul(v, c.quantScale))), c.quantInverse);
}

// The choke fade: v * fadeOut, then fadeOut falls; a lane whose fade reaches
// 0 ends (that value is not written). Answers which lanes fade.
template <class S>
ZEL_LANE_INLINE typename S::F chokeFade(Group& g, const Constants<S>& c, Playback<S>& p, const Motion& m,
                                        typename S::F& v) {
    const typename S::F zero = S::splat(0.0f);
    const typename S::F fading = S::notEqual(p.fadeOut, zero);
    v = S::select(fading, S::mul(v, p.fadeOut), v);
    p.fadeOut = S::select(fading, S::sub(p.fadeOut, c.fadeOutStep), p.fadeOut);
    endWhere<S>(g, S::both(p.sounding, S::butNot(S::greater(p.fadeOut, zero), fading)), p, m);
    return fading;
}

// The fade-in rises while below 1, but not while a choke fade runs.
template <class S>
ZEL_LANE_INLINE void riseIn(const Constants<S>& c, Playback<S>& p, typename S::F fading) {
    const typename S::F grows = S::butNot(fading, S::less(p.fadeIn, S::splat(1.0f)));
    p.fadeIn = S::select(grows, S::add(p.fadeIn, c.fadeInStep), p.fadeIn);
}

template <class S>
Motion motionOf(const Group& g) {
    const typename S::F zero = S::splat(0.0f);
    const typename S::F sounding = S::asFloat(S::loadInt(g.sounding));
    const Filter* filters = g.filters;
    return {S::any(S::both(sounding, S::notEqual(S::load(g.glideStep), zero))),
            S::any(S::both(sounding, S::notEqual(S::load(g.fadeOut), zero))),
            S::any(S::both(sounding, S::less(S::load(g.fadeIn), S::splat(1.0f)))),
            (filters[lanes::LowCut].any | filters[lanes::Mid].any | filters[lanes::HighCut].any) != 0};
}

// The frame loops a group can run: lanes that only play on, the usual
// state of a kit's voices, test nothing but the ends; lanes that also fade
// out (a pad hit again chokes its older voice) test nothing else; the rest
// may glide, fade in and filter.
enum class Loop { Steady, Choking, Any };

template <class S, Hold kHold, bool kQuantise, Loop kLoop>
void renderGroup(Group& g, float* tile, int32_t frames, const Motion m) {
    using F = typename S::F;
    constexpr bool kAny = kLoop == Loop::Any;
    const F zero = S::splat(0.0f), half = S::splat(0.5f);
    const Constants<S> c = loadConstants<S>(g);
    Playback<S> p = loadPlayback<S>(g);
    const bool gliding = kAny && m.gliding, rising = kAny && m.rising;
    const bool choking = kLoop == Loop::Choking || (kAny && m.choking);
    const Motion moving{gliding, choking, rising, false};
    Filter* filters = g.filters;
    FilterLanes<S> low, mid, high;
    if (kAny) {
        low = loadFilter<S>(filters[lanes::LowCut]);
        mid = loadFilter<S>(filters[lanes::Mid]);
        high = loadFilter<S>(filters[lanes::HighCut]);
    }
    // Read once: the loop's stores to the group (anyEnded) could alias them
    // for the compiler, which would read them again every frame.
    const bool lowAny = kAny && filters[lanes::LowCut].any, lowAll = filters[lanes::LowCut].all;
    const bool midAny = kAny && filters[lanes::Mid].any, midAll = filters[lanes::Mid].all;
    const bool highAny = kAny && filters[lanes::HighCut].any, highAll = filters[lanes::HighCut].all;

    for (int32_t i = 0; i < frames; ++i) {
        if (gliding) glide<S>(p);
        advance<S>(g, c, p, moving);
        F v = read<S, kHold, kQuantise>(c, p);
        const F fading = choking ? chokeFade<S>(g, c, p, moving, v) : zero;
        if (rising) riseIn<S>(c, p, fading);
        v = S::mul(v, p.fadeIn);
        p.smooth = S::mul(S::add(v, p.smooth), half);

        F out = S::both(p.sounding, S::mul(p.smooth, c.gain));
        if (lowAny) out = runFilter<S>(low, out, lowAll);
        if (midAny) out = runFilter<S>(mid, out, midAll);
        if (highAny) out = runFilter<S>(high, out, highAll);
        S::store(tile + i * S::kWidth, out);
    }

    storePlayback<S>(g, p, moving);
    if (kAny) {
        storeFilter<S>(filters[lanes::LowCut], low);
        storeFilter<S>(filters[lanes::Mid], mid);
        storeFilter<S>(filters[lanes::HighCut], high);
    }
}

template <class S, Hold kHold, bool kQuantise>
void renderGroupByMotion(Group& g, float* tile, int32_t frames) {
    const Motion m = motionOf<S>(g);
    if (m.gliding || m.rising || m.filtering)
        renderGroup<S, kHold, kQuantise, Loop::Any>(g, tile, frames, m);
    else if (m.choking)
        renderGroup<S, kHold, kQuantise, Loop::Choking>(g, tile, frames, m);
    else
        renderGroup<S, kHold, kQuantise, Loop::Steady>(g, tile, frames, m);
}

template <class S, Hold kHold>
void renderGroupHeld(Group& g, float* tile, int32_t frames) {
    if (g.quantise)
        renderGroupByMotion<S, kHold, true>(g, tile, frames);
    else
        renderGroupByMotion<S, kHold, false>(g, tile, frames);
}

template <class S>
void renderChunk(Group& g, float* tile, int32_t frames) {
    switch (g.hold) {
        case Hold::Identity: renderGroupHeld<S, Hold::Identity>(g, tile, frames); break;
        case Hold::Unguarded: renderGroupHeld<S, Hold::Unguarded>(g, tile, frames); break;
        default: renderGroupHeld<S, Hold::Guarded>(g, tile, frames); break;
    }
}

template <class S>
void tileToRows(const float* tile, const Group& g, float (*rows)[lanes::kChunk], int32_t frames) {
    float* laneRows[S::kWidth];
    for (int l = 0; l < S::kWidth; ++l) laneRows[l] = rows[g.row[l]];
    for (int32_t f = 0; f < frames; f += S::kWidth) S::transpose(tile + f * S::kWidth, laneRows, f);
}

// One output pair from its voices' rows: 0 + the first voice's share + the
// second's ..., in slot order, as adding each voice in turn to a cleared
// output sums them, but with each output written once.
template <class S>
void mixPair(const lanes::MixVoice* voices, int count, const float (*rows)[lanes::kChunk], float* left,
             float* right, int32_t frames) {
    using F = typename S::F;
    int32_t i = 0;
    for (; i + S::kWidth <= frames; i += S::kWidth) {
        F l = S::splat(0.0f), r = S::splat(0.0f);
        for (int v = 0; v < count; ++v) {
            const F value = S::load(rows[voices[v].row] + i);
            l = S::add(l, S::mul(value, S::splat(voices[v].leftGain)));
            r = S::add(r, S::mul(value, S::splat(voices[v].rightGain)));
        }
        S::store(left + i, l);
        S::store(right + i, r);
    }
    for (; i < frames; ++i) {
        float l = 0.0f, r = 0.0f;
        for (int v = 0; v < count; ++v) {
            l += rows[voices[v].row][i] * voices[v].leftGain;
            r += rows[voices[v].row][i] * voices[v].rightGain;
        }
        left[i] = l;
        right[i] = r;
    }
}

template <class S>
void renderJob(lanes::Job& job) {
    lanes::Workspace& work = *job.work;
    for (int32_t start = 0; start < job.count; start += lanes::kChunk) {
        const int32_t frames = job.count - start < lanes::kChunk ? job.count - start : lanes::kChunk;
        for (int g = 0; g < job.groupCount; ++g) {
            renderChunk<S>(work.groups[g], work.tile, frames);
            tileToRows<S>(work.tile, work.groups[g], work.rows, frames);
        }
        const lanes::MixVoice* voices = work.mix;
        for (int pair = 0; pair < kOutputPairCount; ++pair) {
            const int count = work.layout.pairVoices[pair];
            if (count == 0) continue;
            mixPair<S>(voices, count, work.rows, job.outputs[2 * pair] + start, job.outputs[2 * pair + 1] + start,
                       frames);
            voices += count;
        }
    }
}

}  // namespace
