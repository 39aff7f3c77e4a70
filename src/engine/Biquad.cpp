#include "engine/Biquad.h"

#include <cmath>
#include <cstdlib>

#include "engine/NumberLimits.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfLn2 = 0.34657359027997264;  // octave bandwidth to the sinh argument
constexpr float kHalfLn2Single = 0.3465736f;

// Tiny values are cut to zero so that decaying filters never reach the slow
// denormal range; the cut is part of the filter's defined output.
inline float flush(float value) { return std::fabs(value) < kDenormalFloor ? 0.0f : value; }

struct RawCoefficients {
    float b0, b1, b2, a0, a1, a2;
};

// Each type's floor first, then, for every type, the ceiling just below
// Nyquist: a section designed above it runs away to infinity, and at tiny
// rates below Nyquist wins over the floor.
void applyFrequencyLimits(Biquad& filter, float sampleRate) {
    switch (filter.type) {
        case Biquad::HighPass:
        case Biquad::HighPassCascade:
            if (filter.freq < 10.0f) filter.freq = 10.0f;
            break;
        case Biquad::LowPass:
        case Biquad::LowPassCascade:
            if (filter.freq < 100.0f) filter.freq = 100.0f;
            break;
        default:
            break;
    }
    const float ceiling = 0.49f * sampleRate;
    if (filter.freq > ceiling) filter.freq = ceiling;
}

// Audio EQ Cookbook formulas; returns false for a type we do not know.
bool cookbook(const Biquad& filter, float w, RawCoefficients& c) {
    const float sinW = std::sin(w);
    const float cosW = std::cos(w);
    const float alpha = sinW / (2.0f * filter.q);
    const float gainExponent = filter.gain * 0.025f;
    const float A = static_cast<float>(std::pow(10.0, static_cast<double>(gainExponent)));

    switch (filter.type) {
        case Biquad::HighPass:
        case Biquad::HighPassCascade:
            c.b0 = c.b2 = (1.0f + cosW) * 0.5f;
            c.b1 = -(1.0f + cosW);
            c.a0 = 1.0f + alpha;
            c.a1 = -2.0f * cosW;
            c.a2 = 1.0f - alpha;
            return true;
        case Biquad::LowPass:
        case Biquad::LowPassCascade:
            c.b1 = 1.0f - cosW;
            c.b0 = c.b2 = c.b1 * 0.5f;
            c.a0 = 1.0f + alpha;
            c.a1 = static_cast<float>(-2.0 * std::cos(static_cast<double>(w)));
            c.a2 = 1.0f - alpha;
            return true;
        case Biquad::AllPassCascade:
            c.b0 = c.a2 = 1.0f - alpha;
            c.b1 = c.a1 = -2.0f * cosW;
            c.b2 = c.a0 = 1.0f + alpha;
            return true;
        case Biquad::Peaking: {
            // q is the bandwidth in octaves here.
            const double argument =
                static_cast<double>(filter.q) * kHalfLn2 * static_cast<double>(w) / sinW;
            const float peakAlpha = static_cast<float>(sinW * std::sinh(argument));
            c.b0 = 1.0f + peakAlpha * A;
            c.b1 = c.a1 = -2.0f * cosW;
            c.b2 = 1.0f - peakAlpha * A;
            c.a0 = 1.0f + peakAlpha / A;
            c.a2 = 1.0f - peakAlpha / A;
            return true;
        }
        case Biquad::HighShelf: {
            const float beta = (sinW / filter.q) * std::sqrt(A);
            const double cosWide = std::cos(static_cast<double>(w));
            c.b0 = A * ((A + 1.0f) + (A - 1.0f) * cosW + beta);
            c.b1 = static_cast<float>(-2.0 * A * ((A + 1.0) * cosWide + (A - 1.0)));
            c.b2 = A * ((A + 1.0f) + (A - 1.0f) * cosW - beta);
            c.a0 = (A + 1.0f) - (A - 1.0f) * cosW + beta;
            c.a1 = 2.0f * ((A - 1.0f) - (A + 1.0f) * cosW);
            c.a2 = (A + 1.0f) - (A - 1.0f) * cosW - beta;
            return true;
        }
        case Biquad::LowShelf: {
            const float beta = (sinW / filter.q) * std::sqrt(A);
            c.b0 = A * ((A + 1.0f) - (A - 1.0f) * cosW + beta);
            c.b1 = 2.0f * A * ((A - 1.0f) - (A + 1.0f) * cosW);
            c.b2 = A * ((A + 1.0f) - (A - 1.0f) * cosW - beta);
            c.a0 = (A + 1.0f) + (A - 1.0f) * cosW + beta;
            c.a1 = -2.0f * ((A - 1.0f) + (A + 1.0f) * cosW);
            c.a2 = (A + 1.0f) + (A - 1.0f) * cosW - beta;
            return true;
        }
        case Biquad::BandPass: {
            const float bandAlpha = sinW * std::sinh(filter.q * kHalfLn2Single * w / sinW);
            c.b0 = bandAlpha;
            c.b1 = 0.0f;
            c.b2 = -bandAlpha;
            c.a0 = 1.0f + bandAlpha;
            c.a1 = -2.0f * cosW;
            c.a2 = 1.0f - bandAlpha;
            return true;
        }
        default:
            return false;
    }
}

// One sample through one section (and its cascaded twin), with the state in
// the record. Used for chains and control signals; the common single section
// runs through the register-resident loop below.
float tick(Biquad& s, float x, int32_t index) {
    float b0, b1, b2, a1, a2;
    if (s.controlSignal == nullptr || s.setCount <= 1) {
        b0 = s.coef[Biquad::B0][0];
        b1 = s.coef[Biquad::B1][0];
        b2 = s.coef[Biquad::B2][0];
        a1 = s.coef[Biquad::A1][0];
        a2 = s.coef[Biquad::A2][0];
    } else {
        const int32_t last = s.setCount - 1;
        float position = static_cast<float>(last) * (*s.controlSignal)[index];
        if (!(position >= 0.0f)) position = 0.0f;
        if (position > static_cast<float>(last)) position = static_cast<float>(last);
        int32_t k = static_cast<int32_t>(position);
        if (k > last) k = last;
        const int32_t k1 = k + 1 > last ? last : k + 1;
        const float fraction = position - static_cast<float>(k);
        float* c[Biquad::CoefficientCount];
        for (int i = 0; i < Biquad::CoefficientCount; ++i) c[i] = s.coef[i];
        b0 = c[0][k] + (c[0][k1] - c[0][k]) * fraction;
        b1 = c[1][k] + (c[1][k1] - c[1][k]) * fraction;
        b2 = c[2][k] + (c[2][k1] - c[2][k]) * fraction;
        a1 = c[3][k] + (c[3][k1] - c[3][k]) * fraction;
        a2 = c[4][k] + (c[4][k1] - c[4][k]) * fraction;
    }
    const float dry = 1.0f - s.mix;
    float* st = s.state;
    x = flush(x);
    st[0] = flush(st[0]);
    st[2] = flush(st[2]);
    float v = (b1 * st[0] + b0 * x + b2 * st[1]) - a1 * st[2] - a2 * st[3];
    st[1] = st[0];
    st[0] = x;
    st[3] = st[2];
    float y = s.mix * v + dry * x;
    st[2] = y;
    if ((s.flags & Biquad::kCascade) == 0) return y;

    st[4] = flush(st[4]);
    st[6] = flush(st[6]);
    y = flush(y);
    st[2] = y;
    v = (b1 * st[4] + b0 * y + b2 * st[5]) - a1 * st[6] - a2 * st[7];
    st[5] = st[4];
    st[4] = y;
    st[7] = st[6];
    const float out = s.mix * v + dry * y;
    st[6] = out;
    return out;
}

// The kit's case: one section, one coefficient set. State lives in locals for
// the length of the buffer and is written back once.
template <bool cascade>
void processSection(Biquad& s, float* buffer, int32_t length) {
    const float b0 = s.coef[Biquad::B0][0], b1 = s.coef[Biquad::B1][0],
                b2 = s.coef[Biquad::B2][0], a1 = s.coef[Biquad::A1][0],
                a2 = s.coef[Biquad::A2][0];
    const float mix = s.mix;
    const float dry = 1.0f - mix;
    float x1 = s.state[0], x2 = s.state[1], y1 = s.state[2], y2 = s.state[3];
    float X1 = s.state[4], X2 = s.state[5], Y1 = s.state[6], Y2 = s.state[7];
    for (int32_t i = 0; i < length; ++i) {
        const float x = flush(buffer[i]);
        x1 = flush(x1);
        y1 = flush(y1);
        float v = (b1 * x1 + b0 * x + b2 * x2) - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        float y = mix * v + dry * x;
        y1 = y;
        if (cascade) {
            X1 = flush(X1);
            Y1 = flush(Y1);
            y = flush(y);
            y1 = y;
            v = (b1 * X1 + b0 * y + b2 * X2) - a1 * Y1 - a2 * Y2;
            X2 = X1;
            X1 = y;
            Y2 = Y1;
            y = mix * v + dry * y;
            Y1 = y;
        }
        buffer[i] = y;
    }
    s.state[0] = x1, s.state[1] = x2, s.state[2] = y1, s.state[3] = y2;
    s.state[4] = X1, s.state[5] = X2, s.state[6] = Y1, s.state[7] = Y2;
}

}  // namespace

void Biquad::init() {
    flags = 0;
    for (int i = 0; i < CoefficientCount; ++i) {
        inlineCoef[i] = 0.0f;
        coef[i] = &inlineCoef[i];
    }
    for (float& value : state) value = 0.0f;
    controlSignal = nullptr;
    owner = nullptr;
    next = nullptr;
    setCount = 1;
    q = 1.0f;
    mix = 1.0f;
}

void Biquad::release() {
    if (owner != nullptr) return;  // borrowed coefficients
    for (int i = 0; i < CoefficientCount; ++i) {
        if (coef[i] != &inlineCoef[i]) std::free(coef[i]);
        coef[i] = &inlineCoef[i];
    }
}

void Biquad::design(float sampleRate) {
    if (setCount <= 0 || sampleRate == 0.0f) return;
    if (q == 0.0f) q = 0.707f;
    if (freq < 0.5f) freq = 0.5f;
    if (mix <= 0.0f || mix >= 1.0f) mix = 1.0f;
    applyFrequencyLimits(*this, sampleRate);
    if (type == HighPassCascade || type == LowPassCascade || type == AllPassCascade)
        flags |= kCascade;

    const float w =
        static_cast<float>(static_cast<double>(freq) * kTwoPi / static_cast<double>(sampleRate));
    RawCoefficients c;
    if (!cookbook(*this, w, c)) return;

    const float r = 1.0f / c.a0;
    const float normalised[CoefficientCount] = {c.b0 * r, c.b1 * r, c.b2 * r, c.a1 * r, c.a2 * r};
    for (int i = 0; i < CoefficientCount; ++i) coef[i][0] = flush(normalised[i]);
}

void process(Biquad* first, float* buffer, int32_t length) {
    if (first == nullptr || buffer == nullptr) return;
    if (first->next == nullptr && (first->controlSignal == nullptr || first->setCount <= 1)) {
        if (first->flags & Biquad::kCascade)
            processSection<true>(*first, buffer, length);
        else
            processSection<false>(*first, buffer, length);
        return;
    }
    for (int32_t i = 0; i < length; ++i) {
        float value = buffer[i];
        for (Biquad* section = first; section != nullptr; section = section->next)
            value = tick(*section, value, i);
        buffer[i] = value;
    }
}
