// `zel info`: every pad's name, key, file, slot and settings, in the
// plug-in's own display texts.
#include <gtest/gtest.h>

#include <sstream>

#include "ToolTestSupport.h"
#include "engine/Kit.h"

namespace {

using namespace tooltest;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ZelInfo, DescribesEveryPadOfTheDemoKit) {
    ScratchDir dir;
    ASSERT_EQ(zel({"kit", dir.path("demo.bin"), "--demo"}).status, 0);
    const Outcome outcome = zel({"info", dir.path("demo.bin")});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> lines = linesOf(outcome.out);
    ASSERT_EQ(lines.size(), 1u + 2 * 16);
    EXPECT_TRUE(has(lines[0], "16 of 16 pads play samples, 16 sample slots"));
    EXPECT_TRUE(has(lines[0], std::to_string(readBytes(dir.path("demo.bin")).size()) + " bytes"));
    for (int p = 0; p < 16; ++p) {
        const std::string& pad = lines[1 + 2 * p];
        SCOPED_TRACE(pad);
        EXPECT_EQ(pad.substr(0, 2), (p < 9 ? " " : "") + std::to_string(p + 1));
        EXPECT_TRUE(has(pad, kDefaultPadNames[p]));
        EXPECT_TRUE(has(pad, "(" + std::to_string(kDefaultPadNotes[p]) + ")"));
        EXPECT_TRUE(has(pad, "demo-"));
        EXPECT_TRUE(has(pad, "44100 Hz, 16-bit"));
        EXPECT_TRUE(has(lines[2 + 2 * p], "Volume 100 %  Pan 0 %  Pitch 100 %"));
        EXPECT_TRUE(has(lines[2 + 2 * p], "High 30.00 kHz  Sample rate 192 kHz  bit 24bit"));
    }
    EXPECT_TRUE(has(lines[1], "note C2   (36)"));
    EXPECT_TRUE(has(lines[1], "slot 1: 0.75 s"));
    EXPECT_TRUE(has(lines[11], "group 4"));  // the pedal hat chokes with the others
}

TEST(ZelInfo, ShowsChangedSettingsAndEmptyPads) {
    ScratchDir dir;
    ASSERT_EQ(zel({"kit", dir.path("kit.bin"), "--name", "2=Clap", "--note", "2=60", "--pan", "2=35",
                   "--high", "2=12000", "--sample-rate", "2=8000", "--bits", "2=8", "--channel", "2=3"})
                  .status,
              0);
    const Outcome outcome = zel({"info", dir.path("kit.bin")});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> lines = linesOf(outcome.out);
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_TRUE(has(lines[0], "0 of 16 pads play samples, 0 sample slots, 9372 bytes"));
    EXPECT_TRUE(has(lines[3], "Clap")) << lines[3];
    EXPECT_TRUE(has(lines[3], "note C4   (60)")) << lines[3];
    EXPECT_TRUE(has(lines[3], "output 3")) << lines[3];
    EXPECT_TRUE(has(lines[3], "no sample")) << lines[3];
    EXPECT_TRUE(has(lines[4], "Pan 35 %")) << lines[4];
    EXPECT_TRUE(has(lines[4], "High 12.00 kHz  Sample rate 8 kHz  bit 8bit")) << lines[4];
}

}  // namespace
