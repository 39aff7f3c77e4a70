// Helpers for the sample and patch tests: a synthesizer core built the way
// the plug-in builds it (optionally with a module path, for the default
// patch), real WAV files written to a private temporary directory, and
// snapshots of everything a refused file or block must leave alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CoreUnderTest.h"
#include "TempDir.h"
#include "engine/DrumSynth.h"

using Bytes = std::vector<uint8_t>;

class FilesKit {
public:
    // modulePath: where the plug-in file would be; its directory's
    // preset/preset.bin is then the default patch. Empty: no module path.
    explicit FilesKit(const std::string& modulePath = "", float rate = 44100.0f);
    ~FilesKit();
    FilesKit(const FilesKit&) = delete;
    FilesKit& operator=(const FilesKit&) = delete;

    DrumSynth& synth() { return core; }
    DrumKit& kit() { return *core.kit; }
    bool loadedDefaultPatch() const { return base.loadedDefaultPatch(); }
    Pad& pad(int p) { return core.kit->pads[p]; }

    std::string load(int p, const std::string& path);  // loadPadSample: why refused, or ""
    void remove(int p);                         // "Del"
    // The patch as a host would get it: buildPatch, then totalSize bytes.
    Bytes patch();
    int32_t restore(const Bytes& block);
    int32_t totalSize() const;

    // The pad's decoded sample, frameCount values (empty when none).
    std::vector<float> samples(int p);

    int noteOn(int p, int16_t velocity = 100);  // a note-on on the pad's key
    int render(int32_t frames);                 // ORs renderBlock's answers
    int voicesOf(int p);
    float peakOutput() const;                   // of the last render
    // Output channel of the last render's last span (at most 1024 frames).
    const std::vector<float>& out(int channel) const { return outputs[channel]; }

private:
    CoreUnderTest base;
    DrumSynth& core = base.synth();
    std::vector<float> outputs[16];
    float* outputPointers[16];
    float peak = 0.0f;
};

// Everything of a kit that a refused load or restore must not touch: the
// built image and every pad's playback state.
struct KitSnapshot {
    Bytes image;
    struct PadState {
        const float* samples;
        std::vector<float> values;
        int32_t frameCount;
        float sampleRate;
        float holdRatio;
        int32_t slotOffset;
    } pads[16];
};
KitSnapshot snapshot(FilesKit& kit);
// A gtest assertion helper: true when nothing differs.
bool sameKit(const KitSnapshot& a, const KitSnapshot& b, std::string* difference);

class zelVst;
struct AEffect;

// A plug-in instance made in this process as VSTPluginMain makes it, and
// closed with effClose.
class InstanceUnderTest {
public:
    InstanceUnderTest();
    ~InstanceUnderTest();
    InstanceUnderTest(const InstanceUnderTest&) = delete;
    InstanceUnderTest& operator=(const InstanceUnderTest&) = delete;

    AEffect* record() const { return effect; }
    zelVst& plugin();
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr);
    // A copy of what effGetChunk hands out; empty when it gives nothing.
    Bytes chunk(int32_t index = 0);

private:
    AEffect* effect = nullptr;
};

// A canonical 44-byte-header WAV file. Each value's low `width` bytes are
// stored little-endian, interleaved as given (for 8-bit files pass the
// unsigned bytes 0..255; for float files the IEEE bit patterns).
Bytes wavFile(uint16_t channels, uint16_t width, const std::vector<int64_t>& values,
              uint32_t rate = 44100, uint16_t formatTag = 1);
Bytes floatWavFile(const std::vector<float>& values, uint32_t rate = 44100);
// A mono 16-bit file whose samples are a short, seed-dependent pattern.
Bytes distinctWav(int seed, int frames = 100);

void putU16(Bytes& bytes, size_t offset, uint16_t value);
void putU32(Bytes& bytes, size_t offset, uint32_t value);
uint16_t getU16(const uint8_t* at);
uint32_t getU32(const uint8_t* at);
int32_t getI32(const Bytes& bytes, size_t offset);

// Bytes of the slot with the given number (1..16) in the image.
const uint8_t* slotBytes(FilesKit& kit, int number);
// A copy of that slot's slotSize bytes.
Bytes slotContent(FilesKit& kit, int number);

// The reference CRC-32, bit by bit (reflected 0xEDB88320).
uint32_t referenceCrc32(const Bytes& bytes);
