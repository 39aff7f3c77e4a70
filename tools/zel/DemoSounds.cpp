#include "DemoSounds.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double kRate = kDemoRate;
constexpr double kTwoPi = 6.283185307179586;

typedef std::vector<double> Sound;

// White noise from a fixed seed, so every build makes the same kit.
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed) {}
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state >> 8) * (2.0 / 16777216.0) - 1.0;
    }

private:
    uint32_t state;
};

// A sine whose frequency may change every sample.
class Oscillator {
public:
    explicit Oscillator(double phase = 0.0) : phase(phase) {}
    double sine(double frequency) { return std::sin(kTwoPi * advance(frequency)); }
    // A square wave: the bright, inharmonic partials of a cymbal come from these.
    double square(double frequency) { return advance(frequency) < 0.5 ? 1.0 : -1.0; }

private:
    double advance(double frequency) {
        const double now = phase;
        phase += frequency / kRate;
        phase -= std::floor(phase);
        return now;
    }
    double phase;
};

// A sine of fixed frequency by rotating a unit vector: four multiplications
// a sample instead of a sine, for the cymbals' many partials.
class Phasor {
public:
    Phasor(double frequency, double phase)
        : c(std::cos(kTwoPi * phase)), s(std::sin(kTwoPi * phase)),
          stepC(std::cos(kTwoPi * frequency / kRate)), stepS(std::sin(kTwoPi * frequency / kRate)) {}
    double next() {
        const double now = s;
        const double turnedC = c * stepC - s * stepS;
        s = s * stepC + c * stepS;
        c = turnedC;
        return now;
    }

private:
    double c, s, stepC, stepS;
};

// One second-order section (the audio cookbook's designs) for shaping noise.
class Section {
public:
    static Section highPass(double frequency, double q) { return design(frequency, q, HighPass); }
    static Section bandPass(double frequency, double q) { return design(frequency, q, BandPass); }
    static Section lowPass(double frequency, double q) { return design(frequency, q, LowPass); }

    double run(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    enum Kind { HighPass, BandPass, LowPass };
    static Section design(double frequency, double q, Kind kind) {
        const double w = kTwoPi * frequency / kRate;
        const double alpha = std::sin(w) / (2.0 * q), c = std::cos(w), a0 = 1.0 + alpha;
        Section s;
        if (kind == HighPass) {
            s.b0 = (1.0 + c) / 2.0 / a0;
            s.b1 = -(1.0 + c) / a0;
        } else if (kind == LowPass) {
            s.b0 = (1.0 - c) / 2.0 / a0;
            s.b1 = (1.0 - c) / a0;
        } else {
            s.b0 = alpha / a0;
            s.b1 = 0.0;
        }
        s.b2 = kind == BandPass ? -s.b0 : s.b0;
        s.a1 = -2.0 * c / a0;
        s.a2 = (1.0 - alpha) / a0;
        return s;
    }
    double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

double decay(double t, double seconds) { return std::exp(-t / seconds); }

// The same fall as decay(), one sample at a time by multiplication: cheaper
// where many partials each ring at their own rate.
class Fall {
public:
    explicit Fall(double seconds) : step(std::exp(-1.0 / (seconds * kRate))) {}
    double next() {
        const double now = level;
        level *= step;
        return now;
    }

private:
    double step;
    double level = 1.0;
};
double attack(double t, double seconds) { return t < seconds ? t / seconds : 1.0; }

// A sound of the given length from a function of time.
Sound make(double seconds, const std::function<double(double)>& voice) {
    Sound sound(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = voice(static_cast<double>(i) / kRate);
    return sound;
}

// The six square waves of the classic analogue hi-hat, scaled for each cymbal.
class Metal {
public:
    explicit Metal(double scale) : scale(scale) {}
    double next() {
        static const double kRatios[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        double sum = 0.0;
        for (int i = 0; i < 6; ++i) sum += partials[i].square(kRatios[i] * scale);
        return sum / 6.0;
    }

private:
    double scale;
    Oscillator partials[6] = {Oscillator(0.0),  Oscillator(0.37), Oscillator(0.71),
                              Oscillator(0.13), Oscillator(0.52), Oscillator(0.89)};
};

Sound kick() {
    Oscillator body;
    Noise noise(1);
    Section click = Section::lowPass(3000.0, 0.7);
    return make(0.75, [&](double t) {
        const double pitch = 45.0 + 120.0 * decay(t, 0.035);
        const double tone = body.sine(pitch) * decay(t, 0.42) * attack(t, 0.002);
        const double snap = click.run(noise.next()) * decay(t, 0.003) * 0.5;
        return std::tanh(1.6 * (tone + snap));
    });
}

Sound rim() {
    Oscillator high, low;
    Noise noise(2);
    Section crack = Section::highPass(2000.0, 0.7);
    return make(0.15, [&](double t) {
        return 0.6 * high.sine(1720.0) * decay(t, 0.010) + 0.5 * low.sine(830.0) * decay(t, 0.018) +
               0.5 * crack.run(noise.next()) * decay(t, 0.004);
    });
}

Sound snare() {
    Oscillator head, ring;
    Noise noise(3);
    Section wires = Section::bandPass(4000.0, 0.6), floor = Section::highPass(1200.0, 0.7);
    return make(0.5, [&](double t) {
        const double body = (0.6 * head.sine(190.0 * (1.0 + 0.2 * decay(t, 0.02))) +
                             0.35 * ring.sine(330.0)) * decay(t, 0.09);
        const double rattle = floor.run(wires.run(noise.next())) * decay(t, 0.17);
        return 0.8 * body + 2.0 * rattle;
    });
}

// Closed, pedal and open hats differ in the attack and how long they ring.
Sound hat(double seconds, double rise, double ring, double centre, uint32_t seed) {
    Metal metal(1.0);
    Noise noise(seed);
    Section band = Section::bandPass(centre, 0.8), floor = Section::highPass(7000.0, 0.7);
    Section air = Section::highPass(8000.0, 0.7);
    return make(seconds, [&, rise, ring](double t) {
        const double shimmer = floor.run(band.run(metal.next())) + 0.3 * air.run(noise.next());
        return shimmer * attack(t, rise) * decay(t, ring);
    });
}

Sound tom(double pitch, double ring, uint32_t seed) {
    Oscillator shell, overtone;
    Noise noise(seed);
    Section thump = Section::lowPass(1500.0, 0.7);
    return make(ring * 2.6, [&, pitch, ring](double t) {
        const double f = pitch * (1.0 + 0.6 * decay(t, 0.025));
        const double tone = shell.sine(f) + 0.12 * overtone.sine(f * 2.41);
        return tone * decay(t, ring) * attack(t, 0.001) +
               0.3 * thump.run(noise.next()) * decay(t, 0.008);
    });
}

// Inharmonic partials, each ringing on at its own rate, over shaped noise.
Sound cymbal(double seconds, const std::vector<double>& partials, double ring, double wash,
             double centre, double scale, uint32_t seed) {
    std::vector<Phasor> tones;
    std::vector<Fall> falls;
    for (size_t i = 0; i < partials.size(); ++i) {
        tones.emplace_back(partials[i], 0.113 * static_cast<double>(i));
        falls.emplace_back(ring / (1.0 + 0.15 * static_cast<double>(i)));  // higher partials die sooner
    }
    Fall hissFall(wash);
    Metal metal(scale);
    Noise noise(seed);
    Section band = Section::bandPass(centre, 0.5), floor = Section::highPass(1500.0, 0.7);
    return make(seconds, [&](double t) {
        double tone = 0.0;
        for (size_t i = 0; i < tones.size(); ++i) tone += tones[i].next() * falls[i].next();
        const double hiss = floor.run(band.run(noise.next() + 0.5 * metal.next())) * hissFall.next();
        return (0.12 * tone + hiss) * attack(t, 0.0015);
    });
}

// Peak at level, a fade at the end, then 16 bits. A sound still ringing
// when its sample ends would click: over its last 20 ms it falls along a
// square law, so that its last 2 ms stay 40 dB below whatever it was.
std::vector<int32_t> finish(Sound sound, double level) {
    double peak = 0.0;
    for (double x : sound) peak = std::max(peak, std::fabs(x));
    const size_t fade = std::min(sound.size(), static_cast<size_t>(0.020 * kRate));
    for (size_t i = 0; i < fade; ++i) {
        const double left = static_cast<double>(i) / static_cast<double>(fade);
        sound[sound.size() - 1 - i] *= left * left;
    }
    std::vector<int32_t> samples(sound.size());
    const double gain = peak > 0.0 ? level * 32767.0 / peak : 0.0;
    for (size_t i = 0; i < sound.size(); ++i)
        samples[i] = static_cast<int32_t>(std::lround(sound[i] * gain));
    return samples;
}

}  // namespace

std::vector<DemoSound> demoSounds() {
    const std::vector<double> ride = {398.0, 561.0, 787.0, 1093.0, 1522.0, 2125.0, 2967.0, 4151.0};
    const std::vector<double> crashA = {311.0, 467.0, 683.0, 1021.0, 1499.0, 2213.0, 3271.0};
    const std::vector<double> crashB = {277.0, 419.0, 631.0, 953.0, 1433.0, 2161.0, 3257.0};
    std::vector<DemoSound> kit;
    kit.push_back({"demo-kick.wav", finish(kick(), 0.95)});
    kit.push_back({"demo-rim.wav", finish(rim(), 0.7)});
    kit.push_back({"demo-snare.wav", finish(snare(), 0.9)});
    kit.push_back({"demo-closed-hat.wav", finish(hat(0.18, 0.0005, 0.022, 10000.0, 4), 0.5)});
    kit.push_back({"demo-pedal-hat.wav", finish(hat(0.3, 0.004, 0.045, 8000.0, 5), 0.4)});
    kit.push_back({"demo-open-hat.wav", finish(hat(1.3, 0.0005, 0.32, 9000.0, 6), 0.5)});
    const double tomPitches[6] = {82.0, 98.0, 116.0, 138.0, 164.0, 196.0};
    for (int i = 0; i < 6; ++i)
        kit.push_back({"demo-tom" + std::to_string(6 - i) + ".wav",
                       finish(tom(tomPitches[i], 0.36 - 0.02 * i, 7 + i), 0.6)});
    kit.push_back({"demo-ride.wav", finish(cymbal(3.5, ride, 1.4, 0.8, 6500.0, 2.2, 13), 0.45)});
    kit.push_back({"demo-splash.wav", finish(cymbal(1.6, crashA, 0.4, 0.35, 7000.0, 2.6, 14), 0.55)});
    kit.push_back({"demo-crash1.wav", finish(cymbal(3.5, crashA, 1.0, 1.1, 5000.0, 1.8, 15), 0.6)});
    kit.push_back({"demo-crash2.wav", finish(cymbal(4.0, crashB, 1.3, 1.4, 3800.0, 1.5, 16), 0.6)});
    return kit;
}
