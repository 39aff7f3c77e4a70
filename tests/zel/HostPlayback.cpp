#include "HostPlayback.h"

#include <gtest/gtest.h>

#include "PluginInstance.h"
#include "Render.h"
#include "ToolTestSupport.h"

namespace tooltest {

namespace {

// Collects what zel's render gives, for comparison with the host's.
struct Capture : RenderSink {
    std::vector<std::vector<float>> channels = std::vector<std::vector<float>>(16);
    void write(const float* const* outputs, int32_t frames) override {
        for (int o = 0; o < 16; ++o) channels[o].insert(channels[o].end(), outputs[o], outputs[o] + frames);
    }
};

}  // namespace

vsthost::Audio playInBoth(const std::vector<uint8_t>& kit, const std::vector<TimedMessage>& messages, int64_t frames) {
    vsthost::PluginLibrary library;
    std::string error;
    EXPECT_TRUE(library.open(pluginPath(), error)) << error;
    vsthost::Effect effect(library.create());
    effect.dispatch(effOpen);
    effect.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect.dispatch(effSetBlockSize, 0, 512);
    std::vector<uint8_t> copy = kit;
    EXPECT_EQ(effect.dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data()), VstIntPtr(kit.size()));
    void* chunk = nullptr;
    const VstIntPtr size = effect.dispatch(effGetChunk, 0, 0, &chunk);
    EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(chunk), static_cast<uint8_t*>(chunk) + size), kit)
        << "the library hands back the kit it took";
    effect.dispatch(effMainsChanged, 0, 1);
    std::vector<vsthost::MidiEvent> events;
    for (const TimedMessage& m : messages) events.push_back({m.frame, m.status, m.data1, m.data2});
    vsthost::Audio theirs = vsthost::render(effect, frames, 512, events);

    PluginInstance ours;
    ours.open(44100, 512);
    EXPECT_TRUE(ours.setChunk(kit));
    ours.resume();
    Capture capture;
    renderSong(ours, messages, frames - 1, RenderOptions{44100, 512}, capture);
    for (int o = 0; o < 16; ++o) {
        capture.channels[o].resize(size_t(frames), 0.0f);  // ours may stop early, in silence
        EXPECT_EQ(capture.channels[o], theirs.channels[o]) << "output " << o;
    }
    return theirs;
}

bool soundsBetween(const vsthost::Audio& audio, int64_t from, int64_t to) {
    for (int64_t f = from; f < to; ++f)
        if (audio.channels[0][size_t(f)] != 0.0f || audio.channels[1][size_t(f)] != 0.0f) return true;
    return false;
}

}  // namespace tooltest
