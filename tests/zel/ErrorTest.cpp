// Bad input of every kind: one line naming the file and the problem, a
// non-zero exit, nothing left behind and nothing overwritten.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "MidiWriter.h"
#include "ToolTestSupport.h"

namespace {

using namespace tooltest;

// A scratch directory holding good inputs and a few bad ones.
class ZelErrors : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zel({"kit", dir.path("good.bin"), "--demo"}).status, 0);
        good = readBytes(dir.path("good.bin"));
        std::vector<uint8_t> bad = good;
        bad[20] ^= 1;  // the size field no longer matches the length
        writeBytes(dir.path("badsize.bin"), bad);
        std::vector<uint8_t> slot = good;
        slot[28 + 320] = 17;  // pad 1 plays slot 17
        writeBytes(dir.path("badslot.bin"), slot);
        const std::vector<uint8_t> groove = readBytes(examplesDir() + "/groove.mid");
        writeBytes(dir.path("groove.mid"), groove);
        writeBytes(dir.path("cut.mid"), std::vector<uint8_t>(groove.begin(), groove.begin() + 500));
        writeBytes(dir.path("notes.txt"), std::vector<uint8_t>{'h', 'i', '\n'});
        writeBytes(dir.path("keep.wav"), std::vector<uint8_t>{'o', 'l', 'd'});
        before = dir.names();
    }

    // Nothing new in the directory, and the file to be overwritten untouched.
    void expectNothingLeftBehind() {
        EXPECT_EQ(dir.names(), before);
        EXPECT_EQ(readBytes(dir.path("keep.wav")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    }

    ScratchDir dir;
    std::vector<uint8_t> good;
    std::vector<std::string> before;
};

TEST_F(ZelErrors, RenderInputsThatCannotBeUsed) {
    const std::string out = dir.path("keep.wav");
    expectOneLineError(zel({"render", dir.path("missing.mid"), out}), {"missing.mid", "No such file"});
    expectOneLineError(zel({"render", dir.path("cut.mid"), out}), {"cut.mid", "cut short"});
    expectOneLineError(zel({"render", dir.path("notes.txt"), out}), {"notes.txt", "not a Standard MIDI File"});
    expectOneLineError(zel({"render", dir.path(""), out}), {"Is a directory"});
    expectOneLineError(zel({"render", "--kit", dir.path("badsize.bin"), dir.path("groove.mid"), out}),
                       {"badsize.bin", "size field"});
    expectOneLineError(zel({"render", "--kit", dir.path("badslot.bin"), dir.path("groove.mid"), out}),
                       {"badslot.bin", "slot number"});
    expectOneLineError(zel({"render", "--kit", dir.path("nokit.bin"), dir.path("groove.mid"), out}),
                       {"nokit.bin", "No such file"});
    expectOneLineError(zel({"render", dir.path("groove.mid"), dir.path("nodir/out.wav")}),
                       {"nodir/out.wav", "cannot be written"});
    expectNothingLeftBehind();
}

TEST_F(ZelErrors, KitInputsThatCannotBeUsed) {
    const std::string out = dir.path("keep.wav");
    expectOneLineError(zel({"kit", out, "--pad", "1=" + dir.path("missing.wav")}), {"missing.wav", "No such file"});
    expectOneLineError(zel({"kit", out, "--pad", "2=" + dir.path("notes.txt")}),
                       {"notes.txt", "not audio that libsndfile can read"});
    expectOneLineError(zel({"kit", out, "--pad", "2=" + dir.path("good.bin")}), {"good.bin", "libsndfile"});
    expectOneLineError(zel({"kit", out, "--from", dir.path("badsize.bin")}), {"badsize.bin", "size field"});
    expectOneLineError(zel({"kit", out, "--pad", "17=" + dir.path("good.bin")}), {"--pad", "no pad \"17\""});
    expectOneLineError(zel({"kit", out, "--pad", "snare"}), {"--pad", "expected N=VALUE"});
    expectOneLineError(zel({"kit", out, "--volume", "1=loud"}), {"--volume", "not a number"});
    expectOneLineError(zel({"kit", out, "--volume", "1=250"}), {"--volume", "out of range"});
    expectOneLineError(zel({"kit", out, "--note", "kick=C9"}), {"--note", "20 to 90"});
    expectOneLineError(zel({"kit", out, "--bits", "1=7.5"}), {"--bits", "out of range"});
    expectOneLineError(zel({"kit", out, "--sample-rate", "1=5000"}), {"--sample-rate", "one of"});
    expectOneLineError(zel({"kit", out, "--name", "1=a name far too long"}), {"--name", "15 characters"});
    expectOneLineError(zel({"kit", out, "--demo", "--from", dir.path("good.bin")}), {"--demo", "--from"});
    expectNothingLeftBehind();
}

TEST_F(ZelErrors, InfoOnKitsThePluginRefuses) {
    expectOneLineError(zel({"info", dir.path("badsize.bin")}), {"badsize.bin", "its size field does not match its length"});
    expectOneLineError(zel({"info", dir.path("badslot.bin")}), {"badslot.bin", "a slot number outside 0 to 16"});
    expectOneLineError(zel({"info", dir.path("notes.txt")}), {"notes.txt", "shorter than the 9372-byte fixed part"});
    expectOneLineError(zel({"info", dir.path("nothing.bin")}), {"nothing.bin", "No such file"});
    expectNothingLeftBehind();
}

TEST_F(ZelErrors, BadArgumentsAreUsageErrors) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {"play"},
             {"render"},
             {"render", dir.path("groove.mid")},
             {"render", "--rate", "fast", dir.path("groove.mid"), dir.path("keep.wav")},
             {"render", "--rate", "100", dir.path("groove.mid"), dir.path("keep.wav")},
             {"render", "--block", "0", dir.path("groove.mid"), dir.path("keep.wav")},
             {"render", "--outputs", "surround", dir.path("groove.mid"), dir.path("keep.wav")},
             {"render", "--loud", dir.path("groove.mid"), dir.path("keep.wav")},
             {"kit"},
             {"info"},
         }) {
        const Outcome outcome = zel(arguments);
        SCOPED_TRACE(outcome.err);
        expectOneLineError(outcome, {});
        EXPECT_EQ(outcome.status, 2);
    }
    expectNothingLeftBehind();
    EXPECT_EQ(zel({"--help"}).status, 0);
}

// Stopped with ^C halfway through, a render leaves no temporary file.
TEST_F(ZelErrors, AnInterruptedRenderLeavesNothingBehind) {
    MidiTrackWriter drums;
    for (int i = 0; i < 1200; ++i) drums.noteOn(uint64_t(i) * 240, 9, 36 + i % 22, 100);  // five minutes
    writeBytes(dir.path("long.mid"), midiFileBytes({drums}, 480));
    before = dir.names();
    const int child = startZel({"render", dir.path("long.mid"), dir.path("keep.wav")});
    ASSERT_GT(child, 0);
    // Wait for the pending file to appear (its name starts with a dot), or for zel to end.
    bool pending = false;
    int status = 0;
    while (!pending && waitpid(child, &status, WNOHANG) == 0) {
        for (const std::string& name : dir.names()) pending = pending || name.rfind(".keep.wav.", 0) == 0;
        if (!pending) usleep(1000);
    }
    ASSERT_TRUE(pending) << "zel ended before it was interrupted";
    kill(child, SIGINT);
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    expectNothingLeftBehind();
}

}  // namespace
