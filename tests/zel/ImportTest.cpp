// `zel kit --from` on Hydrogen drumkits and soundfonts: fixture kits of each
// drumkit.xml generation that the tests write, Hydrogen's own kits and the
// TimGM6mb soundfont, played through the plug-in; hostile and damaged
// sources refused in one line with nothing written.
#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>
#include <pugixml.hpp>
#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>

#include "EditorHarness.h"
#include "HostPlayback.h"
#include "MidiFile.h"
#include "PluginInstance.h"
#include "TempDir.h"
#include "ToolTestSupport.h"
#include "engine/Kit.h"
#include "engine/PadParameters.h"

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

const std::string kHydrogenKits = "/usr/share/hydrogen/data/drumkits/";
const std::string kTimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

std::string text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The four samples of the fixture kit and what their pads must hold.
struct FixtureSamples {
    std::vector<int> kick;             // 16-bit mono, left-justified
    std::vector<int> hatLeft, hatRight;  // 24-bit stereo, even values
    std::vector<float> bell;           // float mono
};

FixtureSamples writeSamples(const TempDir& dir) {
    FixtureSamples s;
    std::vector<int> stereo;
    for (int i = 0; i < 400; ++i) {
        s.kick.push_back(int(std::lround(std::sin(i * 0.3) * 30000)) << 16);
        s.hatLeft.push_back(2 * int(std::lround(std::sin(i * 0.7) * 2000000)) << 8);
        s.hatRight.push_back(2 * int(std::lround(std::cos(i * 0.2) * 1000000)) << 8);
        stereo.push_back(s.hatLeft.back());
        stereo.push_back(s.hatRight.back());
        s.bell.push_back(i == 5 ? 0.9f : float(std::sin(i * 0.11) * 0.5));
    }
    writeSound(dir / "kick.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, s.kick);
    writeSound(dir / "hat.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, 44100, stereo);
    writeSound(dir / "bell.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, s.bell);
    return s;
}

enum Generation { Oldest, Layers, Components, Namespaced, Prefixed };

struct FixtureInstrument {
    const char* name;
    int note;
    double volume, gain, pan;
    int muteGroup;
    double pitch;  // semitones, on the layer
    const char* file;
};

// Kick on 36, a cowbell off the default keys, two hats of one mute group.
const FixtureInstrument kFixture[] = {
    {"Kick", 36, 0.5, 1.0, -0.5, -1, 0.0, "kick.wav"},
    {"Cowbell", 56, 1.0, 3.0, 0.0, -1, 0.0, "bell.wav"},
    {"Open Hat", 46, 1.0, 1.0, 0.4, 3, 0.0, "hat.flac"},
    {"Closed Hat", 42, 1.0, 1.0, 0.0, 3, 12.0, "hat.flac"},
};

std::string drumkitXml(Generation generation) {
    const std::string p = generation == Prefixed ? "h2:" : "";
    auto tag = [&p](const std::string& name, const std::string& value) {
        return "<" + p + name + ">" + value + "</" + p + name + ">";
    };
    auto number = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", value);
        return std::string(text);
    };
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + p + "drumkit_info";
    if (generation == Namespaced) xml += " xmlns=\"http://www.hydrogen-music.org/drumkit\"";
    if (generation == Prefixed) xml += " xmlns:h2=\"http://www.hydrogen-music.org/drumkit\"";
    xml += ">" + tag("name", "Fixture") + (generation >= Namespaced ? tag("license", "CC0") : "");
    if (generation >= Components)
        xml += tag("componentList", tag("drumkitComponent", tag("id", "0") + tag("name", "Main") + tag("volume", "1")));
    xml += "<" + p + "instrumentList>";
    for (const FixtureInstrument& i : kFixture) {
        xml += "<" + p + "instrument>" + tag("name", i.name) + tag("volume", number(i.volume)) +
               tag("gain", number(i.gain)) + tag("muteGroup", std::to_string(i.muteGroup));
        if (generation >= Namespaced)
            xml += tag("pan", number(i.pan));
        else  // each side's gain, the louder at 1
            xml += tag("pan_L", number(i.pan > 0 ? 1 - i.pan : 1)) + tag("pan_R", number(i.pan < 0 ? 1 + i.pan : 1));
        if (generation >= Components) xml += tag("midiOutNote", std::to_string(i.note));
        const std::string layer = tag("layer", tag("filename", i.file) + tag("min", "0") + tag("max", "1") +
                                                   tag("gain", "1") + tag("pitch", number(i.pitch)));
        if (generation == Oldest) xml += tag("filename", i.file);
        if (generation == Layers) xml += layer;
        if (generation >= Components) xml += tag("instrumentComponent", tag("component_id", "0") + tag("gain", "1") + layer);
        xml += "</" + p + "instrument>";
    }
    return xml + "</" + p + "instrumentList></" + p + "drumkit_info>\n";
}

struct Entry {
    std::string name;
    std::string content;  // a link's target for links
    int type = AE_IFREG;
    bool hardlink = false;
};

// A .h2drumkit: a tar file, gzip-compressed or not.
void writeArchive(const std::string& path, const std::vector<Entry>& entries, bool gzip) {
    archive* writer = archive_write_new();
    archive_write_set_format_pax_restricted(writer);
    if (gzip) archive_write_add_filter_gzip(writer);
    ASSERT_EQ(archive_write_open_filename(writer, path.c_str()), ARCHIVE_OK);
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_perm(entry, 0644);
        if (e.hardlink) {
            archive_entry_set_hardlink(entry, e.content.c_str());
        } else {
            archive_entry_set_filetype(entry, unsigned(e.type));
            if (e.type == AE_IFLNK) archive_entry_set_symlink(entry, e.content.c_str());
            if (e.type == AE_IFREG) archive_entry_set_size(entry, la_int64_t(e.content.size()));
        }
        archive_write_header(writer, entry);
        if (e.type == AE_IFREG && !e.hardlink) archive_write_data(writer, e.content.data(), e.content.size());
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
}

// A folder's files as archive entries under prefix.
std::vector<Entry> entriesOf(const std::string& folder, const std::string& prefix) {
    std::vector<Entry> entries;
    for (const fs::directory_entry& file : fs::directory_iterator(folder))
        entries.push_back({prefix + file.path().filename().string(), text(readBytes(file.path().string()))});
    return entries;
}

std::string display(PluginInstance& plugin, int pad, PadParam param) {
    std::string shown = plugin.text(effGetParamDisplay, pad * kParamsPerPad + param);
    return shown.substr(shown.find_first_not_of(' '));
}

// A kit file's pads, in zel's own instance of the plug-in.
struct LoadedKit {
    explicit LoadedKit(const std::string& path) : bytes(readBytes(path)) {
        plugin.open(44100, 512);
        loaded = plugin.setChunk(bytes);
    }
    const Pad& pad(int p) { return plugin.kit().pads[p]; }
    std::vector<uint8_t> bytes;
    PluginInstance plugin;
    bool loaded = false;
};

std::vector<TimedMessage> onePerPad(const Pad* pads, int64_t spacing) {
    std::vector<TimedMessage> messages;
    for (int p = 0; p < kPadCount; ++p) messages.push_back({p * spacing, 0x99, uint8_t(pads[p].note), 100});
    return messages;
}

// Every pad holding a sample sounds in the library when its note plays alone.
void expectEveryPadSounds(LoadedKit& kit, int64_t spacing) {
    const vsthost::Audio played = playInBoth(kit.bytes, onePerPad(kit.plugin.kit().pads, spacing), 16 * spacing);
    for (int p = 0; p < kPadCount; ++p) {
        ASSERT_NE(kit.pad(p).samples, nullptr) << "pad " << p + 1;
        EXPECT_TRUE(soundsBetween(played, p * spacing, p * spacing + 2205)) << kit.pad(p).name;
    }
}

class ZelImport : public ::testing::Test {
protected:
    void SetUp() override {
        // zel's temporary folders land here, where the test sees them.
        fs::create_directories(dir / "tmp");
        setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    }
    void TearDown() override { unsetenv("TMPDIR"); }
    TempDir dir;
};

TEST_F(ZelImport, EveryDrumkitGenerationLandsOnPadsWithItsSettings) {
    const FixtureSamples samples = writeSamples(dir);
    const struct {
        Generation generation;
        const char* how;  // the --from given: the xml, its folder or an archive
        const char* closedHatPitch;
    } rows[] = {
        {Oldest, "xml", "100"},  {Layers, "folder", "200"},  {Components, "tar", "200"},
        {Namespaced, "tgz", "200"}, {Prefixed, "xml", "200"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("generation ") + std::to_string(row.generation) + " from " + row.how);
        const std::string xml = dir.write("drumkit.xml", bytesOf(drumkitXml(row.generation)));
        std::string from = xml;
        if (std::string(row.how) == "folder") from = dir.path();
        if (std::string(row.how) == "tar" || std::string(row.how) == "tgz") {
            from = dir / "fixture.h2drumkit";
            std::vector<Entry> entries = {{"Fixture/drumkit.xml", drumkitXml(row.generation)}};
            for (const char* file : {"kick.wav", "hat.flac", "bell.wav"})
                entries.push_back({std::string("Fixture/") + file, text(readBytes(dir / file))});
            writeArchive(from, entries, std::string(row.how) == "tgz");
        }
        const Outcome outcome = zel({"kit", dir / "kit.bin", "--from", from});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        EXPECT_TRUE(fs::is_empty(dir / "tmp")) << "the unpacked archive is gone";
        LoadedKit kit(dir / "kit.bin");
        ASSERT_TRUE(kit.loaded);
        const struct {
            int pad;
            const char *name, *note, *group, *volume, *pan, *pitch;
        } pads[] = {
            {0, "Kick", "C2", "1", "50", "-50", "100"},
            {1, "Cowbell", "G#3", "2", "200", "0", "100"},
            {3, "Closed Hat", "F#2", "4", "100", "0", row.closedHatPitch},
            {5, "Open Hat", "A#2", "4", "100", "40", "100"},
        };
        for (const auto& pad : pads) {
            SCOPED_TRACE(pad.name);
            EXPECT_STREQ(kit.pad(pad.pad).name, pad.name);
            EXPECT_EQ(display(kit.plugin, pad.pad, ParamNote), pad.note);
            EXPECT_EQ(display(kit.plugin, pad.pad, ParamGroup), pad.group);
            EXPECT_EQ(display(kit.plugin, pad.pad, ParamVolume), pad.volume);
            EXPECT_EQ(display(kit.plugin, pad.pad, ParamPan), pad.pan);
            EXPECT_EQ(display(kit.plugin, pad.pad, ParamPitch), pad.pitch);
        }
        EXPECT_EQ(kit.pad(2).samples, nullptr) << "an unused pad stays empty";
        EXPECT_STREQ(kit.pad(2).name, kDefaultPadNames[2]);
        // The kick exactly; the hat as the mean of its channels; the cowbell's
        // gain past the pad's 200 % in its sample, clipped at full scale.
        ASSERT_EQ(kit.pad(0).frameCount, 400);
        ASSERT_EQ(kit.pad(5).frameCount, 400);
        ASSERT_EQ(kit.pad(1).frameCount, 400);
        int misses = 0;
        for (int i = 0; i < 400; ++i) {
            misses += kit.pad(0).samples[i] != float(samples.kick[i] >> 16) / 32768.0f;
            misses += kit.pad(5).samples[i] != float(((samples.hatLeft[i] >> 8) + (samples.hatRight[i] >> 8)) / 2) / 8388608.0f;
            const double bell = std::min(samples.bell[i] * 1.5, 8388607.0 / 8388608.0);
            misses += std::fabs(kit.pad(1).samples[i] - bell) > 0.5 / 8388608.0;
        }
        EXPECT_EQ(misses, 0);
    }
}

TEST_F(ZelImport, TheLayerWhoseRangeHoldsTheVelocityPlays) {
    // Three layers, each a constant level; the upper boundary sits exactly at velocity 100.
    const double top = 100.0 / 127.0;
    char boundary[32];
    std::snprintf(boundary, sizeof boundary, "%.17g", top);
    std::string layers;
    const struct { const char* file; const char* min; const char* max; int level; } kLayers[] = {
        {"soft.wav", "0", "0.5", 1000}, {"mid.wav", "0.5", boundary, 2000}, {"hard.wav", boundary, "1", 3000}};
    for (const auto& l : kLayers) {
        writeSound(dir / l.file, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, std::vector<int>(100, l.level << 16));
        layers += std::string("<layer><filename>") + l.file + "</filename><min>" + l.min + "</min><max>" + l.max +
                  "</max></layer>";
    }
    dir.write("drumkit.xml", bytesOf("<drumkit_info><instrumentList><instrument><name>Snare</name>"
                                     "<midiOutNote>38</midiOutNote><instrumentComponent>" + layers +
                                     "</instrumentComponent></instrument></instrumentList></drumkit_info>"));
    for (const auto& row : std::vector<std::pair<int, int>>{{1, 1000}, {63, 1000}, {64, 2000}, {99, 2000},
                                                             {100, 3000}, {127, 3000}}) {
        SCOPED_TRACE("velocity " + std::to_string(row.first));
        const Outcome outcome = zel({"kit", dir / "kit.bin", "--from", dir.path(), "--velocity", std::to_string(row.first)});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        LoadedKit kit(dir / "kit.bin");
        ASSERT_NE(kit.pad(2).samples, nullptr);
        EXPECT_EQ(kit.pad(2).samples[50], float(row.second) / 32768.0f);
    }
    const Outcome dry = zel({"kit", dir / "dry.bin", "--from", dir.path(), "--dry-run"});
    EXPECT_EQ(dry.status, 0);
    EXPECT_NE(dry.out.find("pad  3  Snare"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("layer 3 of 3, hard.wav"), std::string::npos) << dry.out;
    EXPECT_FALSE(fs::exists(dir / "dry.bin"));
}

// The smallest soundfont headers: one preset, in bank 0.
std::vector<uint8_t> soundFontWithoutDrums() {
    auto chunk = [](const std::string& id, const std::string& body) {
        std::string out = id;
        for (int i = 0; i < 4; ++i) out += char(body.size() >> (8 * i));
        return out + body;
    };
    const std::string preset = std::string("Piano") + std::string(15, '\0') + std::string(18, '\0');
    const std::string end = std::string("EOP") + std::string(17, '\0') + std::string("\0\0\0\0\1\0", 6) + std::string(12, '\0');
    const std::string pdta = "pdta" + chunk("phdr", preset + end) + chunk("pbag", std::string(8, '\0')) +
                             chunk("pgen", std::string(4, '\0')) + chunk("inst", std::string(44, '\0')) +
                             chunk("ibag", std::string(4, '\0')) + chunk("igen", std::string(4, '\0')) +
                             chunk("shdr", std::string(46, '\0'));
    return bytesOf(chunk("RIFF", "sfbk" + chunk("LIST", pdta)));
}

TEST_F(ZelImport, BadSourcesAreRefusedInOneLineAndLeaveTheOldKitAlone) {
    writeSamples(dir);
    auto kitWith = [](const std::string& file) {
        return "<drumkit_info><instrumentList><instrument><name>Kick</name><layer><filename>" + file +
               "</filename></layer></instrument></instrumentList></drumkit_info>";
    };
    dir.write("missing/drumkit.xml", bytesOf(kitWith("nothing.wav")));
    dir.write("text/drumkit.xml", bytesOf(kitWith("notes.wav")));
    dir.write("text/notes.wav", bytesOf("not a sound\n"));
    dir.write("outside/drumkit.xml", bytesOf(kitWith("../kick.wav")));
    dir.write("damaged.xml", bytesOf("<drumkit_info><instrumentList><instrument>"));
    dir.write("song.xml", bytesOf("<song><instrumentList/></song>"));
    dir.write("empty/readme.txt", bytesOf("no kit here"));
    dir.write("nodrums.sf2", soundFontWithoutDrums());
    const std::vector<uint8_t> font = readBytes(kTimGM6mb);
    dir.write("cut.sf2", std::vector<uint8_t>(font.begin(), font.begin() + 4096));
    const std::string good = kitWith("kick.wav"), sound = text(readBytes(dir / "kick.wav"));
    writeArchive(dir / "dots.h2drumkit", {{"Kit/drumkit.xml", good}, {"Kit/../../evil.wav", sound}}, true);
    writeArchive(dir / "absolute.h2drumkit", {{"/tmp/evil.wav", sound}, {"Kit/drumkit.xml", good}}, false);
    writeArchive(dir / "symlink.h2drumkit", {{"Kit/drumkit.xml", good}, {"Kit/kick.wav", "/etc/passwd", AE_IFLNK}}, true);
    writeArchive(dir / "hardlink.h2drumkit", {{"Kit/drumkit.xml", good}, {"Kit/kick.wav", "Kit/drumkit.xml", AE_IFREG, true}}, false);
    dir.write("keep.bin", bytesOf("old kit"));
    fs::create_directory(dir / "lone");
    fs::copy_file(zelPath(), dir / "lone/zel");  // without the import module beside it
    const std::set<std::string> before = [&] {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir.path())) names.insert(e.path().string());
        return names;
    }();

    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows = {
        {{dir / "missing"}, {"nothing.wav", "No such file"}},
        {{dir / "text"}, {"notes.wav", "not audio that libsndfile can read"}},
        {{dir / "outside"}, {"drumkit.xml", "\"../kick.wav\" lies outside the kit's folder"}},
        {{dir / "damaged.xml"}, {"damaged.xml", "damaged XML"}},
        {{dir / "song.xml"}, {"song.xml", "not a Hydrogen drumkit"}},
        {{dir / "empty"}, {"empty", "without a drumkit.xml"}},
        {{dir / "dots.h2drumkit"}, {"dots.h2drumkit", "refused entry \"Kit/../../evil.wav\"", "\"..\""}},
        {{dir / "absolute.h2drumkit"}, {"absolute.h2drumkit", "\"/tmp/evil.wav\"", "absolute path"}},
        {{dir / "symlink.h2drumkit"}, {"symlink.h2drumkit", "Kit/kick.wav", "a link"}},
        {{dir / "hardlink.h2drumkit"}, {"hardlink.h2drumkit", "Kit/kick.wav", "a link"}},
        {{dir / "nodrums.sf2"}, {"nodrums.sf2", "no preset in bank 128"}},
        {{dir / "cut.sf2"}, {"cut.sf2", "damaged soundfont"}},
        {{kTimGM6mb, "--preset", "Marching"}, {"no drum kit \"Marching\"", "0 Standard, 8 Room"}},
        {{dir / "text", "--preset", "Room"}, {"--preset Room", "is no soundfont"}},
        {{dir / "keep.bin", "--velocity", "90"}, {"--velocity", "for imports"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> arguments = {"kit", dir / "keep.bin", "--from"};
        arguments.insert(arguments.end(), row.first.begin(), row.first.end());
        SCOPED_TRACE(row.first[0]);
        expectOneLineError(zel(arguments), row.second);
    }
    expectOneLineError(run(dir / "lone/zel", {"kit", dir / "keep.bin", "--from", kHydrogenKits + "GMRockKit"}),
                       {"zelimport.so", "cannot be loaded"});
    std::set<std::string> after;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) after.insert(e.path().string());
    EXPECT_EQ(after, before) << "nothing unpacked, nothing written, no temporary folder left";
    EXPECT_FALSE(fs::exists("/tmp/evil.wav"));
    EXPECT_EQ(text(readBytes(dir / "keep.bin")), "old kit");
}

// The instruments of a drumkit.xml as the file says, read here on their own.
struct KitEntry {
    std::string name;
    int note, muteGroup;
};
std::vector<KitEntry> instrumentsOf(const std::string& xml) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(xml.c_str()));
    std::vector<KitEntry> entries;
    for (pugi::xml_node i : document.child("drumkit_info").child("instrumentList").children("instrument"))
        entries.push_back({i.child_value("name"), i.child("midiOutNote").text().as_int(-1),
                           i.child("muteGroup").text().as_int(-1)});
    return entries;
}

TEST_F(ZelImport, HydrogensOwnKitsPlayEveryPadUnderTheirNamesAndNotes) {
    // TR808EmulationKit from a tar archive made of its folder, GMRockKit from its folder.
    writeArchive(dir / "808.h2drumkit", entriesOf(kHydrogenKits + "TR808EmulationKit", "TR808EmulationKit/"), false);
    for (const std::string& name : {std::string("TR808EmulationKit"), std::string("GMRockKit")}) {
        SCOPED_TRACE(name);
        const std::string from = name == "GMRockKit" ? kHydrogenKits + name : dir / "808.h2drumkit";
        const Outcome outcome = zel({"kit", dir / (name + ".bin"), "--from", from});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const std::vector<KitEntry> entries = instrumentsOf(kHydrogenKits + name + "/drumkit.xml");
        ASSERT_GE(entries.size(), 16u);
        // Past 16 instruments the rest are named in one warning line.
        std::string dropped;
        for (size_t i = 16; i < entries.size(); ++i) dropped += (i > 16 ? ", " : "") + entries[i].name + " (no pad left)";
        EXPECT_EQ(outcome.err, entries.size() == 16 ? "" : "zel: warning: " + from + ": 16 of " +
                  std::to_string(entries.size()) + " instruments have pads; dropped: " + dropped + "\n");

        LoadedKit kit(dir / (name + ".bin"));
        ASSERT_TRUE(kit.loaded);
        std::set<int> pads;
        for (size_t i = 0; i < 16; ++i) {
            int found = -1;
            for (int p = 0; p < kPadCount; ++p)
                if (entries[i].name == kit.pad(p).name) found = p;
            ASSERT_GE(found, 0) << entries[i].name;
            pads.insert(found);
            EXPECT_EQ(kit.pad(found).note, entries[i].note) << entries[i].name;
            EXPECT_EQ(entries[i].muteGroup, -1) << "these kits have none: each pad keeps its own group";
            EXPECT_EQ(kit.pad(found).group, found) << entries[i].name;
        }
        EXPECT_EQ(pads.size(), 16u);
        expectEveryPadSounds(kit, 44100);

        // zel info shows the names.
        const Outcome info = zel({"info", dir / (name + ".bin")});
        ASSERT_EQ(info.status, 0) << info.err;
        for (size_t i = 0; i < 16; ++i) EXPECT_NE(info.out.find(entries[i].name), std::string::npos) << entries[i].name;
    }
}

TEST_F(ZelImport, TheImportedKitLoadsInTheEditor) {
    ASSERT_EQ(zel({"kit", dir / "kit.bin", "--from", kHydrogenKits + "GMRockKit"}).status, 0);
    EditorUnderTest t;
    t.openAndSettle();
    const Point load = centreOf(t.model().controls.leftColumn[1]);
    t.click(load.x, load.y);
    ASSERT_FALSE(t.window.requests.empty());
    t.editor().fileChosen(FileRequest::LoadPatch, (dir / "kit.bin").c_str());
    EXPECT_TRUE(t.window.told.empty()) << t.window.told.front();
    EXPECT_EQ(t.chunk(), readBytes(dir / "kit.bin"));
    std::set<std::string> painted;
    for (const RecordingCanvas::Call& call : t.paint())
        if (call.kind == RecordingCanvas::Text) painted.insert(call.text);
    for (const char* name : {"Kick", "Snare", "Hat Closed", "Floor Tom", "Ride 2"})
        EXPECT_EQ(painted.count(name), 1u) << name;
}

TEST_F(ZelImport, ASoundFontsDrumKitPlaysTheGrooveWithEveryHit) {
    const Outcome outcome = zel({"kit", dir / "gm.bin", "--from", kTimGM6mb});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("16 of 61 drum notes have pads; 45 dropped"), std::string::npos) << outcome.err;
    LoadedKit kit(dir / "gm.bin");
    ASSERT_TRUE(kit.loaded);
    const struct { int pad; const char* name; int group; } pads[] = {
        {0, "Bass Drum New", 0}, {2, "Snare 1", 2}, {3, "High Hat Closed", 3}, {4, "High Hat Foot", 3},
        {5, "Open High Hat", 3}, {6, "Acoustic Tom", 6}, {7, "Acoustic Tom 2", 7}, {13, "Med Crash Cymba", 13}};
    for (const auto& pad : pads) {
        EXPECT_STREQ(kit.pad(pad.pad).name, pad.name);
        EXPECT_EQ(kit.pad(pad.pad).group, pad.group) << pad.name << ": the hi-hats' exclusive class is one group";
    }
    // Every pad on its default key, its sound trimmed to start at once and end at its tail.
    for (int p = 0; p < kPadCount; ++p) {
        SCOPED_TRACE(kit.pad(p).name);
        EXPECT_EQ(kit.pad(p).note, kDefaultPadNotes[p]);
        ASSERT_GT(kit.pad(p).frameCount, 0);
        float peak = 0.0f;
        for (int i = 0; i < kit.pad(p).frameCount; ++i) peak = std::max(peak, std::fabs(kit.pad(p).samples[i]));
        EXPECT_GE(std::fabs(kit.pad(p).samples[0]), peak * 3.1e-5f);
        EXPECT_GE(std::fabs(kit.pad(p).samples[kit.pad(p).frameCount - 1]), peak * 3.1e-5f);
        EXPECT_LT(kit.pad(p).frameCount, 44100 * 10);
    }
    expectEveryPadSounds(kit, 44100);

    // The groove's every key has a pad, and the render of it through the kit sounds.
    MidiSong song;
    std::string error;
    ASSERT_TRUE(readMidiFile(examplesDir() + "/groove.mid", song, error)) << error;
    for (const MidiMessage& message : song.messages) {
        if ((message.status & 0xF0) != 0x90 || message.data2 == 0) continue;
        bool onPad = false;
        for (int p = 0; p < kPadCount; ++p) onPad = onPad || kit.pad(p).note == message.data1;
        EXPECT_TRUE(onPad) << "key " << int(message.data1);
    }
    ASSERT_EQ(zel({"render", "--kit", dir / "gm.bin", examplesDir() + "/groove.mid", dir / "groove.wav"}).status, 0);
    EXPECT_FALSE(readAudio(dir / "groove.wav").silent());

    // A softer hit, and another of the font's kits by its number.
    ASSERT_EQ(zel({"kit", dir / "soft.bin", "--from", kTimGM6mb, "--velocity", "30", "--preset", "25"}).status, 0);
    LoadedKit soft(dir / "soft.bin");
    ASSERT_TRUE(soft.loaded);
    float loud = 0.0f, quiet = 0.0f;
    for (int i = 0; i < kit.pad(2).frameCount; ++i) loud = std::max(loud, std::fabs(kit.pad(2).samples[i]));
    for (int i = 0; i < soft.pad(2).frameCount; ++i) quiet = std::max(quiet, std::fabs(soft.pad(2).samples[i]));
    EXPECT_LT(quiet, loud * 0.5f) << "the snare at velocity 30 of the TR 808 kit";
    EXPECT_GT(quiet, 0.0f);
}

}  // namespace
