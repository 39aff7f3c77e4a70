// The plug-in itself, driven through its ABI record by a byte string read as
// a host's calls: renders of any length, event blocks with any deltas and
// bytes, parameter sets and reads, rates, block sizes, suspends, chunks (the
// fuzzer's bytes and the plug-in's own image handed back), programs and the
// other opcodes. Whatever the calls, every output value is finite, every
// text fits its buffer, the plug-in's own chunk is always taken back, and in
// the end the instance plays a test note as a fresh one does.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "EventBlock.h"
#include "PatchBytes.h"
#include "host/zelVst.h"

namespace {

constexpr int kOutputs = 16;
constexpr int32_t kMaxFrames = 8192;
constexpr int kMaxEvents = 1024;
constexpr size_t kTextBuffer = 256;

void require(bool condition, const char* message) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_plugin: %s\n", message);
    std::abort();
}

// A sum in double cannot overflow from finite floats, and carries any NaN
// or infinity through. Left out of the coverage, which it would only slow.
__attribute__((no_sanitize("coverage"))) bool allFinite(const float* values, int32_t count) {
    double sum = 0.0;
    for (int32_t i = 0; i < count; ++i) sum += double(values[i]);
    return std::isfinite(sum);
}

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// The fuzzer's bytes, read front to back; past the end every read is 0.
class Script {
public:
    Script(const uint8_t* data, size_t size) : at(data), end(data + size) {}
    bool finished() const { return at >= end; }
    uint8_t byte() { return at < end ? *at++ : 0; }
    uint16_t word() { return uint16_t(byte() | byte() << 8); }
    int32_t int32() { return int32_t(uint32_t(word()) | uint32_t(word()) << 16); }
    // A parameter-like value: the edges, values a host may send by mistake,
    // a spread over [0, 1], or any 32 bits.
    float value() {
        static const float kEdges[] = {0.0f, 1.0f, 0.5f, -0.0f, -1.0f, 2.0f, 1e-40f, 1.0000001f,
                                       std::numeric_limits<float>::quiet_NaN(),
                                       std::numeric_limits<float>::infinity(),
                                       -std::numeric_limits<float>::infinity(),
                                       std::numeric_limits<float>::max()};
        const uint8_t kind = byte();
        if (kind < sizeof kEdges / sizeof kEdges[0]) return kEdges[kind];
        if (kind < 200) return float(kind - 12) / 187.0f;
        const uint32_t bits = uint32_t(int32());
        float raw;
        std::memcpy(&raw, &bits, sizeof raw);
        return raw;
    }
    // Up to count bytes of the script itself.
    std::vector<uint8_t> bytes(size_t count) {
        const size_t taken = std::min(count, size_t(end - at));
        std::vector<uint8_t> copy(at, at + taken);
        at += taken;
        return copy;
    }

private:
    const uint8_t* at;
    const uint8_t* end;
};

// One instance and the buffers a host keeps for it.
class Host {
public:
    Host() : outputs(kOutputs, std::vector<float>(kMaxFrames)), silence(kMaxFrames) {
        for (auto& channel : outputs) pointers.push_back(channel.data());
        inputs[0] = inputs[1] = silence.data();
        effect = createPlugin(quietHost);  // what the exported entry returns
        require(effect != nullptr, "no instance");
        dispatch(effOpen);
    }
    ~Host() { dispatch(effClose); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    AEffect* record() { return effect; }

    void render(int32_t frames) {
        for (float* channel : pointers) std::memset(channel, 0, sizeof(float) * size_t(frames));
        effect->processReplacing(effect, inputs, pointers.data(), frames);
        for (const float* channel : pointers) require(allFinite(channel, frames), "output not finite");
    }
    const std::vector<float>& output(int channel) const { return outputs[size_t(channel)]; }

    using Event = HostEvent;
    void send(const std::vector<Event>& events) { dispatch(effProcessEvents, 0, 0, eventBlock.fill(events)); }

private:
    AEffect* effect = nullptr;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> pointers;
    std::vector<float> silence;
    float* inputs[2];
    EventBlock eventBlock{kMaxEvents};
};

// A text opcode's answer must end inside the host's buffer.
void readText(Host& host, VstInt32 opcode, VstInt32 index) {
    std::vector<char> text(kTextBuffer, 'x');
    host.dispatch(opcode, index, 0, text.data());
    require(std::memchr(text.data(), 0, text.size()) != nullptr, "a text ran past its buffer");
}

std::vector<Host::Event> eventsFrom(Script& script) {
    std::vector<Host::Event> events(script.byte() % 48);
    for (auto& event : events) {
        const uint8_t shape = script.byte();
        event.delta = (shape & 1) ? script.int32() : script.byte();
        event.sysex = (shape & 2) != 0;
        event.status = event.sysex ? 0 : script.byte();
        event.data1 = script.byte();
        event.data2 = script.byte();
    }
    return events;
}

// Hundreds of events in one block, all channels, from a seed.
std::vector<Host::Event> floodFrom(Script& script) {
    uint32_t state = script.word();
    std::vector<Host::Event> events(size_t(100 + script.byte() * 3));
    for (auto& event : events) {
        state = state * 1664525u + 1013904223u;
        const uint8_t kinds[4] = {0x80, 0x90, 0xB0, 0xA0};
        event = {int32_t(state >> 22) - 64, uint8_t(kinds[(state >> 8) & 3] | ((state >> 12) & 15)),
                 uint8_t((state >> 16) & 127), uint8_t((state >> 2) & 127)};
    }
    return events;
}

void changeChunk(Host& host, Script& script) {
    const uint8_t how = script.byte();
    if (how & 1) {
        // The plug-in's own image, handed back as it is.
        void* image = nullptr;
        const VstIntPtr size = host.dispatch(effGetChunk, how & 2, 0, &image);
        require(size > 0 && image != nullptr, "no chunk");
        require(host.dispatch(effSetChunk, how & 2, size, image) == size, "its own image was refused");
        return;
    }
    std::vector<uint8_t> bytes = script.bytes(script.word());
    if ((how & 4) && bytes.size() >= 28) {
        // Size fields that agree with the length, so the rest is read.
        patchbytes::writeI32(bytes, patchbytes::kTotalSizeAt, int32_t(bytes.size()));
        patchbytes::writeI32(bytes, patchbytes::kSizeCheckAt, ~int32_t(bytes.size()));
    }
    const VstIntPtr claimed = (how & 8) ? VstIntPtr(script.int32()) : VstIntPtr(bytes.size());
    if (claimed > VstIntPtr(bytes.size())) return;  // a host's own bug, not a case of ours
    host.dispatch(effSetChunk, how & 2, claimed, bytes.empty() ? nullptr : bytes.data());
}

// The other opcodes, with a zeroed buffer behind ptr; the editor stays shut
// and the instance open.
void otherOpcode(Host& host, Script& script) {
    const VstInt32 opcode = script.byte() % 80;
    if (opcode == effClose || opcode == effEditOpen || opcode == effGetChunk || opcode == effSetChunk || opcode == effProcessEvents)
        return;
    std::vector<char> buffer(1024, 0);
    if (opcode == effCanDo) {
        static const char* const kQuestions[] = {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents",
                                                 "offline", "", "bypass"};
        std::strcpy(buffer.data(), kQuestions[script.byte() % 6]);
    }
    void* arrangement = nullptr;
    const VstIntPtr value = opcode == effGetSpeakerArrangement ? VstIntPtr(&arrangement) : VstIntPtr(script.int32());
    host.dispatch(opcode, VstInt32(script.byte()) - 8, value, buffer.data(), script.value());
    require(buffer[buffer.size() - 1] == 0, "an answer ran to the buffer's end");
}

void step(Host& host, Script& script) {
    static const float kRates[] = {8000.0f, 11025.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f};
    switch (script.byte() % 12) {
        case 0:
            host.render(script.word() % (kMaxFrames + 1));
            break;
        case 1:
            host.send(eventsFrom(script));
            break;
        case 2: {
            const VstInt32 index = VstInt32(script.byte()) - 8;
            host.record()->setParameter(host.record(), index, script.value());
            break;
        }
        case 3: {
            const VstInt32 index = VstInt32(script.byte()) - 8;
            const float value = host.record()->getParameter(host.record(), index);
            require(value >= 0.0f && value <= 1.0f, "a parameter read back outside [0, 1]");
            readText(host, effGetParamDisplay, index);
            readText(host, effGetParamName, index);
            readText(host, effGetParamLabel, index);
            break;
        }
        case 4: {
            const uint8_t pick = script.byte();
            host.dispatch(effSetSampleRate, 0, 0, nullptr, pick < 8 ? kRates[pick] : script.value());
            break;
        }
        case 5:
            host.dispatch(effSetBlockSize, 0, (script.byte() & 1) ? script.int32() : script.word());
            break;
        case 6: {
            static const VstInt32 kSwitches[] = {effMainsChanged, effStartProcess, effStopProcess};
            const uint8_t which = script.byte();
            host.dispatch(kSwitches[which % 3], 0, which & 4);
            break;
        }
        case 7:
            changeChunk(host, script);
            break;
        case 8: {
            std::vector<uint8_t> name = script.bytes(script.byte() % 40);
            name.push_back(0);
            host.dispatch(effSetProgram, 0, VstIntPtr(script.byte()) - 4);
            host.dispatch(effSetProgramName, 0, 0, name.data());
            readText(host, effGetProgramName, 0);
            readText(host, effGetProgramNameIndexed, VstInt32(script.byte()) - 4);
            break;
        }
        case 9:
            otherOpcode(host, script);
            break;
        case 10:
            host.send(floodFrom(script));
            break;
        default:
            host.dispatch(effEditIdle);
            break;
    }
}

// The kit the test note plays: one short sample on the first pad.
const std::vector<uint8_t>& testKit() {
    static const std::vector<uint8_t> kit = [] {
        patchbytes::Kit made;
        patchbytes::Slot slot;
        for (int i = 0; i < 600; ++i) slot.values.push_back(int32_t(((i * 7919) % 2001) - 1000) * (600 - i) / 30);
        made.slots.push_back(slot);
        made.pads[0].fileName = "test.wav";
        made.pads[0].slotNumber = 1;
        made.pads[0].lowCut = 200.0f;
        made.pads[0].midFreq = 2000.0f;
        made.pads[0].midGain = 0.7f;
        made.pads[0].highCut = 9000.0f;
        return patchbytes::encode(made);
    }();
    return kit;
}

// The first output pair while the first pad plays, after a reset a host
// would do: 44.1 kHz, 512 frames, the test kit, audio on, all sound off.
std::vector<float> testNote(Host& host) {
    // Events still queued (a suspension came before their block) play first.
    host.dispatch(effMainsChanged, 0, 1);
    host.render(512);
    host.dispatch(effMainsChanged, 0, 0);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    host.dispatch(effSetBlockSize, 0, 512);
    std::vector<uint8_t> kit = testKit();
    require(host.dispatch(effSetChunk, 0, VstIntPtr(kit.size()), kit.data()) == VstIntPtr(kit.size()),
            "the test kit was refused");
    host.dispatch(effMainsChanged, 0, 1);
    std::vector<Host::Event> quiet;
    for (uint8_t channel = 0; channel < 16; ++channel) quiet.push_back({0, uint8_t(0xB0 | channel), 120, 0});
    host.send(quiet);
    host.render(512);
    const uint8_t key = uint8_t(patchbytes::defaultPad(0).note);
    host.send({{3, 0x90, key, 100}});
    std::vector<float> heard;
    for (int block = 0; block < 4; ++block) {
        host.render(512);
        for (int c = 0; c < 2; ++c) heard.insert(heard.end(), host.output(c).begin(), host.output(c).begin() + 512);
    }
    return heard;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<float> expected = [] {
        Host fresh;
        std::vector<float> note = testNote(fresh);
        bool audible = false;
        for (float v : note) audible = audible || v != 0.0f;
        require(audible, "a fresh instance plays no test note");
        return note;
    }();
    Host host;
    Script script(data, size);
    for (int steps = 0; steps < 256 && !script.finished(); ++steps) step(host, script);

    const std::vector<float> heard = testNote(host);
    bool same = true, negated = true;
    for (size_t i = 0; i < heard.size(); ++i) {
        same = same && heard[i] == expected[i];
        negated = negated && heard[i] == -expected[i];
    }
    require(same || negated, "the test note sounds different from a fresh instance's");
    return 0;
}
