#include "KitImport.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "HydrogenImport.h"
#include "KitArchive.h"
#include "PadSettings.h"
#include "SoundFontImport.h"
#include "ZelError.h"
#include "engine/PadParameters.h"

namespace {

constexpr size_t kLongestList = 8;

bool isFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::vector<unsigned char> firstBytes(const std::string& path, size_t count) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> bytes(count);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(file ? count : static_cast<size_t>(file.gcount()));
    return bytes;
}

bool looksLikeXml(const std::vector<unsigned char>& bytes) {
    size_t at = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    while (at < bytes.size() && std::strchr(" \t\r\n", bytes[at]) != nullptr && bytes[at] != 0) ++at;
    return at < bytes.size() && bytes[at] == '<';
}

// Messages about the unpacked files name them inside the archive.
ImportedKit importArchive(const std::string& path, const ImportOptions& options) {
    UnpackedArchive unpacked(path);
    try {
        ImportedKit kit = importHydrogenKit(unpacked.drumkitXml(), options);
        kit.source = path;
        return kit;
    } catch (const ZelError& error) {
        std::string message = error.what();
        const std::string inside = unpacked.folder() + "/";
        for (size_t at; (at = message.find(inside)) != std::string::npos;)
            message.replace(at, inside.size(), path + ": ");
        throw ZelError(message);
    }
}

std::string noteName(int key) {
    char text[8];
    formatNoteName(key, text, sizeof text);
    return text;
}

}  // namespace

KitSource kitSourceOf(const std::string& path) {
    if (isFolder(path)) return KitSource::HydrogenFolder;
    const std::vector<unsigned char> head = firstBytes(path, 512);
    if (head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 && std::memcmp(head.data() + 8, "sfbk", 4) == 0)
        return KitSource::SoundFont;
    if (looksLikeArchive(head.data(), head.size())) return KitSource::HydrogenArchive;
    if (looksLikeXml(head)) return KitSource::HydrogenXml;
    return KitSource::Patch;
}

ImportedKit importKit(const std::string& path, KitSource source, const ImportOptions& options) {
    switch (source) {
        case KitSource::HydrogenXml: return importHydrogenKit(path, options);
        case KitSource::HydrogenFolder: {
            const std::string xml = (path.empty() || path.back() != '/' ? path + "/" : path) + "drumkit.xml";
            if (!std::ifstream(xml)) throw fileError(path, "a folder without a drumkit.xml");
            return importHydrogenKit(xml, options);
        }
        case KitSource::HydrogenArchive: return importArchive(path, options);
        case KitSource::SoundFont: return importSoundFont(path, options);
        case KitSource::Patch: break;
    }
    throw fileError(path, "not a drumkit or a soundfont");
}

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
