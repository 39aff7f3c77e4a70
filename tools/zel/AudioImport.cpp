#include "AudioImport.h"

#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "WavImage.h"
#include "ZelError.h"
#include "files/SampleStore.h"

namespace {

constexpr sf_count_t kChunkFrames = 4096;
// A slot's 44-byte header and data must fit the patch's 32-bit sizes.
constexpr int64_t kMaxDataBytes = INT32_MAX - kFixedImageSize - 44;

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
typedef std::unique_ptr<SNDFILE, SoundFileCloser> SoundFile;

bool isFloatingPoint(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
        case SF_FORMAT_VORBIS:
        case SF_FORMAT_OPUS:
        case SF_FORMAT_MPEG_LAYER_I:
        case SF_FORMAT_MPEG_LAYER_II:
        case SF_FORMAT_MPEG_LAYER_III:
            return true;
        default:
            return false;
    }
}

// Integer sources keep their precision; floating point and lossy sources
// get 24 bits, finer than any of them is heard.
int targetBits(int format) {
    if (isFloatingPoint(format)) return 24;
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_DWVW_24:
        case SF_FORMAT_ALAC_20:
        case SF_FORMAT_ALAC_24:
            return 24;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_ALAC_32:
            return 32;
        default:
            return 16;
    }
}

std::string withoutFinalStop(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

SoundFile openSound(const std::string& path, SF_INFO& info) {
    // Our own check first, for the system's plain reason ("No such file ...").
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) throw fileError(path, std::strerror(errno));
    std::fclose(probe);
    info = SF_INFO{};
    SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw fileError(path, "not audio that libsndfile can read (" +
                                  withoutFinalStop(sf_strerror(nullptr)) + ")");
    if (info.channels < 1 || info.samplerate < 1)
        throw fileError(path, "audio without channels or sample rate");
    return file;
}

// Integer reads come left-justified in 32 bits.
int32_t fromInteger(int value, int bits) { return value >> (32 - bits); }

bool shapes(const SampleShaping& shaping, int channels) {
    return (shaping.mixDown && channels > 1) || shaping.gain != 1.0;
}

// One frame as a value in full-scale units: the first channel or the mean of all.
double frameValue(const double* frame, int channels, bool mixDown) {
    if (!mixDown) return frame[0];
    double sum = 0.0;
    for (int c = 0; c < channels; ++c) sum += frame[c];
    return sum / channels;
}

std::vector<int32_t> readFrames(const std::string& path, SNDFILE* file, const SF_INFO& info, int bits,
                                const SampleShaping& shaping) {
    // Integers pass untouched unless shaped; everything else is read as doubles.
    const bool exact = !isFloatingPoint(info.format) && !shapes(shaping, info.channels);
    const int64_t maxFrames = kMaxDataBytes / (bits / 8);
    std::vector<int> integers(exact ? static_cast<size_t>(kChunkFrames * info.channels) : 0);
    std::vector<double> reals(exact ? 0 : static_cast<size_t>(kChunkFrames * info.channels));
    std::vector<int32_t> samples;
    for (;;) {
        const sf_count_t got = exact ? sf_readf_int(file, integers.data(), kChunkFrames)
                                     : sf_readf_double(file, reals.data(), kChunkFrames);
        if (got <= 0) break;
        for (sf_count_t f = 0; f < got; ++f) {
            const size_t at = static_cast<size_t>(f * info.channels);
            samples.push_back(exact ? fromInteger(integers[at], bits)
                                    : quantise(frameValue(&reals[at], info.channels, shaping.mixDown) *
                                                   shaping.gain, bits));
        }
        if (static_cast<int64_t>(samples.size()) > maxFrames)
            throw fileError(path, "too long for a pad (at most " + std::to_string(maxFrames) +
                                      " frames at " + std::to_string(bits) + " bits)");
    }
    if (sf_error(file) != SF_ERR_NO_ERROR)
        throw fileError(path, "cannot be decoded (" + withoutFinalStop(sf_strerror(file)) + ")");
    return samples;
}

}  // namespace

ImportedSample importSample(const std::string& path, const SampleShaping& shaping) {
    SF_INFO info;
    SoundFile file = openSound(path, info);
    int bits = targetBits(info.format);
    if (shapes(shaping, info.channels) && bits < 24) bits = 24;
    const std::vector<int32_t> samples = readFrames(path, file.get(), info, bits, shaping);
    if (samples.empty()) throw fileError(path, "holds no audio frames");
    ImportedSample imported;
    imported.bits = bits;
    imported.frames = static_cast<int64_t>(samples.size());
    imported.rate = static_cast<uint32_t>(info.samplerate);
    imported.channels = info.channels;
    imported.wav = canonicalWav(samples, bits, imported.rate);
    return imported;
}
