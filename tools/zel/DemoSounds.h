// The demo kit's 16 drum sounds, synthesized here so that the tool ships
// without sample files: mono, 16-bit, 44.1 kHz, in pad order (kick, rim,
// snare, closed, pedal and open hats, six toms from low to high, ride,
// splash, two crashes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kDemoRate = 44100;

struct DemoSound {
    std::string fileName;          // what the pad shows as its file
    std::vector<int32_t> samples;  // 16-bit values
};

std::vector<DemoSound> demoSounds();
