#include "HydrogenKit.h"

#include <pugixml.hpp>

#include <cmath>
#include <cstring>
#include <map>

namespace {

// Element names without their namespace prefix: the newest kits declare a
// default namespace, and a prefixed one would name the same elements.
const char* localName(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strrchr(name, ':');
    return colon != nullptr ? colon + 1 : name;
}

pugi::xml_node child(const pugi::xml_node& parent, const char* name) {
    for (pugi::xml_node node : parent.children())
        if (node.type() == pugi::node_element && std::strcmp(localName(node), name) == 0) return node;
    return pugi::xml_node();
}

std::vector<pugi::xml_node> children(const pugi::xml_node& parent, const char* name) {
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node node : parent.children())
        if (node.type() == pugi::node_element && std::strcmp(localName(node), name) == 0) found.push_back(node);
    return found;
}

std::string text(const pugi::xml_node& parent, const char* name) {
    const pugi::xml_node node = child(parent, name);
    return node ? node.text().get() : "";
}

double number(const pugi::xml_node& parent, const char* name, double fallback) {
    const pugi::xml_node node = child(parent, name);
    if (!node) return fallback;
    const double value = node.text().as_double(fallback);
    return std::isfinite(value) ? value : fallback;
}

int integer(const pugi::xml_node& parent, const char* name, int fallback) {
    const double value = number(parent, name, fallback);
    return value >= -1e9 && value <= 1e9 ? static_cast<int>(value) : fallback;
}

HydrogenLayer layerOf(const pugi::xml_node& node) {
    HydrogenLayer layer;
    layer.file = text(node, "filename");
    layer.min = number(node, "min", 0.0);
    layer.max = number(node, "max", 1.0);
    layer.gain = number(node, "gain", 1.0);
    layer.pitch = number(node, "pitch", 0.0);
    return layer;
}

std::vector<HydrogenLayer> layersOf(const pugi::xml_node& parent) {
    std::vector<HydrogenLayer> layers;
    for (const pugi::xml_node& node : children(parent, "layer")) layers.push_back(layerOf(node));
    return layers;
}

// Newer kits: pan in -1 to 1. Older ones keep each side's gain, 0 to 1,
// both 1 in the centre: the quieter side's share says how far off it is.
double panOf(const pugi::xml_node& node) {
    if (child(node, "pan")) return std::fmax(-1.0, std::fmin(1.0, number(node, "pan", 0.0)));
    const double left = std::fmax(0.0, number(node, "pan_L", 1.0));
    const double right = std::fmax(0.0, number(node, "pan_R", 1.0));
    const double louder = std::fmax(left, right);
    return louder > 0.0 ? (right - left) / louder : 0.0;
}

// The three generations: components with layers, layers alone, a file alone.
std::vector<HydrogenComponent> componentsOf(const pugi::xml_node& node,
                                            const std::map<int, double>& kitVolumes) {
    std::vector<HydrogenComponent> components;
    for (const pugi::xml_node& part : children(node, "instrumentComponent")) {
        HydrogenComponent component;
        const auto volume = kitVolumes.find(integer(part, "component_id", 0));
        component.gain = number(part, "gain", 1.0) * (volume != kitVolumes.end() ? volume->second : 1.0);
        component.layers = layersOf(part);
        components.push_back(component);
    }
    if (!components.empty()) return components;
    HydrogenComponent only;
    only.layers = layersOf(node);
    if (only.layers.empty() && !text(node, "filename").empty()) {
        HydrogenLayer layer;
        layer.file = text(node, "filename");
        only.layers.push_back(layer);
    }
    components.push_back(only);
    return components;
}

HydrogenInstrument instrumentOf(const pugi::xml_node& node, const std::map<int, double>& kitVolumes) {
    HydrogenInstrument instrument;
    instrument.name = text(node, "name");
    instrument.volume = number(node, "volume", 1.0);
    instrument.gain = number(node, "gain", 1.0);
    instrument.pan = panOf(node);
    instrument.pitch = number(node, "pitchOffset", 0.0);
    instrument.muteGroup = integer(node, "muteGroup", -1);
    const int note = integer(node, "midiOutNote", -1);
    instrument.note = note >= 0 && note <= 127 ? note : -1;
    instrument.components = componentsOf(node, kitVolumes);
    return instrument;
}

std::map<int, double> kitComponentVolumes(const pugi::xml_node& root) {
    std::map<int, double> volumes;
    for (const pugi::xml_node& node : children(child(root, "componentList"), "drumkitComponent"))
        volumes[integer(node, "id", 0)] = number(node, "volume", 1.0);
    return volumes;
}

int lineAt(const uint8_t* bytes, size_t size, ptrdiff_t offset) {
    int line = 1;
    for (ptrdiff_t i = 0; i < offset && static_cast<size_t>(i) < size; ++i) line += bytes[i] == '\n';
    return line;
}

}  // namespace

bool parseDrumkitXml(const uint8_t* bytes, size_t size, HydrogenKit& kit, std::string& error) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(bytes, size);
    if (!parsed) {
        error = std::string("damaged XML (") + parsed.description() + " on line " +
                std::to_string(lineAt(bytes, size, parsed.offset)) + ")";
        return false;
    }
    const pugi::xml_node root = document.document_element();
    if (std::strcmp(localName(root), "drumkit_info") != 0) {
        error = std::string("not a Hydrogen drumkit (its root element is <") + root.name() + ">)";
        return false;
    }
    kit = HydrogenKit();
    kit.name = text(root, "name");
    const std::map<int, double> volumes = kitComponentVolumes(root);
    for (const pugi::xml_node& node : children(child(root, "instrumentList"), "instrument"))
        kit.instruments.push_back(instrumentOf(node, volumes));
    if (kit.instruments.empty()) {
        error = "a drumkit without instruments";
        return false;
    }
    return true;
}
