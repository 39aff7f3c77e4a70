// Writes the bundle's description at build time, from the owners of what it
// says: the port layout, the settings' ranges, units, symbols and scale
// points, the built-in kit's values as the ports' defaults, and a patch file
// as the demo preset's state.
//   zel_lv2_describe BUNDLE_DIR [DEMO_PATCH.bin]
#include <serd/serd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/PluginCore.h"
#include "engine/PadPorts.h"
#include "lv2/PortLayout.h"
#include "lv2/Uris.h"

namespace {

constexpr const char* kDspBinary = "zel001_lv2.so";
constexpr const char* kUiBinary = "zel001_ui.so";
constexpr const char* kPluginFile = "zel001.ttl";
constexpr const char* kPresetFile = "demo.ttl";

const char* const kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix log: <http://lv2plug.in/ns/ext/log#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix patch: <http://lv2plug.in/ns/ext/patch#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix rsz: <http://lv2plug.in/ns/ext/resize-port#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
    "@prefix work: <http://lv2plug.in/ns/ext/worker#> .\n"
    "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

std::string number(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string shown = text;
    if (shown.find_first_of(".e") == std::string::npos) shown += ".0";
    return shown;
}

std::string padNumber(int pad) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", pad + 1);
    return text;
}

std::string settingSymbol(int port) {
    return "pad" + padNumber(port / kPortSettingsPerPad) + "_" + padPortSpec(port % kPortSettingsPerPad).symbol;
}

std::string outputGroup(int pair) { return "<" ZEL_PREFIX "out" + std::to_string(pair + 1) + ">"; }

void writeManifest(std::ostream& out, bool withPreset) {
    out << kPrefixes;
    out << "<" << uris::kPlugin << ">\n    a lv2:Plugin ;\n    lv2:binary <" << kDspBinary << "> ;\n"
        << "    rdfs:seeAlso <" << kPluginFile << "> .\n\n";
    out << "<" << uris::kUi << ">\n    a ui:X11UI ;\n    ui:binary <" << kUiBinary << "> ;\n"
        << "    rdfs:seeAlso <" << kPluginFile << "> .\n";
    if (withPreset)
        out << "\n<" << uris::kDemoPreset << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << uris::kPlugin << "> ;\n"
            << "    rdfs:label \"Demo kit\" ;\n    rdfs:seeAlso <" << kPresetFile << "> .\n";
}

void writeAtomPorts(std::ostream& out) {
    out << "    lv2:port [\n        a lv2:InputPort , atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent , patch:Message ;\n        lv2:designation lv2:control ;\n"
        << "        lv2:index " << ports::kControl << " ;\n        lv2:symbol \"control\" ;\n"
        << "        lv2:name \"Control\"\n    ] , [\n"
        << "        a lv2:OutputPort , atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports patch:Message ;\n        lv2:designation lv2:control ;\n"
        << "        rsz:minimumSize " << ports::kNotifyCapacity << " ;\n"
        << "        lv2:index " << ports::kNotify << " ;\n        lv2:symbol \"notify\" ;\n"
        << "        lv2:name \"Notify\"\n    ]";
}

void writeAudioPorts(std::ostream& out) {
    for (int o = 0; o < kOutputCount; ++o) {
        out << " , [\n        a lv2:OutputPort , lv2:AudioPort ;\n"
            << "        lv2:index " << ports::kFirstAudio + o << " ;\n"
            << "        lv2:symbol \"out_" << o + 1 << "\" ;\n        lv2:name \"Out " << o + 1 << "\" ;\n"
            << "        pg:group " << outputGroup(o / 2) << " ;\n"
            << "        lv2:designation " << (o % 2 == 0 ? "pg:left" : "pg:right") << "\n    ]";
    }
}

void writeSettingPort(std::ostream& out, int port, const PadSettings& defaults) {
    const int setting = port % kPortSettingsPerPad;
    const PadPortSpec& spec = padPortSpec(setting);
    out << " , [\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << ports::kFirstSetting + port << " ;\n"
        << "        lv2:symbol \"" << settingSymbol(port) << "\" ;\n"
        << "        lv2:name \"Pad " << padNumber(port / kPortSettingsPerPad) << " " << spec.name << "\" ;\n"
        << "        lv2:default " << number(portValueOf(defaults, setting)) << " ;\n"
        << "        lv2:minimum " << number(spec.minimum) << " ;\n"
        << "        lv2:maximum " << number(spec.maximum);
    if (spec.unit != nullptr) out << " ;\n        units:unit units:" << spec.unit;
    if (spec.integer) out << " ;\n        lv2:portProperty lv2:integer";
    if (spec.enumeration) out << " ;\n        lv2:portProperty lv2:enumeration";
    if (spec.logarithmic) out << " ;\n        lv2:portProperty pprops:logarithmic";
    for (int point = 0; point < scalePointCount(setting); ++point) {
        char label[32];
        const float value = scalePoint(setting, point, label, sizeof label);
        out << (point == 0 ? " ;\n        lv2:scalePoint " : " , ") << "[ rdfs:label \"" << label
            << "\" ; rdf:value " << number(value) << " ]";
    }
    out << "\n    ]";
}

void writePlugin(std::ostream& out, PluginCore& builtIn) {
    out << kPrefixes << "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n\n";
    for (int pair = 0; pair < kOutputPairCount; ++pair)
        out << outputGroup(pair) << "\n    a pg:StereoGroup , pg:OutputGroup ;\n"
            << "    lv2:symbol \"out_" << 2 * pair + 1 << "_" << 2 * pair + 2 << "\" ;\n"
            << "    lv2:name \"Out " << 2 * pair + 1 << "/" << 2 * pair + 2 << "\" .\n\n";
    out << "<" << uris::kPlugin << ">\n    a lv2:Plugin , lv2:InstrumentPlugin , doap:Project ;\n"
        << "    doap:name \"zel001\" ;\n    rdfs:comment \"A sixteen-pad drum machine.\" ;\n"
        << "    doap:maintainer [ foaf:name \"zel\" ] ;\n"
        << "    lv2:minorVersion 3 ;\n    lv2:microVersion 0 ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , work:schedule , log:log , opts:options ;\n"
        << "    opts:supportedOption bufsz:maxBlockLength ;\n"
        << "    lv2:extensionData state:interface , work:interface ;\n"
        << "    ui:ui <" << uris::kUi << "> ;\n";
    writeAtomPorts(out);
    writeAudioPorts(out);
    for (int port = 0; port < kSettingPortCount; ++port) {
        const PadSettings pad = builtIn.padSettings(port / kPortSettingsPerPad, nullptr);
        writeSettingPort(out, port, pad);
    }
    out << " .\n\n";
    out << "<" << uris::kPatch << ">\n    a rdf:Property ;\n    rdfs:label \"kit\" ;\n"
        << "    rdfs:comment \"The whole kit, samples included, as one patch.\" ;\n"
        << "    rdfs:range atom:Chunk .\n\n";
    out << "<" << uris::kUi << ">\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature urid:map , ui:parent , ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:resize , ui:touch , opts:options ;\n"
        << "    opts:supportedOption ui:scaleFactor ;\n"
        << "    lv2:extensionData ui:idleInterface , opts:interface ;\n"
        << "    ui:portNotification [\n        ui:plugin <" << uris::kPlugin << "> ;\n"
        << "        lv2:symbol \"notify\" ;\n        ui:notifyType atom:Object\n    ] .\n";
}

bool writePreset(std::ostream& out, const std::vector<uint8_t>& patch) {
    PluginCore demo(44100.0f, 1024, nullptr);
    const char* why = nullptr;
    if (!demo.isComplete() || demo.restore(patch.data(), static_cast<int64_t>(patch.size()), &why) == 0) {
        std::cerr << "zel_lv2_describe: the demo patch is refused: " << (why != nullptr ? why : "?") << "\n";
        return false;
    }
    out << kPrefixes;
    out << "<" << uris::kDemoPreset << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << uris::kPlugin << "> ;\n"
        << "    rdfs:label \"Demo kit\" ;\n    lv2:port ";
    for (int port = 0; port < kSettingPortCount; ++port) {
        const PadSettings pad = demo.padSettings(port / kPortSettingsPerPad, nullptr);
        out << (port == 0 ? "" : " , ") << "[\n        lv2:symbol \"" << settingSymbol(port)
            << "\" ;\n        pset:value " << number(portValueOf(pad, port % kPortSettingsPerPad)) << "\n    ]";
    }
    SerdNode blob = serd_node_new_blob(patch.data(), patch.size(), false);
    out << " ;\n    state:state [\n        <" << uris::kPatch << "> \""
        << reinterpret_cast<const char*>(blob.buf) << "\"^^xsd:base64Binary\n    ] .\n";
    serd_node_free(&blob);
    return true;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file) std::cerr << "zel_lv2_describe: cannot write " << path << "\n";
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: zel_lv2_describe BUNDLE_DIR [DEMO_PATCH.bin]\n";
        return 2;
    }
    const std::string bundle = argv[1];
    PluginCore builtIn(44100.0f, 1024, nullptr);
    if (!builtIn.isComplete()) return 1;
    std::ostringstream plugin, manifest, preset;
    writePlugin(plugin, builtIn);
    writeManifest(manifest, argc == 3);
    if (argc == 3) {
        std::ifstream file(argv[2], std::ios::binary);
        const std::vector<uint8_t> patch((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (patch.empty() || !writePreset(preset, patch)) {
            std::cerr << "zel_lv2_describe: no demo kit in " << argv[2] << "\n";
            return 1;
        }
        if (!writeFile(bundle + "/" + kPresetFile, preset.str())) return 1;
    }
    return writeFile(bundle + "/" + kPluginFile, plugin.str()) && writeFile(bundle + "/manifest.ttl", manifest.str())
               ? 0
               : 1;
}
