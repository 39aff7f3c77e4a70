// Filter design corrections, measured responses against the cookbook
// formulas evaluated in double precision, flushing, cascades and chains.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "TestKit.h"
#include "engine/Biquad.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kRate = 44100.0f;

void setUp(Biquad& f, int8_t type, float freq, float q, float gain = 0.0f) {
    f = Biquad{};
    f.init();
    f.type = type;
    f.freq = freq;
    f.q = q;
    f.gain = gain;
}

void designed(Biquad& f, int8_t type, float freq, float q, float gain = 0.0f) {
    setUp(f, type, freq, q, gain);
    f.design(kRate);
}

float coefficient(const Biquad& f, int which) { return f.coef[which][0]; }

// Unnormalised cookbook coefficients, straight from the formulas.
struct Cookbook {
    double b0, b1, b2, a0, a1, a2;
};

Cookbook lowPass(double freq, double q) {
    const double w = 2.0 * kPi * freq / kRate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return {(1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha};
}

Cookbook highPass(double freq, double q) {
    const double w = 2.0 * kPi * freq / kRate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return {(1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha};
}

Cookbook peaking(double freq, double octaves, double gainDb) {
    const double w = 2.0 * kPi * freq / kRate, c = std::cos(w);
    const double alpha = std::sin(w) * std::sinh(std::log(2.0) / 2.0 * octaves * w / std::sin(w));
    const double A = std::pow(10.0, gainDb / 40.0);
    return {1.0 + alpha * A, -2.0 * c, 1.0 - alpha * A, 1.0 + alpha / A, -2.0 * c, 1.0 - alpha / A};
}

double analyticDb(const Cookbook& c, double freq) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * freq / kRate), z2 = z1 * z1;
    return 20.0 * std::log10(std::abs((c.b0 + c.b1 * z1 + c.b2 * z2) / (c.a0 + c.a1 * z1 + c.a2 * z2)));
}

// Runs a unit sine through the chain in engine-sized spans and measures the
// steady-state amplitude by correlation with the input's sine and cosine.
// The settling time also lets any earlier state die away.
double measuredDb(Biquad& first, double freq) {
    const int settle = 8192, window = 16384;
    const double w = 2.0 * kPi * freq / kRate;
    std::vector<float> buffer(settle + window);
    for (size_t n = 0; n < buffer.size(); ++n) buffer[n] = static_cast<float>(std::sin(w * n));
    for (size_t at = 0; at < buffer.size(); at += 1024)
        process(&first, buffer.data() + at, static_cast<int32_t>(std::min<size_t>(1024, buffer.size() - at)));
    double inPhase = 0.0, quadrature = 0.0;
    for (int n = settle; n < settle + window; ++n) {
        inPhase += buffer[n] * std::sin(w * n);
        quadrature += buffer[n] * std::cos(w * n);
    }
    return 20.0 * std::log10(2.0 * std::hypot(inPhase, quadrature) / window);
}

std::vector<float> testSignal(int length) {
    std::vector<float> signal(length);
    for (int n = 0; n < length; ++n)
        signal[n] = static_cast<float>(0.6 * std::sin(0.05 * n) + 0.3 * std::sin(1.3 * n + 0.5));
    return signal;
}

}  // namespace

TEST(BiquadDesign, FrequencyFloorsAndCeilings) {
    struct Case {
        int8_t type;
        float freq, rate, stored;
    };
    const Case cases[] = {
        {Biquad::HighPass, 0.0f, kRate, 10.0f},          {Biquad::HighPassCascade, 3.0f, kRate, 10.0f},
        {Biquad::LowPass, 30000.0f, kRate, 21609.0f},    {Biquad::LowPass, 50.0f, kRate, 100.0f},
        {Biquad::LowPassCascade, 30000.0f, 48000.0f, 23520.0f},
        // Other types keep the general floor of 0.5 Hz.
        {Biquad::Peaking, 0.0f, kRate, 0.5f},            {Biquad::AllPassCascade, 0.2f, kRate, 0.5f},
        // Every type stays below Nyquist.
        {Biquad::Peaking, 30000.0f, kRate, 21609.0f},    {Biquad::HighPass, 5000.0f, 8000.0f, 3920.0f},
        {Biquad::Peaking, 5000.0f, 8000.0f, 3920.0f},    {Biquad::BandPass, 12000.0f, 22050.0f, 10804.5f},
    };
    for (const Case& c : cases) {
        Biquad f;
        setUp(f, c.type, c.freq, 0.9f);
        f.design(c.rate);
        EXPECT_EQ(f.freq, c.stored) << "type " << int(c.type) << " at " << c.freq;
    }
    // The floored filter is the 10 Hz filter.
    Biquad floored, reference;
    designed(floored, Biquad::HighPass, 0.0f, 0.9f);
    designed(reference, Biquad::HighPass, 10.0f, 0.9f);
    for (int c = 0; c < Biquad::CoefficientCount; ++c)
        EXPECT_EQ(coefficient(floored, c), coefficient(reference, c)) << "coefficient " << c;
}

TEST(BiquadDesign, CorrectsQAndMix) {
    Biquad f;
    designed(f, Biquad::LowPass, 1000.0f, 0.0f);
    EXPECT_EQ(f.q, 0.707f);
    const float mixes[][2] = {{1.5f, 1.0f}, {0.0f, 1.0f}, {-0.5f, 1.0f}, {1.0f, 1.0f}, {0.5f, 0.5f}};
    for (const auto& mix : mixes) {
        setUp(f, Biquad::LowPass, 1000.0f, 2.0f);
        f.mix = mix[0];
        f.design(kRate);
        EXPECT_EQ(f.mix, mix[1]) << "mix " << mix[0];
        EXPECT_EQ(f.q, 2.0f);
    }
}

TEST(BiquadDesign, NoSetsOrNoRateLeavesEverythingUntouched) {
    for (int variant = 0; variant < 2; ++variant) {
        Biquad f;
        setUp(f, Biquad::HighPass, 0.0f, 0.0f);
        f.mix = 1.5f;
        for (int c = 0; c < Biquad::CoefficientCount; ++c) f.inlineCoef[c] = 7.0f + c;
        if (variant == 0) f.setCount = 0;
        f.design(variant == 0 ? kRate : 0.0f);
        for (int c = 0; c < Biquad::CoefficientCount; ++c) EXPECT_EQ(coefficient(f, c), 7.0f + c);
        EXPECT_EQ(f.freq, 0.0f);
        EXPECT_EQ(f.q, 0.0f);
        EXPECT_EQ(f.mix, 1.5f);
    }
}

TEST(BiquadDesign, CascadeFlagForTypesTwoFourFive) {
    Biquad f;
    for (int8_t type = 1; type <= 9; ++type) {
        designed(f, type, 1000.0f, 1.0f);
        EXPECT_EQ(f.flags & 1, type == 2 || type == 4 || type == 5 ? 1 : 0) << "type " << int(type);
    }
    setUp(f, Biquad::HighPass, 1000.0f, 1.0f);
    f.flags = 1;
    f.design(kRate);
    EXPECT_EQ(f.flags & 1, 1) << "design never clears the flag";
}

TEST(BiquadResponse, LowPassAttenuatesAsTheCookbookSays) {
    for (float q : {0.707f, 0.9f}) {
        Biquad f;
        designed(f, Biquad::LowPass, 1000.0f, q);
        const double stop = analyticDb(lowPass(1000.0, q), 10000.0);
        ASSERT_LT(stop, -35.0);
        EXPECT_NEAR(measuredDb(f, 10000.0), stop, 0.5) << "q " << q;
        EXPECT_NEAR(measuredDb(f, 100.0), analyticDb(lowPass(1000.0, q), 100.0), 0.1) << "q " << q;
    }
}

TEST(BiquadResponse, HighPassKeepsHighsAndCutsLows) {
    Biquad f;
    designed(f, Biquad::HighPass, 1000.0f, 0.9f);
    EXPECT_NEAR(measuredDb(f, 10000.0), 0.0, 0.5);
    const double low = analyticDb(highPass(1000.0, 0.9), 50.0);
    ASSERT_LT(low, -45.0);
    EXPECT_NEAR(measuredDb(f, 50.0), low, 0.5);
}

TEST(BiquadResponse, PeakingGainsAtItsCentre) {
    Biquad f;
    designed(f, Biquad::Peaking, 1000.0f, 1.5f, 6.0f);
    EXPECT_NEAR(measuredDb(f, 1000.0), 6.0, 0.1);
    EXPECT_NEAR(measuredDb(f, 3000.0), analyticDb(peaking(1000.0, 1.5, 6.0), 3000.0), 0.1);
}

TEST(BiquadResponse, PeakingAtZeroDbPassesInputUnchanged) {
    Biquad f;
    designed(f, Biquad::Peaking, 1000.0f, 1.5f, 0.0f);
    EXPECT_EQ(coefficient(f, Biquad::B0), 1.0f);
    EXPECT_EQ(coefficient(f, Biquad::B1), coefficient(f, Biquad::A1));
    EXPECT_EQ(coefficient(f, Biquad::B2), coefficient(f, Biquad::A2));
    // Isolated impulses cancel exactly in the feedback terms: bit-exact.
    std::vector<float> impulses(400, 0.0f);
    for (int n = 0; n < 400; n += 5) impulses[n] = 0.9f - 0.0045f * n;
    std::vector<float> buffer = impulses;
    process(&f, buffer.data(), 400);
    for (int n = 0; n < 400; ++n) ASSERT_EQ(buffer[n], impulses[n]) << "sample " << n;
    // A dense signal meets single-precision rounding in the sums, no more.
    const std::vector<float> input = testSignal(4096);
    buffer = input;
    process(&f, buffer.data(), 4096);
    for (int n = 0; n < 4096; ++n) ASSERT_NEAR(buffer[n], input[n], 1e-5) << "sample " << n;
}

TEST(BiquadResponse, AllPassKeepsEveryLevel) {
    Biquad f;
    designed(f, Biquad::AllPassCascade, 1000.0f, 0.9f);
    for (double freq : {200.0, 1000.0, 5000.0}) EXPECT_NEAR(measuredDb(f, freq), 0.0, 0.05) << freq << " Hz";
}

TEST(BiquadResponse, CascadeDoublesTheAttenuation) {
    Biquad single, cascade;
    designed(single, Biquad::LowPass, 1000.0f, 0.9f);
    designed(cascade, Biquad::LowPassCascade, 1000.0f, 0.9f);
    EXPECT_NEAR(measuredDb(cascade, 10000.0), 2.0 * analyticDb(lowPass(1000.0, 0.9), 10000.0), 0.5);
    EXPECT_NEAR(measuredDb(cascade, 10000.0) / measuredDb(single, 10000.0), 2.0, 0.02);
    designed(cascade, Biquad::HighPassCascade, 1000.0f, 0.9f);
    EXPECT_NEAR(measuredDb(cascade, 200.0), 2.0 * analyticDb(highPass(1000.0, 0.9), 200.0), 0.5);
}

TEST(BiquadProcess, ChainRunsEachSectionInTurn) {
    Biquad lowPassed, peak, alone[2];
    designed(lowPassed, Biquad::LowPass, 2000.0f, 0.9f);
    designed(peak, Biquad::Peaking, 500.0f, 1.5f, -6.0f);
    lowPassed.next = &peak;
    designed(alone[0], Biquad::LowPass, 2000.0f, 0.9f);
    designed(alone[1], Biquad::Peaking, 500.0f, 1.5f, -6.0f);

    std::vector<float> chained = testSignal(3000), separate = chained;
    process(&lowPassed, chained.data(), 1000);
    process(&lowPassed, chained.data() + 1000, 2000);
    process(&alone[0], separate.data(), 3000);
    process(&alone[1], separate.data(), 3000);
    for (int n = 0; n < 3000; ++n) ASSERT_EQ(chained[n], separate[n]) << "sample " << n;

    const double expected = analyticDb(lowPass(2000.0, 0.9), 500.0) + analyticDb(peaking(500.0, 1.5, -6.0), 500.0);
    EXPECT_NEAR(measuredDb(lowPassed, 500.0), expected, 0.1);
}

TEST(BiquadProcess, FlushesInputsBelowTheFloor) {
    Biquad single, first, second;
    designed(single, Biquad::HighPass, 1000.0f, 0.9f);
    designed(first, Biquad::LowPass, 1000.0f, 0.9f);
    designed(second, Biquad::LowPassCascade, 3000.0f, 0.9f);
    first.next = &second;
    for (Biquad* chain : {&single, &first}) {
        float buffer[6] = {9e-26f, -9e-26f, 0.0f, 0.0f, 0.0f, 0.0f};
        process(chain, buffer, 6);
        for (float value : buffer) EXPECT_EQ(value, 0.0f);
        // Above the floor the same filter answers (a chain's later sections
        // flush what the earlier ones leave tiny, so start higher there).
        float above[2] = {chain == &single ? 2e-25f : 1e-20f, 0.0f};
        process(chain, above, 2);
        EXPECT_NE(above[0], 0.0f);
    }
}

TEST(KitFilters, DefaultsAfterConstruction) {
    TestKit t;
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = t.pad(p);
        EXPECT_EQ(pad.lowCut, 0.0f);
        EXPECT_EQ(pad.midFreq, 0.0f);
        EXPECT_EQ(pad.highCut, 30000.0f);
        EXPECT_EQ(pad.lowCutFilter.freq, 10.0f);
        EXPECT_EQ(pad.midFilter.freq, 0.5f);
        EXPECT_EQ(pad.highCutFilter.freq, 21609.0f);
        EXPECT_EQ(pad.lowCutFilter.type, 1);
        EXPECT_EQ(pad.midFilter.type, 6);
        EXPECT_EQ(pad.highCutFilter.type, 3);
        EXPECT_EQ(pad.lowCutFilter.q, 0.9f);
        EXPECT_EQ(pad.midFilter.q, 1.5f);
        EXPECT_EQ(pad.highCutFilter.q, 0.9f);
        EXPECT_EQ(pad.group, p);
        EXPECT_EQ(pad.channel, 0);
    }
    EXPECT_EQ(t.kit().halfRate, 22050);
    EXPECT_EQ(t.kit().fadeOutStep, 10.0f / 44100.0f);
    EXPECT_EQ(t.kit().rollBendScale, 0.025f / 22050.0f);
    // The low-pass coefficients are those of 21609 Hz, designed at once.
    Biquad reference;
    designed(reference, Biquad::LowPass, 21609.0f, 0.9f);
    for (int c = 0; c < Biquad::CoefficientCount; ++c)
        EXPECT_EQ(coefficient(t.pad(3).highCutFilter, c), coefficient(reference, c));
}
