// Any audio file that libsndfile reads (WAV of any layout, AIFF, FLAC, Ogg
// and more), turned into the canonical PCM WAV that the plug-in's loader
// takes: the first channel, as the plug-in keeps it, at the file's own rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ImportedSample {
    std::vector<uint8_t> wav;  // the canonical file image
    int bits;                  // 16, 24 or 32: integer sources keep their precision, floats get 24
    int64_t frames;
    uint32_t rate;
    int channels;              // of the source; only the first is kept
};

// Throws a ZelError naming the file when it cannot be read as audio.
ImportedSample importSample(const std::string& path);
