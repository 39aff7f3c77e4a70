// A second-order filter section after the Audio EQ Cookbook, optionally run
// twice in cascade, optionally chained to further sections.
//
// Pads own their filters' coefficients; a voice's filters borrow the pad's
// coefficient arrays (owner set) and keep only their own state, so a new
// design reaches every sounding voice of the pad at once.
#pragma once

#include <cstdint>

struct Biquad {
    enum Type : int8_t {
        HighPass = 1,
        HighPassCascade = 2,
        LowPass = 3,
        LowPassCascade = 4,
        AllPassCascade = 5,
        Peaking = 6,
        HighShelf = 7,
        LowShelf = 8,
        BandPass = 9,
    };
    enum Coefficient { B0, B1, B2, A1, A2, CoefficientCount };
    static constexpr uint8_t kCascade = 1;  // flags bit 0: the section runs twice

    float* coef[CoefficientCount];
    float inlineCoef[CoefficientCount];
    float state[8];  // x1, x2, y1, y2 of the first section, then of the second
    float** controlSignal;
    Biquad* owner;
    int8_t type;
    uint8_t flags;
    float freq;
    float gain;
    float mix;
    float q;
    int32_t setCount;
    Biquad* next;

    // Construction and destruction of a section embedded in a plain record.
    void init();
    void release();

    // Writes coefficient set 0 for the sample rate; corrects freq, q and mix.
    void design(float sampleRate);
};

// Filters buffer[0..length) in place through the chain that starts at first.
void process(Biquad* first, float* buffer, int32_t length);
