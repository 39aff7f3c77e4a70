// The built-in demo kit as a musician hears it: every sound, hit alone
// through the plug-in library, ends quietly instead of being cut off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "ToolTestSupport.h"
#include "VstHost.h"
#include "engine/Kit.h"

namespace {

using namespace tooltest;

constexpr float kRate = 44100.0f;
constexpr int64_t kLongest = static_cast<int64_t>(4.5 * kRate);  // every demo sound is shorter
constexpr int64_t kEnding = static_cast<int64_t>(0.002 * kRate);  // the last 2 ms

TEST(DemoKit, EverySoundEndsAtLeastFortyDecibelsBelowItsPeak) {
    ScratchDir dir;
    const std::string kit = dir.path("demo.bin");
    ASSERT_EQ(zel({"kit", kit, "--demo"}).status, 0);
    std::vector<uint8_t> image = readBytes(kit);
    vsthost::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.open(pluginPath(), error)) << error;

    for (int pad = 0; pad < kPadCount; ++pad) {
        SCOPED_TRACE(kDefaultPadNames[pad]);
        vsthost::Effect effect(library.create());
        effect.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        ASSERT_EQ(effect.dispatch(effSetChunk, 0, VstIntPtr(image.size()), image.data()),
                  VstIntPtr(image.size()));
        effect.dispatch(effMainsChanged, 0, 1);
        const uint8_t key = static_cast<uint8_t>(kDefaultPadNotes[pad]);
        const vsthost::Audio audio = vsthost::render(effect, kLongest, 512, {{0, 0x90, key, 127}});
        const std::vector<float>& left = audio.channels[0];
        float peak = 0.0f;
        int64_t last = -1;
        for (int64_t i = 0; i < kLongest; ++i) {
            peak = std::max(peak, std::fabs(left[size_t(i)]));
            if (left[size_t(i)] != 0.0f) last = i;
        }
        ASSERT_GT(peak, 0.0f);
        ASSERT_LT(last, kLongest - 1) << "the sound ended within the render";
        float ending = 0.0f;
        for (int64_t i = last - kEnding + 1; i <= last; ++i) ending = std::max(ending, std::fabs(left[size_t(i)]));
        EXPECT_LE(20.0 * std::log10(ending / peak), -40.0) << "the last 2 ms, against the peak";
    }
}

}  // namespace
