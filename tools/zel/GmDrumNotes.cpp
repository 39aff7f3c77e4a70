#include "GmDrumNotes.h"

#include <cctype>

namespace {

struct NameNote {
    const char* part;  // lower case, letters and digits only
    int note;
};

// The more specific words first: "cowbell" before "bell", "floortom" before "tom".
const NameNote kNameNotes[] = {
    {"kick", 36},       {"bassdrum", 36},   {"sidestick", 37},  {"stick", 37},
    {"rimshot", 37},    {"rim", 37},        {"clap", 39},       {"snare", 38},
    {"pedal", 44},      {"foot", 44},       {"closed", 42},     {"open", 46},
    {"hihat", 42},      {"hat", 42},        {"floortom", 41},   {"lowtom", 45},
    {"midtom", 47},     {"hightom", 50},    {"hitom", 50},      {"tom", 45},
    {"cowbell", 56},    {"china", 52},      {"splash", 55},     {"crash", 49},
    {"ridebell", 53},   {"bell", 53},       {"ride", 51},       {"cymbal", 49},
    {"tambourine", 54}, {"shaker", 70},     {"maraca", 70},     {"cabasa", 69},
    {"clave", 75},      {"conga", 63},      {"bongo", 61},      {"woodblock", 76},
    {"triangle", 81},   {"guiro", 73},      {"agogo", 67},      {"timbale", 65},
};

std::string letters(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        if (std::isalnum(c)) out += static_cast<char>(std::tolower(c));
    return out;
}

}  // namespace

int gmNoteOfName(const std::string& name) {
    const std::string plain = letters(name);
    for (const NameNote& entry : kNameNotes)
        if (plain.find(entry.part) != std::string::npos) return entry.note;
    return -1;
}
