// Painting, seen through a canvas that records every primitive: when paints
// are full or partial, where knob arcs and slider handles land, and what the
// note labels show.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "EditorHarness.h"
#include "host/zelVst.h"

namespace {

using Call = RecordingCanvas::Call;
using Kind = RecordingCanvas::Kind;

constexpr uint32_t kBackground = 0x888888, kBorder = 0x555555;

std::vector<Call> ofKind(const std::vector<Call>& calls, Kind kind) {
    std::vector<Call> out;
    for (const Call& call : calls)
        if (call.kind == kind) out.push_back(call);
    return out;
}

bool isBackground(const Call& call) {
    return call.kind == Kind::Rectangle && call.left == 0 && call.top == 0 && call.right == 1024 &&
           call.bottom == 599 && call.pen == kBorder && call.brush == kBackground;
}

class Painting : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(t.record(), nullptr); }
    // The arcs drawn for the pan knob of pad 0 (64, 120, 56 x 56) at a value.
    std::vector<Call> panKnobArcs(float value) {
        t.setParameter(3, value);
        const std::vector<Call> calls = t.paint();
        std::vector<Call> arcs;
        for (const Call& call : ofKind(calls, Kind::Arc))
            if (call.left >= 64 && call.right <= 120 && call.top >= 120 && call.bottom <= 176)
                arcs.push_back(call);
        return arcs;
    }
    EditorUnderTest t;
};

TEST_F(Painting, TheFirstTwoPaintsAfterOpeningAreFullTheRestPartial) {
    t.editor().open(t.window);
    for (int full = 0; full < 2; ++full) {
        const std::vector<Call> calls = t.paint();
        ASSERT_FALSE(calls.empty());
        EXPECT_TRUE(isBackground(calls.front())) << "paint " << full;
        // Every label's text, the pads' names among them.
        const std::vector<Call> texts = ofKind(calls, Kind::Text);
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const Call& c) { return c.text == "Crash2"; }));
    }
    EXPECT_TRUE(t.paint().empty()) << "nothing changed: nothing drawn";
    t.editor().close();
    t.editor().open(t.window);
    EXPECT_TRUE(isBackground(t.paint().front())) << "reopened: full again";
}

TEST_F(Painting, APartialPaintRedrawsOnlyTheControlsOfAChangedParameter) {
    t.openAndSettle();
    t.setParameter(3 * 15 + 2, 0.25f);  // pad 3's volume, from the host
    const std::vector<Call> calls = t.paint();
    ASSERT_FALSE(calls.empty());
    // Each of the two controls is first cleared in the background colour.
    EXPECT_EQ(calls.front().pen, kBackground);
    EXPECT_EQ(calls.front().brush, kBackground);
    for (const Call& call : calls) {
        EXPECT_GE(call.left, 244);
        EXPECT_LE(call.right, 300);
        EXPECT_GE(call.top, 236);
        EXPECT_LE(call.bottom, 434);
    }
    const std::vector<Call> texts = ofKind(calls, Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "50") << "the volume label shows 50 %";
    EXPECT_TRUE(t.paint().empty());
}

TEST_F(Painting, KnobValueArcsRunFromTheMinimumToTheValue) {
    t.openAndSettle();
    // The knob's centre is (92, 148) and its track ends at the lower left,
    // (92 - 56 x 0.7071068, 148 + 56 x 0.7071067) = (52.4, 187.6).
    const Point trackEnd{52, 187};
    std::vector<Call> arcs = panKnobArcs(0.0f);
    ASSERT_EQ(arcs.size(), 3u) << "the track and the disc's light and shade, no value arc";
    EXPECT_EQ(arcs[0].points[0], (Point{131, 180})) << "the track starts at the lower right";
    EXPECT_EQ(arcs[0].points[1], trackEnd);
    EXPECT_EQ(arcs[0].width, 6) << "0.12 of the knob's width";
    EXPECT_EQ(arcs[0].pen, 0x555555u);

    arcs = panKnobArcs(0.5f);
    ASSERT_EQ(arcs.size(), 4u);
    EXPECT_EQ(arcs[1].points[0], (Point{92, 92})) << "straight up, one width from the centre";
    EXPECT_EQ(arcs[1].points[1], trackEnd);
    EXPECT_EQ(arcs[1].pen, 0x084408u) << "the knob's ink";
    EXPECT_EQ(arcs[1].left, 68);
    EXPECT_EQ(arcs[1].bottom, 172);

    arcs = panKnobArcs(1.0f);
    ASSERT_EQ(arcs.size(), 4u);
    EXPECT_EQ(arcs[1].points[0], (Point{131, 187})) << "the lower right, at -45 degrees";
    EXPECT_EQ(arcs[1].points[1], trackEnd);
}

TEST_F(Painting, SliderHandlesSitFlushWithTheEnds) {
    t.openAndSettle();
    auto handleOf = [&](int index, float value, int left, int top, int right, int bottom) {
        t.setParameter(index, value);
        for (const Call& call : ofKind(t.paint(), Kind::Rectangle))
            if (call.brush == 0xBBBBBB && call.left >= left && call.right <= right && call.top >= top &&
                call.bottom <= bottom)
                return call;  // the handle's face: its ink (170, 170, 170) x 1.1
        return Call{};
    };
    // Pad 0's volume slider, 64..120 x 236..404, with a 16-pixel handle.
    Call handle = handleOf(2, 1.0f, 64, 236, 120, 404);
    EXPECT_EQ(handle.top, 236);
    EXPECT_EQ(handle.bottom, 252);
    handle = handleOf(2, 0.0f, 64, 236, 120, 404);
    EXPECT_EQ(handle.top, 388);
    EXPECT_EQ(handle.bottom, 404);
    // The note slider, 64..400 x 568..596.
    handle = handleOf(11, 0.0f, 64, 568, 400, 596);
    EXPECT_EQ(handle.left, 64);
    EXPECT_EQ(handle.right, 80);
    handle = handleOf(11, 1.0f, 64, 568, 400, 596);
    EXPECT_EQ(handle.left, 384);
    EXPECT_EQ(handle.right, 400);
}

TEST_F(Painting, NoteLabelsFlashWithTheNotes) {
    const std::vector<int16_t> hit(4000, 12000);
    ScratchFolder folder;
    ASSERT_EQ(t.plugin().core().loadSampleFile(2, folder.write("snare.wav", monoWav(hit)).c_str()), "");
    t.openAndSettle();
    auto labelFace = [&]() -> uint32_t {
        for (const Call& call : ofKind(t.paint(), Kind::Rectangle))
            if (call.left == 184 && call.top == 32 && call.pen == kBorder) return call.brush;
        return 0;  // not repainted
    };
    t.noteOn(38);
    t.render(64);
    EXPECT_TRUE(t.editor().takeRepaintRequest()) << "the audio side asked for a repaint";
    EXPECT_EQ(labelFace(), 0xAAAAFFu) << "held";
    // The note-off through the host: ringing while the voice sounds.
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[2];
    } list{};
    VstMidiEvent off{};
    off.type = kVstMidiType;
    off.byteSize = sizeof off;
    off.midiData[0] = static_cast<char>(0x80);
    off.midiData[1] = 38;
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&off);
    t.record()->dispatcher(t.record(), effProcessEvents, 0, 0, &list, 0.0f);
    t.render(64);
    EXPECT_EQ(labelFace(), 0x9999CCu) << "ringing";
    t.render(8000);
    EXPECT_EQ(labelFace(), 0x888888u) << "idle once the voice ended";
    EXPECT_EQ(labelFace(), 0u) << "and no repaint without a change";
}

}  // namespace
