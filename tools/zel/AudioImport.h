// Any audio file that libsndfile reads (WAV of any layout, AIFF, FLAC, Ogg
// and more), turned into the canonical PCM WAV that the plug-in's loader
// takes: the first channel, as the plug-in keeps it, or all channels mixed
// down, at the file's own rate.
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

struct SampleShaping {
    bool mixDown = false;  // the mean of all channels instead of the first
    double gain = 1.0;     // applied before quantising; what goes past full scale clips
};

// Throws a ZelError naming the file when it cannot be read as audio.
// Unshaped integer sources come through exactly; shaped ones get at least
// 24 bits.
ImportedSample importSample(const std::string& path, const SampleShaping& shaping = SampleShaping());
