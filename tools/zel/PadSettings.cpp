#include "PadSettings.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ZelError.h"
#include "engine/Kit.h"
#include "engine/PadParameters.h"

namespace {

const double kNotChecked = std::nan("");

// Integer settings aim at the middle of the interval that the plug-in's
// truncating mapping sends to the wanted step; shown is the step plus
// shownOffset ("2bit" is step 0).
float integerValue(PadParam param, double shown, int shownOffset) {
    return parameterMapping(param).stepCentre(static_cast<int>(shown) - shownOffset);
}

struct Spec {
    const char* option;
    PadParam param;
    const char* valueName;
    const char* description;
    double low, high;
    bool integer;
    float (*normalise)(double value);
    double displayScale;  // the display's unit per unit given ("High" shows kHz)
};

const Spec kSpecs[] = {
    {"volume", ParamVolume, "N=PERCENT", "volume in percent, 0 to 200 (100 plays as recorded)", 0, 200, false,
     [](double v) { return static_cast<float>(v / 200.0); }, 1.0},
    {"pan", ParamPan, "N=PERCENT", "pan in percent, -100 (left) to 100 (right)", -100, 100, false,
     [](double v) { return static_cast<float>(v / 200.0 + 0.5); }, 1.0},
    {"pitch", ParamPitch, "N=PERCENT", "playback pitch in percent, 50 to 200", 50, 200, false,
     [](double v) { return static_cast<float>((v / 100.0 - 0.5) / 1.5); }, 1.0},
    {"pitch-x", ParamPitchX, "N=PERCENT", "velocity and roll pitch (Pitch-X) in percent, -100 to 100", -100, 100, false,
     [](double v) { return static_cast<float>((v / 100.0 + 1.0) / 2.0); }, 1.0},
    {"low", ParamLow, "N=HZ", "low cut in Hz, 0 (off) to 5000", 0, 5000, false,
     [](double v) { return static_cast<float>(v / 5000.0); }, 1.0},
    {"mid", ParamMid, "N=HZ", "mid band centre in Hz, 0 (off) to 5000", 0, 5000, false,
     [](double v) { return static_cast<float>(v / 5000.0); }, 1.0},
    {"mid-gain", ParamMidGain, "N=DB", "mid band gain in dB, -6 to 6", -6, 6, false,
     [](double v) { return static_cast<float>((v + 6.0) / 12.0); }, 1.0},
    {"high", ParamHigh, "N=HZ", "high cut in Hz, 2000 to 30000 (off)", 2000, 30000, false,
     [](double v) { return static_cast<float>((v - 2000.0) / 28000.0); }, 0.001},
    {"bits", ParamBit, "N=BITS", "bit depth, 2 to 24", 2, 24, true,
     [](double v) { return integerValue(ParamBit, v, 2); }, 1.0},
    {"group", ParamGroup, "N=GROUP", "choke group, 1 to 16", 1, 16, true,
     [](double v) { return groupValue(static_cast<int>(v)); }, 1.0},
    {"channel", ParamChannel, "N=PAIR", "output pair, 1 to 8", 1, 8, true,
     [](double v) { return integerValue(ParamChannel, v, 1); }, 1.0},
};

const char* const kPitchClasses[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

std::string padList() {
    std::string names;
    for (int p = 0; p < kPadCount; ++p) names += std::string(p ? ", " : "") + lower(kDefaultPadNames[p]);
    return "pads are 1 to 16, or " + names + ", kick, closed";
}

ZelError badArgument(const std::string& option, const std::string& argument, const std::string& why) {
    return ZelError("--" + option + " " + argument + ": " + why);
}

PadSetting sampleRateSetting(int pad, double hertz, const std::string& argument) {
    for (int i = 0; i < kHoldRateCount; ++i)
        if (hertz == holdRates[i])
            return {pad * kParamsPerPad + ParamSampleRate, integerValue(ParamSampleRate, i, 0), kNotChecked};
    std::string rates;
    for (int i = 0; i < kHoldRateCount; ++i)
        rates += std::string(i ? ", " : "") + std::to_string(static_cast<int>(holdRates[i]));
    throw badArgument("sample-rate", argument, "the rate must be one of " + rates);
}

}  // namespace

const std::vector<SettingOption>& settingOptions() {
    static const std::vector<SettingOption> options = [] {
        std::vector<SettingOption> list;
        list.push_back({"note", "N=KEY", "trigger key, 20 to 90 or G#0 to F#6"});
        for (const Spec& spec : kSpecs) list.push_back({spec.option, spec.valueName, spec.description});
        list.push_back({"sample-rate", "N=HZ", "sample-rate reduction in Hz, one of 1000 ... 192000 (off)"});
        return list;
    }();
    return options;
}

int padOf(const std::string& argument, const std::string& option, std::string& rest) {
    const size_t equals = argument.find('=');
    if (equals == std::string::npos) throw badArgument(option, argument, "expected N=VALUE");
    const std::string pad = argument.substr(0, equals);
    rest = argument.substr(equals + 1);
    double number = 0.0;
    if (parseNumber(pad, number) && number >= 1 && number <= kPadCount && number == std::floor(number))
        return static_cast<int>(number) - 1;
    for (int p = 0; p < kPadCount; ++p)
        if (lower(pad) == lower(kDefaultPadNames[p])) return p;
    // What drummers call the two pads whose names say otherwise.
    if (lower(pad) == "kick") return 0;
    if (lower(pad) == "closed") return 3;
    throw badArgument(option, argument, "no pad \"" + pad + "\" (" + padList() + ")");
}

bool parseKey(const std::string& text, int& key) {
    double number = 0.0;
    if (parseNumber(text, number)) {
        if (number != std::floor(number) || number < 0 || number > 127) return false;
        key = static_cast<int>(number);
        return true;
    }
    for (int pitchClass = 11; pitchClass >= 0; --pitchClass) {
        const std::string name = lower(kPitchClasses[pitchClass]);
        if (lower(text).compare(0, name.size(), name) != 0) continue;
        // "C#1" must not match "C"; the classes are tried longest first within a letter.
        if (!parseNumber(text.substr(name.size()), number) || number != std::floor(number)) continue;
        key = static_cast<int>((number + 1) * 12) + pitchClass;
        return key >= 0 && key <= 127;
    }
    return false;
}

float noteValue(int key) { return integerValue(ParamNote, key, 0); }

float groupValue(int group) { return integerValue(ParamGroup, group, 1); }

namespace {

PadSetting settingFor(const std::string& option, int pad, double value, const std::string& argument) {
    if (option == "note") {
        if (value != std::floor(value) || value < 20 || value > 90)
            throw badArgument(option, argument, "the key must be 20 to 90, or G#0 to F#6");
        return {pad * kParamsPerPad + ParamNote, noteValue(static_cast<int>(value)), kNotChecked};
    }
    if (option == "sample-rate") return sampleRateSetting(pad, value, argument);
    for (const Spec& spec : kSpecs) {
        if (option != spec.option) continue;
        if (value < spec.low || value > spec.high || (spec.integer && value != std::floor(value)))
            throw badArgument(option, argument, std::string("out of range (") + spec.description + ")");
        return {pad * kParamsPerPad + spec.param, spec.normalise(value),
                spec.integer ? kNotChecked : value * spec.displayScale};
    }
    throw badArgument(option, argument, "not a pad setting");
}

}  // namespace

PadSetting padSetting(const std::string& option, int pad, double value) {
    char number[32];
    std::snprintf(number, sizeof number, "%g", value);
    return settingFor(option, pad, value, std::to_string(pad + 1) + "=" + number);
}

PadSetting parseSetting(const std::string& option, const std::string& argument) {
    std::string text;
    const int pad = padOf(argument, option, text);
    if (option == "note") {
        int key = 0;
        if (!parseKey(text, key)) throw badArgument(option, argument, "the key must be 20 to 90, or G#0 to F#6");
        return settingFor(option, pad, key, argument);
    }
    double value = 0.0;
    if (!parseNumber(text, value)) throw badArgument(option, argument, "\"" + text + "\" is not a number");
    return settingFor(option, pad, value, argument);
}
