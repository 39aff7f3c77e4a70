// Writes what the comparison with a peer engine plays (bench/peer/): the
// demo kit's 16 sounds as WAV files, two DrumGizmo kits of those same files
// (one instrument per pad on the pad's default key; in drumgizmo/ each
// sound plays on a left and a right channel, in drumgizmo-mono/ on one),
// and ten minutes each of the example groove and of the dense stress groove
// as MIDI files.
//
//   peer_inputs GROOVE.mid OUT_DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSongs.h"
#include "DemoSounds.h"
#include "WavImage.h"
#include "engine/Kit.h"

namespace {

constexpr double kSongSeconds = 600.0;

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeText(const std::filesystem::path& path, const std::string& text) {
    return writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string soundFile(int pad) {
    char name[64];
    std::snprintf(name, sizeof name, "%02d-%s.wav", pad + 1, kDefaultPadNames[pad]);
    return name;
}

using Channels = std::vector<std::string>;

std::string instrumentXml(int pad, const Channels& channels) {
    std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
                      "<instrument version=\"2.0\" name=\"" + kDefaultPadNames[pad] +
                      "\">\n  <samples>\n    <sample name=\"" + kDefaultPadNames[pad] + "-1\" power=\"1\">\n";
    for (const std::string& channel : channels)
        xml += "      <audiofile channel=\"" + channel + "\" file=\"../sounds/" + soundFile(pad) +
               "\" filechannel=\"1\"/>\n";
    return xml + "    </sample>\n  </samples>\n</instrument>\n";
}

std::string drumkitXml(const Channels& channels) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<drumkit name=\"zel demo sounds\" samplerate=\"44100\" version=\"2.0\">\n  <channels>\n";
    for (const std::string& channel : channels) xml += "    <channel name=\"" + channel + "\"/>\n";
    xml += "  </channels>\n  <instruments>\n";
    for (int pad = 0; pad < kPadCount; ++pad) {
        xml += std::string("    <instrument name=\"") + kDefaultPadNames[pad] + "\" file=\"" +
               kDefaultPadNames[pad] + ".xml\">\n";
        for (const std::string& channel : channels)
            xml += "      <channelmap in=\"" + channel + "\" out=\"" + channel + "\"/>\n";
        xml += "    </instrument>\n";
    }
    return xml + "  </instruments>\n</drumkit>\n";
}

std::string midimapXml() {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<midimap>\n";
    for (int pad = 0; pad < kPadCount; ++pad)
        xml += "  <map note=\"" + std::to_string(kDefaultPadNotes[pad]) + "\" instr=\"" + kDefaultPadNames[pad] +
               "\"/>\n";
    return xml + "</midimap>\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: peer_inputs GROOVE.mid OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[2];
    std::filesystem::create_directories(out / "sounds");
    bool written = true;
    const std::vector<DemoSound> sounds = demoSounds();
    for (int pad = 0; pad < kPadCount; ++pad)
        written = written && writeFile(out / "sounds" / soundFile(pad),
                                       canonicalWav(sounds[static_cast<size_t>(pad)].samples, 16, kDemoRate));
    const std::pair<const char*, Channels> kits[] = {{"drumgizmo", {"Left", "Right"}}, {"drumgizmo-mono", {"Mono"}}};
    for (const auto& [folder, channels] : kits) {
        const std::filesystem::path kit = out / folder;
        std::filesystem::create_directories(kit);
        for (int pad = 0; pad < kPadCount; ++pad)
            written = written &&
                      writeText(kit / (std::string(kDefaultPadNames[pad]) + ".xml"), instrumentXml(pad, channels));
        written = written && writeText(kit / "drumkit.xml", drumkitXml(channels));
        written = written && writeText(kit / "midimap.xml", midimapXml());
    }

    std::string error;
    const MidiSong groove = loopedFile(argv[1], kSongSeconds, error);
    if (!error.empty()) {
        std::fprintf(stderr, "peer_inputs: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    written = written && writeFile(out / "groove.mid", songFileBytes(groove));
    written = written && writeFile(out / "stress.mid", songFileBytes(denseGroove(static_cast<int>(kSongSeconds / 60))));
    if (!written) {
        std::fprintf(stderr, "peer_inputs: %s: cannot be written\n", argv[2]);
        return 1;
    }
    // The pads of zel's kit, for `zel kit`: N=FILE, one a line.
    for (int pad = 0; pad < kPadCount; ++pad)
        std::printf("%d=%s\n", pad + 1, (out / "sounds" / soundFile(pad)).c_str());
    return 0;
}
