// The rendered audio as a 32-bit float WAV file, written through libsndfile
// into a pending file; RF64 when the audio may not fit the 4 GB of a WAV.
#pragma once

#include <cstdint>
#include <vector>

#include <sndfile.h>

class PendingFile;

class AudioWriter {
public:
    // Throws a ZelError naming the file when libsndfile cannot start it.
    // maxFrames: the most the render may write.
    AudioWriter(PendingFile& file, int channels, uint32_t rate, int64_t maxFrames);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Interleaved frames; throws on a write error.
    void write(const float* interleaved, int64_t frames);
    // Completes the header; throws on failure. The pending file is then ready to commit.
    void finish();

private:
    PendingFile& file;
    SNDFILE* sound = nullptr;
};
