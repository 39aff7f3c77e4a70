// The example groove: the committed file is what its generator writes, and
// it is the song the demo is meant to play.
#include <gtest/gtest.h>

#include <set>

#include "MidiFile.h"
#include "MidiTiming.h"
#include "ToolTestSupport.h"
#include "engine/Kit.h"

namespace {

using namespace tooltest;

TEST(ExampleGroove, TheCommittedFileIsWhatTheGeneratorWrites) {
    ScratchDir dir;
    const Outcome outcome = run(grooveGeneratorPath(), {dir.path("groove.mid")});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(readBytes(dir.path("groove.mid")), readBytes(examplesDir() + "/groove.mid"));
}

TEST(ExampleGroove, PlaysEveryPadForAboutHalfAMinute) {
    MidiSong song;
    std::string error;
    ASSERT_TRUE(readMidiFile(examplesDir() + "/groove.mid", song, error)) << error;
    EXPECT_EQ(song.format, 1);
    EXPECT_EQ(song.trackCount, 2);
    EXPECT_GT(song.tempos.size(), 1u) << "it slows down at the end";
    std::set<int> keys;
    for (const MidiMessage& message : song.messages)
        if ((message.status & 0xF0) == 0x90) keys.insert(message.data1);
    for (int p = 0; p < 16; ++p) EXPECT_EQ(keys.count(kDefaultPadNotes[p]), 1u) << kDefaultPadNames[p];
    EXPECT_EQ(keys.size(), 16u);
    const double seconds = double(MidiClock(song, 1000).frameAt(song.endTick)) / 1000.0;
    EXPECT_GT(seconds, 27.0);
    EXPECT_LT(seconds, 33.0);
}

}  // namespace
