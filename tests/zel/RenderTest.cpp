// `zel render`: the same samples every time, every event at its frame
// whatever the block size, and exactly what the plug-in library renders
// for the same events under the test host.
#include <gtest/gtest.h>

#include "MidiFile.h"
#include "MidiWriter.h"
#include "ToolTestSupport.h"

namespace {

using namespace tooltest;

std::string groove() { return examplesDir() + "/groove.mid"; }

std::vector<TimedMessage> messagesOf(const std::string& path, uint32_t rate) {
    MidiSong song;
    std::string error;
    EXPECT_TRUE(readMidiFile(path, song, error)) << error;
    return timedMessages(song, rate);
}

// A song for the kit below: rolls on the hi-hats, hits in one choke group,
// all-notes-off, controllers the plug-in ignores, and a tempo change.
std::vector<uint8_t> busySong() {
    MidiTrackWriter tempo, drums;
    tempo.tempo(0, 450000);
    tempo.tempo(1920, 300000);
    for (int i = 0; i < 32; ++i) {
        const uint64_t tick = uint64_t(i) * 120;
        drums.noteOn(tick, 9, i % 4 == 3 ? 46 : 42, 40 + 2 * i);  // open hat chokes the closed ones
        drums.noteOff(tick + 30, 9, 42);
        if (i % 4 == 0) drums.noteOn(tick, 9, 36, 127);
        if (i % 8 == 4) drums.noteOn(tick, 9, 38, 100);
        if (i % 8 == 6) drums.noteOn(tick + 17, 9, 37, 90);
        if (i >= 24) drums.noteOn(tick, 9, 41 + (i - 24), 70 + i);  // toms down the bar
    }
    drums.add(1000, {0xE9, 0x00, 0x60});  // pitch bend: not for drums
    drums.add(1100, {0xB9, 7, 20});
    drums.noteOn(2000, 9, 49, 127);
    drums.noteOn(2010, 9, 57, 127);
    drums.noteOn(2400, 9, 51, 110);
    drums.noteOn(2420, 9, 55, 100);
    drums.add(2600, {0xB9, 123, 0});  // all notes off: releases, voices ring on
    drums.noteOn(2600, 9, 44, 90);
    return midiFileBytes({tempo, drums}, 480);
}

TEST(ZelRender, GivesTheSameSamplesEveryTimeAndRunsUntilTheLastVoiceEnds) {
    ScratchDir dir;
    for (const char* name : {"a.wav", "b.wav"}) {
        const Outcome outcome = zel({"render", groove(), dir.path(name)});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "");
    }
    const std::vector<uint8_t> first = readBytes(dir.path("a.wav"));
    EXPECT_GT(first.size(), 1000000u);
    EXPECT_EQ(first, readBytes(dir.path("b.wav")));

    const Audio audio = readAudio(dir.path("a.wav"));
    ASSERT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.rate, 44100);
    const std::vector<TimedMessage> messages = messagesOf(groove(), 44100);
    EXPECT_GT(audio.frames, messages.back().frame);
    // Whole blocks: the last one holds the end of the last voice and then silence.
    EXPECT_EQ(audio.frames % 1024, 0);
    bool soundInLastBlocks = false;
    for (int64_t f = audio.frames - 2048; f < audio.frames; ++f)
        soundInLastBlocks = soundInLastBlocks || audio.at(f, 0) != 0.0f;
    EXPECT_TRUE(soundInLastBlocks);
    EXPECT_EQ(audio.at(audio.frames - 1, 0), 0.0f);
    EXPECT_EQ(audio.at(audio.frames - 1, 1), 0.0f);
}

TEST(ZelRender, BlockSizeAndPlacementOfEventsDoNotChangeTheSound) {
    ScratchDir dir;
    ASSERT_EQ(zel({"render", "--block", "1024", groove(), dir.path("big.wav")}).status, 0);
    ASSERT_EQ(zel({"render", "--block", "37", groove(), dir.path("odd.wav")}).status, 0);
    const Audio big = readAudio(dir.path("big.wav")), odd = readAudio(dir.path("odd.wav"));
    ASSERT_GT(big.frames, 0);
    EXPECT_EQ(odd.frames % 37, 0);
    const int64_t common = std::min(big.frames, odd.frames);
    int64_t differing = 0;
    for (int64_t i = 0; i < common * 2; ++i) differing += big.samples[size_t(i)] != odd.samples[size_t(i)];
    EXPECT_EQ(differing, 0);
    for (const Audio* longer : {&big, &odd})
        for (int64_t i = common * 2; i < longer->frames * 2; ++i) ASSERT_EQ(longer->samples[size_t(i)], 0.0f);
}

TEST(ZelRender, StereoMixesTheEightOutputPairs) {
    ScratchDir dir;
    ASSERT_EQ(zel({"kit", dir.path("kit.bin"), "--demo", "--channel", "1=2", "--channel", "snare=8",
                   "--channel", "3=8", "--pan", "close=-100"})
                  .status,
              0);
    ASSERT_EQ(zel({"render", "--kit", dir.path("kit.bin"), "--outputs", "all", groove(), dir.path("all.wav")}).status, 0);
    ASSERT_EQ(zel({"render", "--kit", dir.path("kit.bin"), groove(), dir.path("mix.wav")}).status, 0);
    const Audio all = readAudio(dir.path("all.wav")), mix = readAudio(dir.path("mix.wav"));
    ASSERT_EQ(all.channels, 16);
    ASSERT_EQ(mix.channels, 2);
    ASSERT_EQ(all.frames, mix.frames);
    int pairsWithSound[8] = {};
    for (int64_t f = 0; f < all.frames; ++f)
        for (int side = 0; side < 2; ++side) {
            float sum = 0.0f;
            for (int pair = 0; pair < 8; ++pair) {
                sum += all.at(f, 2 * pair + side);
                pairsWithSound[pair] += all.at(f, 2 * pair + side) != 0.0f;
            }
            ASSERT_EQ(mix.at(f, side), sum) << "frame " << f;
        }
    EXPECT_GT(pairsWithSound[0], 0);
    EXPECT_GT(pairsWithSound[1], 0);
    EXPECT_GT(pairsWithSound[7], 0);
    EXPECT_EQ(pairsWithSound[2], 0);
}

// The plug-in object that zel renders through in-process and the library a
// host loads are the same code: the same kit and events give the same bits.
TEST(ZelRender, MatchesTheTestHostRenderingThroughThePluginLibrary) {
    ScratchDir dir;
    const Outcome kit = zel({"kit", dir.path("kit.bin"), "--demo", "--pitch-x", "close=60", "--pitch-x", "open=-40",
                             "--low", "1=120", "--high", "snare=7000", "--mid", "rim=900", "--mid-gain", "rim=5",
                             "--pitch", "tom6=80", "--sample-rate", "tom5=12000", "--bits", "tom4=6",
                             "--pan", "ride=-70", "--volume", "crash1=150", "--channel", "crash2=5",
                             "--group", "crash1=16"});
    ASSERT_EQ(kit.status, 0) << kit.err;
    writeBytes(dir.path("busy.mid"), busySong());

    struct Case {
        std::string midi;
        uint32_t rate;
        int block;
    };
    for (const Case& c : {Case{groove(), 44100, 512}, Case{dir.path("busy.mid"), 48000, 300}}) {
        SCOPED_TRACE(c.midi);
        const Outcome render = zel({"render", "--kit", dir.path("kit.bin"), "--rate", std::to_string(c.rate),
                                    "--block", std::to_string(c.block), "--outputs", "all", c.midi,
                                    dir.path("zel.wav")});
        ASSERT_EQ(render.status, 0) << render.err;
        const Audio ours = readAudio(dir.path("zel.wav"));
        ASSERT_EQ(ours.channels, 16);
        ASSERT_FALSE(ours.silent());

        const Outcome host = vsthost({"run", pluginPath(), "--rate", std::to_string(c.rate), "--block",
                                      std::to_string(c.block), "--set-chunk", dir.path("kit.bin"), "--midi",
                                      midiArgument(messagesOf(c.midi, c.rate)), "--render",
                                      std::to_string(ours.frames), dir.path("host.wav")});
        ASSERT_EQ(host.status, 0) << host.out << host.err;
        const Audio theirs = readAudio(dir.path("host.wav"));
        ASSERT_EQ(theirs.channels, 16);
        ASSERT_EQ(theirs.frames, ours.frames);
        int64_t differing = 0;
        for (size_t i = 0; i < ours.samples.size(); ++i) differing += ours.samples[i] != theirs.samples[i];
        EXPECT_EQ(differing, 0) << "of " << ours.samples.size() << " samples";
    }
}

}  // namespace
