#include "LaneCases.h"

#include <cmath>
#include <cstring>
#include <sstream>

#include "CoreUnderTest.h"
#include "engine/Kit.h"
#include "engine/LaneLayout.h"
#include "engine/MidiStatus.h"
#include "engine/PadParameters.h"
#include "files/PadSample.h"

namespace {

constexpr int kSampleKinds = 5;  // 8, 16, 24 and 32-bit integers, 32-bit float

void putLittle(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int width) {
    for (int b = 0; b < width; ++b) bytes[at + b] = static_cast<uint8_t>(value >> (8 * b));
}

}  // namespace

std::vector<uint8_t> wavImage(int channels, int width, bool isFloat, uint32_t rate,
                              const std::vector<uint32_t>& words) {
    const uint32_t dataSize = static_cast<uint32_t>(words.size() * width);
    std::vector<uint8_t> bytes(44 + dataSize);
    std::memcpy(&bytes[0], "RIFF", 4);
    putLittle(bytes, 4, 36 + dataSize, 4);
    std::memcpy(&bytes[8], "WAVEfmt ", 8);
    putLittle(bytes, 16, 16, 4);
    putLittle(bytes, 20, isFloat ? 3 : 1, 2);
    putLittle(bytes, 22, channels, 2);
    putLittle(bytes, 24, rate, 4);
    putLittle(bytes, 28, rate * channels * width, 4);
    putLittle(bytes, 32, channels * width, 2);
    putLittle(bytes, 34, 8 * width, 2);
    std::memcpy(&bytes[36], "data", 4);
    putLittle(bytes, 40, dataSize, 4);
    for (size_t i = 0; i < words.size(); ++i) putLittle(bytes, 44 + i * width, words[i], width);
    return bytes;
}

namespace {

uint32_t floatWord(float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

// Floats a decoder must keep exactly, and some it must clip or drop.
float hostileFloat(Lcg& rng) {
    static const float kValues[] = {-0.0f, 0.0f, 1e-40f, -1e-40f, 1e-30f, -1.0f, 1.0f, 0.99999994f,
                                    -0.99999994f, 5.9604645e-08f, 0.5f, -0.25f, 3.0f, -7.5f,
                                    INFINITY, NAN, 1.1754944e-38f};
    return kValues[rng.below(static_cast<int>(sizeof kValues / sizeof kValues[0]))];
}

// Noise, a decaying tone, or values on a coarse grid, so that the shortcut
// proofs find every answer somewhere.
uint32_t sampleWord(Lcg& rng, int kind, int shape, int i, int frames) {
    const int width = kind == 4 ? 4 : kind + 1;
    const double decay = 1.0 - static_cast<double>(i) / (frames + 1);
    const double tone = std::sin(i * 0.05 * (shape + 1)) * decay;
    if (kind == 4) {
        if (shape == 0) return floatWord(hostileFloat(rng));
        if (shape == 1) return floatWord(std::round(static_cast<float>(tone) * 64.0f) / 64.0f);
        return floatWord(static_cast<float>(tone) * (rng.unit() * 2.0f - 1.0f));
    }
    const int bits = 8 * width;
    const double top = std::ldexp(1.0, bits - 1) - 1.0;
    int64_t value;
    if (shape == 0)
        value = static_cast<int64_t>(static_cast<int32_t>(rng.next())) >> (32 - bits);
    else if (shape == 1)
        value = static_cast<int64_t>(std::round(tone * 16.0)) * (int64_t(1) << (bits - 5));  // 4 bits of depth
    else
        value = static_cast<int64_t>(tone * top);
    if (width == 1) value += 128;  // 8-bit samples are unsigned
    return static_cast<uint32_t>(value);
}

int randomLength(Lcg& rng) {
    if (rng.chance(25)) return rng.below(4);  // 0 to 3 frames
    if (rng.chance(30)) return 10000 + rng.below(30000);
    return 1 + rng.below(6000);
}

std::vector<uint8_t> randomWav(Lcg& rng) {
    static const uint32_t kRates[] = {8000, 11025, 22050, 44100, 48000, 96000, 192000, 1000};
    const int kind = rng.below(kSampleKinds);
    const int width = kind == 4 ? 4 : kind + 1;
    const int channels = rng.chance(15) ? 2 : 1;
    const int frames = randomLength(rng);
    const uint32_t rate = rng.chance(15) ? 1 + rng.next() % 300000 : kRates[rng.below(8)];
    const int shape = rng.below(3);
    std::vector<uint32_t> words(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = sampleWord(rng, kind, shape, static_cast<int>(i / channels), frames);
    return wavImage(channels, width, kind == 4, rate, words);
}

float stepValue(PadParam param, int step) { return parameterMapping(param).stepCentre(step); }

// A normalised value for a parameter, with the ends (filters off) and every
// rate and bit step often enough.
float randomSetting(Lcg& rng, PadParam param) {
    switch (param) {
        case ParamSampleRate: return stepValue(param, rng.below(kHoldRateCount));
        case ParamBit: return stepValue(param, rng.below(kBitIndexCount));
        case ParamGroup: return stepValue(param, rng.below(4));  // few groups: many chokes
        case ParamNote: return stepValue(param, 36 + rng.below(12));
        case ParamLow:
        case ParamMid: return rng.chance(40) ? 0.0f : rng.unit();
        case ParamHigh: return rng.chance(40) ? 1.0f : rng.unit();
        default: return rng.chance(10) ? static_cast<float>(rng.below(2)) : rng.unit();
    }
}

int32_t randomParameter(Lcg& rng) {
    return rng.below(kPadCount) * kParamsPerPad + ParamVolume + rng.below(kParamsPerPad - ParamVolume);
}

void addSettings(Lcg& rng, LaneCase& c) {
    for (int p = 0; p < kPadCount; ++p)
        for (int param = ParamVolume; param < kParamsPerPad; ++param)
            if (rng.chance(60))
                c.parameters.push_back({p * kParamsPerPad + param, randomSetting(rng, static_cast<PadParam>(param))});
    if (!rng.chance(15)) return;
    static const float kHostile[4][4] = {{-1.5f, -0.3f, 7.0f, 40.0f},    // pitch
                                         {0.0f, 1e20f, -3.0f, 1e38f},    // volume
                                         {-1.0f, 2.5f, 0.0f, 1.0f},      // pan
                                         {-4.0f, 6.0f, 0.004f, -1.0f}};  // Pitch-X
    for (int n = rng.below(6); n > 0; --n) {
        const int field = rng.below(4);
        c.hostileFields.push_back({rng.below(kPadCount) * 4 + field, kHostile[field][rng.below(4)]});
    }
}

int16_t randomKey(Lcg& rng) { return static_cast<int16_t>(36 + rng.below(22)); }

void addBurst(Lcg& rng, LaneCase& c, int64_t frame) {
    for (int n = 0; n < 40; ++n) {
        const int16_t key = randomKey(rng);
        c.song.push_back({frame, SongEvent::NoteOn, key, static_cast<int16_t>(1 + rng.below(127)), 0, 0.0f, {}});
    }
}

void addSong(Lcg& rng, LaneCase& c, int64_t frames) {
    int64_t frame = 0;
    while (frame < frames) {
        const int gap = rng.below(100);
        frame += gap < 30 ? 0 : gap < 70 ? rng.below(300) : rng.below(4000);
        SongEvent e{frame, SongEvent::NoteOn, randomKey(rng), static_cast<int16_t>(1 + rng.below(127)), 0, 0.0f, {}};
        const int kind = rng.below(100);
        if (kind < 8 || c.song.empty()) {  // a burst: every voice taken, and more
            addBurst(rng, c, frame);
            continue;
        }
        if (kind < 14) e.kind = SongEvent::NoteOff;
        else if (kind < 17) e.velocity = 0;
        else if (kind < 19) e.kind = SongEvent::Preview;
        else if (kind < 28) {
            e.kind = kind < 25 ? SongEvent::Parameter : SongEvent::AudioParameter;
            e.parameter = randomParameter(rng);
            e.value = randomSetting(rng, static_cast<PadParam>(e.parameter % kParamsPerPad));
        } else if (kind < 30) {
            e.kind = SongEvent::LoadSample;
            e.parameter = rng.below(kPadCount);
            e.wav = randomWav(rng);
        } else if (kind < 31) {
            e.kind = SongEvent::RemoveSample;
            e.parameter = rng.below(kPadCount);
        } else if (kind < 32) {
            static const float kRates[] = {44100.0f, 48000.0f, 32000.0f, 96000.0f};
            e.kind = SongEvent::Rate;
            e.value = kRates[rng.below(4)];
        }
        c.song.push_back(e);
    }
}

void addHostBlocks(Lcg& rng, LaneCase& c, int64_t frames) {
    for (int64_t done = 0; done < frames;) {
        const int size = rng.chance(30) ? 1 + rng.below(64) : rng.chance(60) ? 1 + rng.below(1024) : 1 + rng.below(4096);
        c.hostBlocks.push_back(size);
        done += size;
    }
}

void setHostile(Pad& pad, int field, float value) {
    float* fields[4] = {&pad.pitch, &pad.volume, &pad.pan, &pad.pitchX};
    *fields[field] = value;
}

bool sameFloat(float a, float b) {
    if (a != a && b != b) return true;  // NaN payloads are not part of the chain's definition
    uint32_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

std::string floatsDiffer(const char* what, const float* a, const float* b, int count) {
    for (int i = 0; i < count; ++i)
        if (!sameFloat(a[i], b[i])) {
            std::ostringstream text;
            text.precision(9);
            text << what << "[" << i << "]: " << a[i] << " in the plain chain, " << b[i] << " in lanes";
            return text.str();
        }
    return {};
}

std::string voiceDifference(const DrumKit& a, const DrumKit& b, int v) {
    const Voice& x = a.voices[v];
    const Voice& y = b.voices[v];
    std::ostringstream where;
    where << "voice " << v << " ";
    const long padX = x.pad ? x.pad - a.pads : -1, padY = y.pad ? y.pad - b.pads : -1;
    if (padX != padY) return where.str() + "plays pad " + std::to_string(padX) + " vs " + std::to_string(padY);
    const float stateX[] = {x.pitchFactor, x.fadeInStep, x.glideStep, x.position, x.fadeIn, x.fadeOut, x.gain, x.smoothState};
    const float stateY[] = {y.pitchFactor, y.fadeInStep, y.glideStep, y.position, y.fadeIn, y.fadeOut, y.gain, y.smoothState};
    std::string d = floatsDiffer("pitchFactor fadeInStep glideStep position fadeIn fadeOut gain smooth", stateX, stateY, 8);
    if (d.empty()) d = floatsDiffer("low cut state", x.lowCutFilter.state, y.lowCutFilter.state, 8);
    if (d.empty()) d = floatsDiffer("mid state", x.midFilter.state, y.midFilter.state, 8);
    if (d.empty()) d = floatsDiffer("high cut state", x.highCutFilter.state, y.highCutFilter.state, 8);
    return d.empty() ? d : where.str() + d;
}

// The case's kit as a patch: its samples loaded as files are, its settings
// set, its hostile fields written as a patch could carry them.
std::vector<uint8_t> kitPatch(const LaneCase& c) {
    CoreUnderTest kit(c.hostRate, "", c.blockLength);
    DrumSynth& s = kit.synth();
    for (int p = 0; p < kPadCount; ++p)
        if (!c.wavs[p].empty())
            loadPadSampleBytes(s, p, c.wavs[p].data(), static_cast<int64_t>(c.wavs[p].size()), "pad.wav");
    for (const auto& [index, value] : c.parameters) setPadParameter(s, index, value);
    for (const auto& [field, value] : c.hostileFields) setHostile(s.kit->pads[field / 4], field % 4, value);
    return kit.patch();
}

}  // namespace

LaneCase makeLaneCase(uint32_t seed) {
    Lcg rng{seed * 2654435761u + 1};
    LaneCase c;
    c.seed = seed;
    static const float kRates[] = {44100.0f, 48000.0f, 22050.0f, 96000.0f, 8000.0f};
    c.hostRate = kRates[rng.below(5)];
    c.blockLength = rng.chance(50) ? 1024 : 1 + rng.below(4096);
    for (int p = 0; p < kPadCount; ++p) c.wavs.push_back(rng.chance(85) ? randomWav(rng) : std::vector<uint8_t>());
    addSettings(rng, c);
    const int64_t frames = rng.chance(20) ? 1 + rng.below(2000) : 2000 + rng.below(8000);
    addSong(rng, c, frames);
    addHostBlocks(rng, c, frames);
    c.patch = kitPatch(c);
    return c;
}

namespace {

// The notes of one span, all at its first frame.
struct SpanNotes {
    const std::vector<QueuedEvent>& list;
    size_t next = 0;
    bool more() const { return next < list.size(); }
    const QueuedEvent& front() const { return list[next]; }
    void pop() { ++next; }
};

bool padSounds(const DrumKit& kit, int pad) {
    for (const Voice& voice : kit.voices)
        if (voice.pad == &kit.pads[pad]) return true;
    return false;
}

}  // namespace

LanePlayer::LanePlayer(const LaneCase& c, RenderPath path)
    : lane(c), renderPath(path), core(new PluginCore(c.hostRate, c.blockLength, nullptr)) {
    if (core->restore(c.patch.data(), static_cast<int64_t>(c.patch.size())) == 0) std::abort();
    chooseRenderPath(*synth().kit, path);
    core->resume();
    for (int o = 0; o < 16; ++o) outputs[o].assign(4096, 7.0f);
}

void LanePlayer::apply(const SongEvent& e, std::vector<QueuedEvent>& notes) {
    const int pad = e.kind == SongEvent::Parameter || e.kind == SongEvent::AudioParameter ? e.parameter / kParamsPerPad
                    : e.kind == SongEvent::LoadSample || e.kind == SongEvent::RemoveSample ? e.parameter
                                                                                            : -1;
    if (pad >= 0 && padSounds(*synth().kit, pad)) ++soundingEdits;
    const auto key = static_cast<uint8_t>(e.key);
    switch (e.kind) {
        case SongEvent::NoteOn: notes.push_back({0, midi::kNoteOn, key, static_cast<uint8_t>(e.velocity), 0}); break;
        case SongEvent::NoteOff: notes.push_back({0, midi::kNoteOff, key, 0, 0}); break;
        case SongEvent::Preview:
            // As the editor asks: a note-on only while nothing is pending.
            if (core->previewKey(static_cast<int8_t>(e.key), true)) core->previewKey(static_cast<int8_t>(e.key), false);
            break;
        case SongEvent::Parameter: core->setParameter(e.parameter, e.value); break;
        case SongEvent::AudioParameter: core->setParameterFromAudio(e.parameter, e.value); break;
        case SongEvent::LoadSample:
            core->loadSampleBytes(e.parameter, e.wav.data(), static_cast<int64_t>(e.wav.size()), "swap.wav");
            break;
        case SongEvent::RemoveSample: core->removeSample(e.parameter); break;
        case SongEvent::Rate: core->setSampleRate(e.value); break;
    }
}

bool LanePlayer::nextSpan() {
    if (position >= blockEnd) {
        if (nextBlock >= lane.hostBlocks.size()) return false;
        blockStart = position;
        blockEnd = blockStart + lane.hostBlocks[nextBlock++];
    }
    std::vector<QueuedEvent> notes;
    soundingEdits = 0;
    while (nextEvent < lane.song.size() && lane.song[nextEvent].frame <= position) apply(lane.song[nextEvent++], notes);
    int64_t target = blockEnd;
    if (nextEvent < lane.song.size() && lane.song[nextEvent].frame < blockEnd) target = lane.song[nextEvent].frame;
    span = static_cast<int32_t>(target - position < lane.blockLength ? target - position : lane.blockLength);
    float* pointers[16];
    for (int o = 0; o < 16; ++o) {
        std::fill(outputs[o].begin(), outputs[o].begin() + span, 7.0f);
        pointers[o] = outputs[o].data();
    }
    SpanNotes due{notes};
    lastAnswer = core->processBlock(pointers, span, due);
    position += span;
    return true;
}

std::string laneDifference(LanePlayer& reference, LanePlayer& lanes) {
    if (reference.answer() != lanes.answer())
        return "renderBlock answered " + std::to_string(reference.answer()) + " vs " + std::to_string(lanes.answer());
    for (int o = 0; o < 16; ++o) {
        const std::string d = floatsDiffer(("output " + std::to_string(o)).c_str(), reference.out(o), lanes.out(o),
                                           reference.spanLength());
        if (!d.empty()) return d;
    }
    writeBackLanes(*lanes.synth().kit);
    const DrumKit& a = *reference.synth().kit;
    const DrumKit& b = *lanes.synth().kit;
    for (int v = 0; v < kVoiceCount; ++v) {
        const std::string d = voiceDifference(a, b, v);
        if (!d.empty()) return d;
    }
    for (int p = 0; p < kPadCount; ++p)
        if (a.pads[p].activity != b.pads[p].activity || a.pads[p].polarityCount != b.pads[p].polarityCount)
            return "pad " + std::to_string(p) + " activity or polarity";
    return {};
}
