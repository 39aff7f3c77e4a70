#include "HydrogenImport.h"

#include <cmath>
#include <set>

#include "AudioImport.h"
#include "GmDrumNotes.h"
#include "HydrogenKit.h"
#include "PadLayout.h"
#include "ZelError.h"
#include "files/FileBytes.h"

namespace {

constexpr int kLowestKey = 20, kHighestKey = 90;  // what a pad's key can be
constexpr double kLoudestVolume = 2.0;            // a pad's 200 %

struct LayerChoice {
    int component = -1;
    int layer = -1;
};

// Ranges hold their lower end; the top one holds full velocity too.
bool holds(const HydrogenLayer& layer, double velocity) {
    return velocity >= layer.min && (velocity < layer.max || (layer.max >= 1.0 && velocity <= layer.max));
}

double distance(const HydrogenLayer& layer, double velocity) {
    if (velocity < layer.min) return layer.min - velocity;
    return velocity > layer.max ? velocity - layer.max : 0.0;
}

// The first layer whose range holds the velocity; failing that, the nearest
// layer of the first component that has any.
LayerChoice chooseLayer(const HydrogenInstrument& instrument, double velocity) {
    LayerChoice nearest;
    for (size_t c = 0; c < instrument.components.size(); ++c) {
        const std::vector<HydrogenLayer>& layers = instrument.components[c].layers;
        for (size_t l = 0; l < layers.size(); ++l) {
            if (holds(layers[l], velocity)) return {static_cast<int>(c), static_cast<int>(l)};
            if (nearest.component >= 0 && nearest.component != static_cast<int>(c)) continue;
            if (nearest.component < 0 ||
                distance(layers[l], velocity) < distance(layers[nearest.layer], velocity))
                nearest = {static_cast<int>(c), static_cast<int>(l)};
        }
    }
    return nearest;
}

bool playable(int note) { return note >= kLowestKey && note <= kHighestKey; }

// The kit's own notes where it gives playable ones; the others the General
// MIDI note of their name, or failing that 36 on in kit order, on a key no
// other instrument has.
std::vector<int> notesOf(const HydrogenKit& kit) {
    std::vector<int> notes;
    std::set<int> used;
    for (const HydrogenInstrument& instrument : kit.instruments) {
        notes.push_back(playable(instrument.note) ? instrument.note : -1);
        if (notes.back() >= 0) used.insert(notes.back());
    }
    for (size_t i = 0; i < notes.size(); ++i) {
        if (notes[i] >= 0) continue;
        int note = gmNoteOfName(kit.instruments[i].name);
        if (note < 0 || used.count(note)) {
            note = 36 + static_cast<int>(i) % (kHighestKey - 36 + 1);
            for (int tries = 0; used.count(note) && tries <= kHighestKey - kLowestKey; ++tries)
                note = note == kHighestKey ? kLowestKey : note + 1;
        }
        notes[i] = note;
        used.insert(note);
    }
    return notes;
}

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

// Sample names are relative to the kit's folder and stay inside it.
std::string samplePath(const std::string& xmlPath, const std::string& file) {
    bool climbs = file.empty() || file[0] == '/';
    for (size_t start = 0; start <= file.size() && !climbs;) {
        const size_t end = std::min(file.find('/', start), file.size());
        climbs = file.compare(start, end - start, "..") == 0 && end - start == 2;
        start = end + 1;
    }
    if (climbs) throw fileError(xmlPath, "the sample \"" + file + "\" lies outside the kit's folder");
    return folderOf(xmlPath) + "/" + file;
}

std::string layerWords(const HydrogenInstrument& instrument, const LayerChoice& choice, double velocity) {
    const HydrogenComponent& component = instrument.components[choice.component];
    const HydrogenLayer& layer = component.layers[choice.layer];
    std::string words = "layer " + std::to_string(choice.layer + 1) + " of " +
                        std::to_string(component.layers.size());
    if (instrument.components.size() > 1)
        words += " of component " + std::to_string(choice.component + 1) + " of " +
                 std::to_string(instrument.components.size());
    if (!holds(layer, velocity)) words += " (the nearest)";
    return words + ", " + layer.file;
}

ImportedPad padOf(const std::string& xmlPath, const HydrogenInstrument& instrument, const LayerChoice& choice,
                  double velocity) {
    const HydrogenComponent& component = instrument.components[choice.component];
    const HydrogenLayer& layer = component.layers[choice.layer];
    ImportedPad pad;
    // The loudness goes to the pad's volume as far as it reaches, the rest into the sample.
    const double loudness = std::fmax(0.0, instrument.volume * instrument.gain * component.gain * layer.gain);
    const double volume = std::fmin(loudness, kLoudestVolume);
    SampleShaping shaping;
    shaping.mixDown = true;
    shaping.gain = loudness > kLoudestVolume ? loudness / kLoudestVolume : 1.0;
    const std::string path = samplePath(xmlPath, layer.file);
    pad.wav = importSample(path, shaping).wav;
    pad.fileName = baseName(path.c_str());
    pad.volume = volume * 100.0;
    pad.pan = instrument.pan * 100.0;
    const double pitch = 100.0 * std::pow(2.0, (instrument.pitch + layer.pitch) / 12.0);
    pad.pitch = std::fmin(200.0, std::fmax(50.0, std::isfinite(pitch) ? pitch : 100.0));
    pad.source = instrument.name + ", " + layerWords(instrument, choice, velocity);
    return pad;
}

}  // namespace

ImportedKit importHydrogenKit(const std::string& xmlPath, const ImportOptions& options) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(xmlPath.c_str(), bytes, &reason)) throw fileError(xmlPath, reason);
    HydrogenKit kit;
    if (!parseDrumkitXml(bytes.data(), bytes.size(), kit, reason)) throw fileError(xmlPath, reason);

    ImportedKit imported;
    imported.source = xmlPath;
    imported.kind = "Hydrogen drumkit";
    imported.title = kit.name;
    imported.sounds = static_cast<int>(kit.instruments.size());
    const double velocity = options.velocity / 127.0;
    const std::vector<int> notes = notesOf(kit);
    std::vector<PadWish> wishes;
    std::vector<size_t> wished;  // the instrument of each wish
    for (size_t i = 0; i < kit.instruments.size(); ++i) {
        const HydrogenInstrument& instrument = kit.instruments[i];
        if (chooseLayer(instrument, velocity).layer < 0) {
            imported.dropped.push_back({instrument.name, "it has no sample"});
            continue;
        }
        wishes.push_back({instrument.name, notes[i], instrument.muteGroup >= 0 ? instrument.muteGroup : -1});
        wished.push_back(i);
    }
    const std::vector<PadPlace> places = layOutPads(wishes);
    for (size_t w = 0; w < wishes.size(); ++w) {
        const HydrogenInstrument& instrument = kit.instruments[wished[w]];
        if (places[w].pad < 0) {
            imported.dropped.push_back({instrument.name, "no pad left"});
            continue;
        }
        ImportedPad pad = padOf(xmlPath, instrument, chooseLayer(instrument, velocity), velocity);
        pad.pad = places[w].pad;
        pad.name = places[w].name;
        pad.note = wishes[w].note;
        pad.group = places[w].group;
        if (instrument.note >= 0 && !playable(instrument.note))
            pad.source += " (its note " + std::to_string(instrument.note) + " is past the pads' keys)";
        imported.pads.push_back(pad);
    }
    return imported;
}
