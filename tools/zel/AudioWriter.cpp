#include "AudioWriter.h"

#include "PendingFile.h"
#include "ZelError.h"

namespace {

// What a WAV file's 32-bit sizes leave for the data, with room for the header.
constexpr int64_t kWavDataLimit = 0xFFFFFFFFll - 4096;

std::string reason(SNDFILE* sound) {
    std::string text = sf_strerror(sound);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

AudioWriter::AudioWriter(PendingFile& file, int channels, uint32_t rate, int64_t maxFrames)
    : file(file) {
    const bool fitsWav = maxFrames * channels * 4 < kWavDataLimit;
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = channels;
    info.format = (fitsWav ? SF_FORMAT_WAV : SF_FORMAT_RF64) | SF_FORMAT_FLOAT;
    sound = sf_open_fd(file.descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (sound == nullptr)
        throw fileError(file.path(), "cannot be written (" + reason(nullptr) + ")");
    sf_command(sound, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioWriter::~AudioWriter() {
    if (sound != nullptr) sf_close(sound);
}

void AudioWriter::write(const float* interleaved, int64_t frames) {
    if (sf_writef_float(sound, interleaved, frames) != frames)
        throw fileError(file.path(), "cannot be written (" + reason(sound) + ")");
}

void AudioWriter::finish() {
    SNDFILE* closing = sound;
    sound = nullptr;
    if (sf_close(closing) != 0) throw fileError(file.path(), "cannot be written");
}
