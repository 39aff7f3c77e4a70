#include "KitImport.h"

#include <cstdio>

#include "PadSettings.h"
#include "engine/PadParameters.h"

namespace {

constexpr size_t kLongestList = 8;

std::string noteName(int key) {
    char text[8];
    formatNoteName(key, text, sizeof text);
    return text;
}

}  // namespace

void addToRecipe(const ImportedKit& kit, KitRecipe& recipe) {
    KitRecipe imported;
    for (const ImportedPad& pad : kit.pads) {
        imported.sounds.push_back({pad.pad, pad.wav, pad.fileName});
        imported.names.push_back({pad.pad, pad.name});
        imported.settings.push_back(padSetting("note", pad.pad, pad.note));
        imported.settings.push_back(padSetting("group", pad.pad, pad.group));
        imported.settings.push_back(padSetting("volume", pad.pad, pad.volume));
        imported.settings.push_back(padSetting("pan", pad.pad, pad.pan));
        imported.settings.push_back(padSetting("pitch", pad.pad, pad.pitch));
    }
    recipe.sounds.insert(recipe.sounds.begin(), imported.sounds.begin(), imported.sounds.end());
    recipe.names.insert(recipe.names.begin(), imported.names.begin(), imported.names.end());
    recipe.settings.insert(recipe.settings.begin(), imported.settings.begin(), imported.settings.end());
}

void describeImport(const ImportedKit& kit, int velocity, std::ostream& out) {
    out << kit.source << ": " << kit.kind << " \"" << kit.title << "\", " << kit.sounds
        << (kit.kind == "soundfont" ? " drum notes" : " instruments") << ", velocity " << velocity << "\n";
    std::vector<const ImportedPad*> byPad(16, nullptr);
    for (const ImportedPad& pad : kit.pads) byPad[static_cast<size_t>(pad.pad)] = &pad;
    for (const ImportedPad* pad : byPad) {
        if (pad == nullptr) continue;
        char line[160];
        std::snprintf(line, sizeof line, "pad %2d  %-15s  note %-3s (%d)  group %-2d  volume %.0f %%  pan %.0f %%  pitch %.0f %%  <- ",
                      pad->pad + 1, pad->name.c_str(), noteName(pad->note).c_str(), pad->note, pad->group,
                      pad->volume, pad->pan + 0.0, pad->pitch);  // no "-0"
        out << line << pad->source << "\n";
    }
    for (const DroppedSound& dropped : kit.dropped) out << "dropped  " << dropped.name << ": " << dropped.why << "\n";
}

std::string droppedSummary(const ImportedKit& kit) {
    if (kit.dropped.empty()) return "";
    std::string text = std::to_string(kit.pads.size()) + " of " + std::to_string(kit.sounds) +
                       (kit.kind == "soundfont" ? " drum notes" : " instruments") + " have pads; ";
    // A whole General MIDI kit's worth is a count, with the list a dry run away.
    if (kit.dropped.size() > kLongestList)
        return text + std::to_string(kit.dropped.size()) + " dropped (--dry-run names them)";
    text += "dropped: ";
    for (size_t i = 0; i < kit.dropped.size(); ++i)
        text += (i ? ", " : "") + kit.dropped[i].name + " (" + kit.dropped[i].why + ")";
    return text;
}
