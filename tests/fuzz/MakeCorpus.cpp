// Writes the seed corpora of the WAV and patch fuzz targets:
//   make_fuzz_corpus <dir>   ->  <dir>/wav/*.wav, <dir>/patch/*.bin
// Small canonical WAV files of every sample width, a few near misses, and
// patches made by the real loader and writer (plus one older, uncoded block).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Kit.h"
#include "files/Construction.h"
#include "files/Patch.h"
#include "files/SampleStore.h"
#include "files/PadSample.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes& bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes makeWav(uint16_t channels, uint16_t width, int frames, uint16_t tag = 1, uint32_t rate = 22050) {
    const uint32_t dataSize = static_cast<uint32_t>(frames * channels * width);
    Bytes b(44 + dataSize);
    std::memcpy(&b[0], "RIFF", 4);
    put(b, 4, 36 + dataSize, 4);
    std::memcpy(&b[8], "WAVEfmt ", 8);
    put(b, 16, 16, 4);
    put(b, 20, tag, 2);
    put(b, 22, channels, 2);
    put(b, 24, rate, 4);
    put(b, 28, rate * channels * width, 4);
    put(b, 32, channels * width, 2);
    put(b, 34, 8 * width, 2);
    std::memcpy(&b[36], "data", 4);
    put(b, 40, dataSize, 4);
    for (uint32_t i = 0; i < dataSize; ++i) b[44 + i] = static_cast<uint8_t>(i * 37 + 11);
    return b;
}

Bytes floatWav() {
    const float values[] = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 2.0f, 1e-20f, -0.125f};
    Bytes b = makeWav(1, 4, 8, 3);
    std::memcpy(&b[44], values, sizeof values);
    return b;
}

void write(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(file);
}

struct Synth {
    Synth() {
        core.hostRate = 44100.0f;
        core.hostRateInverse = 1.0f / 44100.0f;
        core.blockLength = 256;
        if (!constructSynth(core)) std::exit(1);
    }
    ~Synth() { releaseKit(core.kit); }
    void load(int pad, const Bytes& file) {
        if (loadPadSampleBytes(core, pad, file.data(), static_cast<int64_t>(file.size()), "seed.wav") != nullptr)
            std::exit(1);
    }
    Bytes patch() {
        buildPatch(core);
        const uint8_t* bytes = imageBytes(core.kit->sampleStore);
        return Bytes(bytes, bytes + core.kit->sampleStore->totalSize);
    }
    DrumSynth core{};
};

void stampSize(Bytes& block) {
    put(block, 20, static_cast<uint32_t>(block.size()), 4);
    put(block, 24, ~static_cast<uint32_t>(block.size()), 4);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
        return 2;
    }
    const std::string wavDir = std::string(argv[1]) + "/wav/";
    const std::string patchDir = std::string(argv[1]) + "/patch/";

    const Bytes mono8 = makeWav(1, 1, 12), mono16 = makeWav(1, 2, 10), stereo16 = makeWav(2, 2, 6),
                mono24 = makeWav(1, 3, 8), stereo24 = makeWav(2, 3, 4), mono32 = makeWav(1, 4, 6),
                stereo32 = makeWav(2, 4, 3), float32 = floatWav(), empty = makeWav(1, 2, 0);
    write(wavDir + "mono8.wav", mono8);
    write(wavDir + "mono16.wav", mono16);
    write(wavDir + "stereo16.wav", stereo16);
    write(wavDir + "mono24.wav", mono24);
    write(wavDir + "stereo24.wav", stereo24);
    write(wavDir + "mono32.wav", mono32);
    write(wavDir + "stereo32.wav", stereo32);
    write(wavDir + "float32.wav", float32);
    write(wavDir + "empty.wav", empty);
    Bytes trailing = mono16;
    for (char c : std::string("LIST\4\0\0\0INFO", 12)) trailing.push_back(static_cast<uint8_t>(c));
    write(wavDir + "trailing-chunk.wav", trailing);
    Bytes longFmt = mono8;  // 18-byte fmt chunk: refused
    put(longFmt, 16, 18, 4);
    longFmt.insert(longFmt.begin() + 36, {0, 0});
    write(wavDir + "fmt18.wav", longFmt);
    Bytes wide = mono32;  // W 8: refused
    put(wide, 32, 8, 2);
    write(wavDir + "width8.wav", wide);

    {
        Synth synth;
        write(patchDir + "fresh.bin", synth.patch());
    }
    {
        Synth synth;  // every width, one slot shared, pads loaded out of order
        synth.load(5, mono16);
        synth.load(6, stereo24);
        synth.load(0, mono8);
        synth.load(9, mono16);
        synth.load(12, float32);
        synth.load(13, stereo32);
        synth.load(15, empty);
        synth.core.kit->pads[5].volume = 0.5f;
        synth.core.kit->pads[6].midFreq = 1000.0f;
        synth.core.kit->pads[6].midGain = 3.0f;
        synth.core.kit->pads[9].rateIndex = 3;
        synth.core.kit->pads[0].bitIndex = 5;
        synth.core.kit->pads[12].channel = 7;
        write(patchDir + "samples.bin", synth.patch());
    }
    {
        Synth synth;  // an older block: pad i plays slot i + 1, data uncoded
        Bytes block = synth.patch();
        put(block, 0, 0, 4);
        const Bytes* files[] = {&mono16, &mono8, &mono24};
        for (int p = 0; p < 3; ++p) {
            Bytes slot = *files[p];
            put(block, 28 + 576 * p + 316, static_cast<uint32_t>(slot.size()), 4);
            std::memcpy(&block[28 + 576 * p + 16], "old.wav", 8);
            block.insert(block.end(), slot.begin(), slot.end());
        }
        stampSize(block);
        write(patchDir + "older.bin", block);
    }
    return 0;
}
