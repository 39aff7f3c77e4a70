// Note events: voice set-up, choke groups and rolls, polarity, voice limits,
// shared keys and the pads' activity indicators.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestKit.h"
#include "engine/Notes.h"

namespace {

constexpr int16_t kBass = 36;  // pad 0's default key
// A kit whose pad 0 holds two seconds of a quiet constant.
struct NoteKit : ::testing::Test {
    TestKit t;
    void SetUp() override { t.placeSample(0, std::vector<float>(88200, 0.25f), 44100.0f); }
    NoteActivity shown(int p) { return t.pad(p).shownActivity.load(); }
};

}  // namespace

TEST_F(NoteKit, HitWithinHalfASecondIsARoll) {
    t.pad(0).pitchX = 1.0f;
    ASSERT_EQ(t.noteOn(kBass, 100), 2);
    t.advance(4410);  // 0.1 s
    ASSERT_EQ(t.noteOn(kBass, 100), 2);

    const Voice& first = t.voice(0);
    const Voice& second = t.voice(1);
    ASSERT_EQ(second.pad, &t.pad(0));
    EXPECT_EQ(first.fadeOut, 1.0f);
    EXPECT_EQ(first.fadeIn, 1.0f);
    EXPECT_EQ(second.startClock, 4410u);
    EXPECT_EQ(second.fadeOut, 0.0f);
    // A fifth of the way into the half second: it starts at a fifth of full
    // level and rises over |Pitch-X| / 5 = 0.2 s, 8820 frames.
    EXPECT_EQ(second.fadeIn, 0.2f);
    EXPECT_EQ(second.fadeInStep, 1.0f / 8820.0f);
    // Velocity 100 bends it 2 % up (10 x 0.002), the roll a fifth of 2.5 %
    // more: 1.02 x 1.005. The bend glides back at 10/3 a second.
    EXPECT_EQ(second.pitchFactor, 1.0251f);
    EXPECT_EQ(second.glideStep, 1.0f / 13230.0f);
}

TEST_F(NoteKit, HitAfterHalfASecondOnlyChokes) {
    t.pad(0).pitchX = 1.0f;
    t.noteOn(kBass, 100);
    t.advance(26460);  // 0.6 s
    t.noteOn(kBass, 100);
    EXPECT_EQ(t.voice(0).fadeOut, 1.0f);
    EXPECT_EQ(t.voice(1).fadeIn, 1.0f);
    EXPECT_EQ(t.voice(1).fadeInStep, 0.0f);
    EXPECT_EQ(t.voice(1).glideStep, 0.0f);
    EXPECT_EQ(t.voice(1).pitchFactor, 1.02f) << "the velocity bend alone";
}

TEST_F(NoteKit, RollWindowEndsAtExactlyHalfASecond) {
    t.pad(0).pitchX = 0.5f;
    t.noteOn(kBass, 90);
    t.kit().clock = 22049;
    t.noteOn(kBass, 90);
    EXPECT_NE(t.voice(1).glideStep, 0.0f);
    EXPECT_EQ(t.voice(1).fadeInStep, 1.0f / 4410.0f) << "Pitch-X 0.5 rises in 0.1 s";
    t.kit().clock = 22049 + 22050;
    t.noteOn(kBass, 90);
    EXPECT_EQ(t.voice(2).glideStep, 0.0f);
    EXPECT_EQ(t.voice(2).fadeIn, 1.0f);
    EXPECT_EQ(t.voice(1).fadeOut, 1.0f);
}

TEST_F(NoteKit, RollWithTinyPitchXOnlyBendsAndGlides) {
    t.pad(0).pitchX = -0.004f;  // |pitchX| x 200 < 1: no fade-in
    t.noteOn(kBass, 90);
    t.kit().clock = 1000;
    t.noteOn(kBass, 90);
    EXPECT_EQ(t.voice(1).fadeIn, 1.0f);
    EXPECT_EQ(t.voice(1).fadeInStep, 0.0f);
    EXPECT_EQ(t.voice(1).glideStep, 1.0f / 13230.0f);
    // 1000 / 22050 of 2.5 % x -0.004 lower; velocity 90 bends nothing.
    EXPECT_EQ(t.voice(1).pitchFactor, 0.99999547f);
}

TEST_F(NoteKit, NoteOnStartsAFreshVoice) {
    Voice& slot = t.voice(0);
    slot.position = 55.0f;
    slot.fadeIn = 0.3f;
    slot.fadeOut = 0.7f;
    slot.smoothState = 0.9f;
    slot.glideStep = slot.fadeInStep = 0.01f;
    for (Biquad* f : {&slot.lowCutFilter, &slot.midFilter, &slot.highCutFilter})
        for (float& value : f->state) value = 0.5f;
    t.kit().clock = 777;
    t.noteOn(kBass, 64);

    EXPECT_EQ(slot.pad, &t.pad(0));
    EXPECT_EQ(slot.position, 0.0f);
    EXPECT_EQ(slot.fadeIn, 1.0f);
    EXPECT_EQ(slot.fadeOut, 0.0f);
    EXPECT_EQ(slot.smoothState, 0.0f);
    EXPECT_EQ(slot.glideStep, 0.0f);
    EXPECT_EQ(slot.fadeInStep, 0.0f);
    EXPECT_EQ(slot.startClock, 777u);
    Biquad* own[] = {&slot.lowCutFilter, &slot.midFilter, &slot.highCutFilter};
    Biquad* pads[] = {&t.pad(0).lowCutFilter, &t.pad(0).midFilter, &t.pad(0).highCutFilter};
    for (int f = 0; f < 3; ++f) {
        for (float value : own[f]->state) EXPECT_EQ(value, 0.0f);
        EXPECT_EQ(own[f]->owner, pads[f]);
        EXPECT_EQ(own[f]->type, pads[f]->type);
        for (int c = 0; c < Biquad::CoefficientCount; ++c) EXPECT_EQ(own[f]->coef[c], pads[f]->coef[c]);
    }
}

TEST_F(NoteKit, VelocityBendsThePitch) {
    // 1 + (velocity - 90) x 0.002 x Pitch-X, the bend going no lower than -30.
    struct Case {
        int velocity;
        float pitchX, factor;
    };
    const Case cases[] = {{127, 1.0f, 1.074f},  {40, 1.0f, 0.94f},   {60, 1.0f, 0.94f},
                          {90, 1.0f, 1.0f},     {127, -1.0f, 0.926f}, {40, -1.0f, 1.06f},
                          {127, 0.5f, 1.037f},  {40, 0.5f, 0.97f},   {127, 0.0f, 1.0f}};
    for (const Case& c : cases) {
        t.pad(0).pitchX = c.pitchX;
        t.kit().clock += 30000;  // no roll
        ASSERT_EQ(t.noteOn(kBass, c.velocity), 2);
        const Voice* fresh = nullptr;
        for (const Voice& v : t.kit().voices)
            if (v.pad != nullptr && v.fadeOut == 0.0f) fresh = &v;
        ASSERT_NE(fresh, nullptr);
        EXPECT_EQ(fresh->pitchFactor, c.factor) << c.velocity << " " << c.pitchX;
    }
}

TEST_F(NoteKit, SuccessiveVoicesAlternatePolarity) {
    const float scale = 1.0f / 127.0f;
    for (int hit = 0; hit < 5; ++hit) {
        t.noteOn(kBass, 100);
        const float sign = hit % 2 == 0 ? -1.0f : 1.0f;
        EXPECT_EQ(t.voice(hit).gain, 100.0f * scale * sign) << "hit " << hit;
    }
    // The count is the pad's own and wraps at 8 bits.
    t.placeSample(1, {0.5f, 0.5f}, 44100.0f);
    t.noteOn(37, 127);
    EXPECT_EQ(t.voice(5).gain, -(127.0f * scale));
    t.pad(1).polarityCount = 255;
    t.noteOn(37, 127);
    t.noteOn(37, 127);
    EXPECT_GT(t.voice(6).gain, 0.0f);
    EXPECT_LT(t.voice(7).gain, 0.0f);
}

TEST_F(NoteKit, NoStealingWhenAllVoicesSound) {
    for (int hit = 0; hit < kVoiceCount; ++hit) t.noteOn(kBass, 100);
    ASSERT_EQ(soundingVoices(t), kVoiceCount);
    for (Voice& v : t.kit().voices) v.fadeOut = 0.0f;  // all sounding, none fading
    std::vector<unsigned char> before(sizeof t.kit().voices);
    std::memcpy(before.data(), t.kit().voices, before.size());
    const int32_t activity = t.pad(0).activity;
    const uint8_t polarity = t.pad(0).polarityCount;

    EXPECT_EQ(t.noteOn(kBass, 100), 2);
    EXPECT_EQ(t.pad(0).activity, activity + 1001);
    EXPECT_EQ(t.pad(0).polarityCount, polarity);
    EXPECT_EQ(std::memcmp(before.data(), t.kit().voices, before.size()), 0) << "no voice changed";
}

TEST_F(NoteKit, KeySharedByTwoPadsStartsTwoVoices) {
    t.placeSample(3, {0.5f, 0.5f}, 44100.0f);
    t.pad(3).note = kBass;
    EXPECT_EQ(t.noteOn(kBass), 2);
    EXPECT_EQ(t.voice(0).pad, &t.pad(0));
    EXPECT_EQ(t.voice(1).pad, &t.pad(3));
    EXPECT_EQ(soundingVoices(t), 2);
    EXPECT_EQ(t.pad(0).activity, 1001);
    EXPECT_EQ(t.pad(3).activity, 1001);
    EXPECT_EQ(t.voice(0).fadeOut, 0.0f) << "different groups do not choke";

    // In one group, the later pad's voice chokes the earlier pad's at once.
    t.pad(3).group = 0;
    t.kit().clock += 30000;
    t.noteOn(kBass);
    EXPECT_EQ(t.voice(2).fadeOut, 1.0f);
    EXPECT_EQ(t.voice(3).fadeOut, 0.0f);
}

TEST_F(NoteKit, PadWithoutSampleOnlyTracksReleases) {
    // Pad 2 (key 38) has no sample.
    EXPECT_EQ(t.noteOn(38), 0);
    EXPECT_EQ(soundingVoices(t), 0);
    EXPECT_EQ(t.pad(2).activity, 0);
    EXPECT_EQ(t.noteEvent(0x90, 38, 0), 0);
    EXPECT_EQ(t.noteEvent(0x80, 38, 64), 2) << "the pad's note label is shown again";
    EXPECT_EQ(t.pad(2).activity, 0);
    EXPECT_EQ(shown(2), NoteActivity::Idle);
    EXPECT_EQ(t.noteEvent(0x80, 99, 64), 0) << "a key no pad plays";
}

TEST_F(NoteKit, VelocityZeroReleasesWithoutStoppingTheVoice) {
    t.noteOn(kBass);
    EXPECT_EQ(t.noteEvent(0x90, kBass, 0), 2);
    EXPECT_EQ(t.pad(0).activity, 1);
    EXPECT_EQ(t.voice(0).pad, &t.pad(0));
    EXPECT_EQ(t.voice(0).fadeOut, 0.0f);
    // A second release finds no held key.
    EXPECT_EQ(t.noteEvent(0x80, kBass, 0), 2);
    EXPECT_EQ(t.pad(0).activity, 1);
}

TEST_F(NoteKit, PublishedActivityGoesHeldRingingIdle) {
    t.placeSample(0, std::vector<float>(300, 0.25f), 44100.0f);
    EXPECT_EQ(shown(0), NoteActivity::Idle);
    EXPECT_EQ(t.noteOn(kBass), 2);
    EXPECT_EQ(shown(0), NoteActivity::Held);
    EXPECT_EQ(t.noteEvent(0x80, kBass, 0), 2);
    EXPECT_EQ(shown(0), NoteActivity::Ringing);
    EXPECT_EQ(t.render(512), 2);  // the sample ends
    EXPECT_EQ(t.pad(0).activity, 0);
    EXPECT_EQ(shown(0), NoteActivity::Idle);
    EXPECT_EQ(shown(1), NoteActivity::Idle) << "other pads untouched";
}

TEST_F(NoteKit, OtherStatusesDoNothing) {
    for (uint8_t status : {0x00, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x91, 0x81}) {
        EXPECT_EQ(t.noteEvent(status, kBass, 100), 0) << int(status);
    }
    EXPECT_EQ(soundingVoices(t), 0);
    EXPECT_EQ(t.pad(0).activity, 0);
}
