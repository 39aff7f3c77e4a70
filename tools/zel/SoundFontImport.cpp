#include "SoundFontImport.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

#include "DemoSounds.h"
#include "PadLayout.h"
#include "SoundFontNames.h"
#include "WavImage.h"
#include "ZelError.h"
#include "files/FileBytes.h"

namespace {

constexpr int kDrumBank = 128;
constexpr int kDrumChannel = 9;
constexpr int kLowestKey = 20, kHighestKey = 90;  // what a pad's key can be
constexpr int kBlock = 1024;
constexpr double kTailFloor = 3.1622776601683795e-5;  // -90 dB
constexpr int64_t kHeldFrames = kDemoRate / 4;        // a drum hit's note in a song
constexpr int64_t kQuietWindow = kDemoRate / 10;      // this long under the floor ends a recording
constexpr int64_t kLongestFrames = int64_t(kDemoRate) * 30;
constexpr int kSampleBits = 24;

// FluidSynth's own messages, kept for our one line instead of its stderr.
std::string lastComplaint;

void keepComplaint(int level, const char* message, void*) {
    if ((level == FLUID_PANIC || level == FLUID_ERR) && message != nullptr) lastComplaint = message;
}

void quietFluidSynth() {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, keepComplaint, nullptr);
    lastComplaint.clear();
}

struct SettingsDeleter {
    void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
};

// One synthesizer with the font loaded, dry (no reverb, no chorus).
class Player {
public:
    explicit Player(const std::string& path) : settings(new_fluid_settings()) {
        if (!settings) throw ZelError("out of memory");
        fluid_settings_setnum(settings.get(), "synth.sample-rate", kDemoRate);
        fluid_settings_setint(settings.get(), "synth.reverb.active", 0);
        fluid_settings_setint(settings.get(), "synth.chorus.active", 0);
        fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
        fluid_settings_setnum(settings.get(), "synth.gain", 1.0);
        synth.reset(new_fluid_synth(settings.get()));
        if (!synth) throw ZelError("FluidSynth could not start: " + lastComplaint);
        font = fluid_synth_sfload(synth.get(), path.c_str(), 0);
        if (font == FLUID_FAILED)
            throw fileError(path, "FluidSynth cannot read the soundfont" +
                                      (lastComplaint.empty() ? std::string() : " (" + lastComplaint + ")"));
    }

    // A clean synthesizer playing the preset on the drum channel.
    void select(int program) {
        fluid_synth_system_reset(synth.get());
        fluid_synth_program_select(synth.get(), kDrumChannel, font, kDrumBank, program);
    }

    // Whether the key starts a voice, and the exclusive class of its voices.
    // Voices of earlier keys may still be in the list, stopping.
    bool startsVoice(int key, int velocity, int& exclusiveClass) {
        fluid_synth_noteon(synth.get(), kDrumChannel, key, velocity);
        fluid_voice_t* voices[256] = {};
        fluid_synth_get_voicelist(synth.get(), voices, 256, -1);
        bool started = false;
        exclusiveClass = 0;
        for (fluid_voice_t* voice : voices) {
            if (voice == nullptr || fluid_voice_get_key(voice) != key || !fluid_voice_is_on(voice)) continue;
            started = true;
            if (exclusiveClass == 0) exclusiveClass = static_cast<int>(fluid_voice_gen_get(voice, GEN_EXCLUSIVECLASS));
        }
        fluid_synth_all_sounds_off(synth.get(), kDrumChannel);
        return started;
    }

    // The note, mixed to mono, from its start until its tail stays under -90 dB of its peak.
    std::vector<float> record(int key, int velocity) {
        fluid_synth_noteon(synth.get(), kDrumChannel, key, velocity);
        std::vector<float> left(kBlock), right(kBlock), sound;
        float peak = 0.0f;
        int64_t lastLoud = 0;
        while (static_cast<int64_t>(sound.size()) < kLongestFrames) {
            if (static_cast<int64_t>(sound.size()) == kHeldFrames / kBlock * kBlock)
                fluid_synth_noteoff(synth.get(), kDrumChannel, key);
            fluid_synth_write_float(synth.get(), kBlock, left.data(), 0, 1, right.data(), 0, 1);
            for (int i = 0; i < kBlock; ++i) {
                const float mono = 0.5f * (left[i] + right[i]);
                peak = std::max(peak, std::fabs(mono));
                if (std::fabs(mono) >= peak * kTailFloor && mono != 0.0f) lastLoud = static_cast<int64_t>(sound.size());
                sound.push_back(mono);
            }
            const int64_t length = static_cast<int64_t>(sound.size());
            if (length > kHeldFrames && (fluid_synth_get_active_voice_count(synth.get()) == 0 ||
                                         length - lastLoud > kQuietWindow))
                break;
        }
        return trimmed(sound, peak);
    }

private:
    static std::vector<float> trimmed(const std::vector<float>& sound, float peak) {
        const float floor = peak * static_cast<float>(kTailFloor);
        auto loud = [floor](float x) { return x != 0.0f && std::fabs(x) >= floor; };
        const auto first = std::find_if(sound.begin(), sound.end(), loud);
        if (first == sound.end()) return {};
        const auto last = std::find_if(sound.rbegin(), sound.rend(), loud).base();
        return std::vector<float>(first, last);
    }

    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
    int font = FLUID_FAILED;
};

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<SoundFontPreset> drumKits(const SoundFontNames& names) {
    std::vector<SoundFontPreset> kits;
    for (const SoundFontPreset& preset : names.presets())
        if (preset.bank == kDrumBank) kits.push_back(preset);
    std::stable_sort(kits.begin(), kits.end(),
                     [](const SoundFontPreset& a, const SoundFontPreset& b) { return a.program < b.program; });
    return kits;
}

// The preset asked for, by name or program number; the first without.
SoundFontPreset choosePreset(const std::string& path, const SoundFontNames& names, const std::string& wanted) {
    const std::vector<SoundFontPreset> kits = drumKits(names);
    if (kits.empty()) throw fileError(path, "no drum kit in it (no preset in bank 128)");
    if (wanted.empty()) return kits.front();
    std::string list;
    for (const SoundFontPreset& kit : kits) {
        if (lower(kit.name) == lower(wanted) || std::to_string(kit.program) == wanted) return kit;
        list += (list.empty() ? "" : ", ") + std::to_string(kit.program) + " " + kit.name;
    }
    throw fileError(path, "no drum kit \"" + wanted + "\" in bank 128 (it has " + list + ")");
}

std::vector<uint8_t> wavOf(const std::vector<float>& sound, double gain) {
    std::vector<int32_t> samples;
    samples.reserve(sound.size());
    for (float x : sound) samples.push_back(quantise(x * gain, kSampleBits));
    return canonicalWav(samples, kSampleBits, kDemoRate);
}

}  // namespace

ImportedKit importSoundFont(const std::string& path, const ImportOptions& options) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path.c_str(), bytes, &reason)) throw fileError(path, reason);
    SoundFontNames names;
    if (!names.read(bytes.data(), bytes.size(), reason)) throw fileError(path, reason);
    bytes = std::vector<uint8_t>();
    const SoundFontPreset preset = choosePreset(path, names, options.preset);

    quietFluidSynth();
    Player player(path);
    player.select(preset.program);
    ImportedKit imported;
    imported.source = path;
    imported.kind = "soundfont";
    imported.title = preset.name;
    std::vector<PadWish> wishes;
    for (int key = 0; key < 128; ++key) {
        int exclusiveClass = 0;
        if (!player.startsVoice(key, options.velocity, exclusiveClass)) continue;
        ++imported.sounds;
        std::string name = names.soundName(preset, key, options.velocity);
        if (name.empty()) name = "Key " + std::to_string(key);
        if (key < kLowestKey || key > kHighestKey)
            imported.dropped.push_back({"key " + std::to_string(key) + " " + name, "past the pads' keys"});
        else
            wishes.push_back({name, key, exclusiveClass > 0 ? exclusiveClass : -1});
    }
    if (wishes.empty()) throw fileError(path, "the drum kit \"" + preset.name + "\" plays no key a pad can take");

    const std::vector<PadPlace> places = layOutPads(wishes);
    std::vector<std::vector<float>> sounds(wishes.size());
    float loudest = 0.0f;
    for (size_t w = 0; w < wishes.size(); ++w) {
        if (places[w].pad < 0) continue;
        player.select(preset.program);
        sounds[w] = player.record(wishes[w].note, options.velocity);
        for (float x : sounds[w]) loudest = std::max(loudest, std::fabs(x));
    }
    // Louder than full scale, the whole kit comes down together.
    const double gain = loudest > 1.0f ? 1.0 / loudest : 1.0;
    const std::string font = baseName(path.c_str());
    for (size_t w = 0; w < wishes.size(); ++w) {
        const std::string key = "key " + std::to_string(wishes[w].note);
        if (places[w].pad < 0) {
            imported.dropped.push_back({key + " " + wishes[w].name, "no pad left"});
            continue;
        }
        if (sounds[w].empty()) {
            imported.dropped.push_back({key + " " + wishes[w].name, "it makes no sound at this velocity"});
            continue;
        }
        ImportedPad pad;
        pad.pad = places[w].pad;
        pad.name = places[w].name;
        pad.note = wishes[w].note;
        pad.group = places[w].group;
        pad.wav = wavOf(sounds[w], gain);
        pad.fileName = font + " " + key;
        pad.source = key + " of \"" + preset.name + "\", " + wishes[w].name;
        imported.pads.push_back(pad);
    }
    return imported;
}
