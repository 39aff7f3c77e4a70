#include "host/Identity.h"

#include <cstring>

namespace identity {

namespace {

const char* const kParameterNames[kParamsPerPad][2] = {
    {"Name", ""},       {"Wav", ""},        {"Volume", "[%]"},     {"Pan", "[%]"},
    {"Pitch", "[%]"},   {"Low", "[Hz]"},    {"High", "[Hz]"},      {"Mid", "[Hz]"},
    {"Mid-gain", "[%]"}, {"Sample rate", "[Hz]"}, {"bit", ""},     {"Note", ""},
    {"Group", ""},      {"Channel", ""},    {"Pitch-X", "[%]"},
};

struct NamesTable {
    const char* entries[kNamesCount];
    NamesTable() {
        entries[EffectNameEntry] = "zel001";
        entries[VendorEntry] = "zel";
        entries[ProductEntry] = "Drum machine";
        for (int index = 0; index < kParamCount; ++index) {
            entries[parameterNameEntry(index)] = kParameterNames[index % kParamsPerPad][0];
            entries[parameterLabelEntry(index)] = kParameterNames[index % kParamsPerPad][1];
        }
    }
};

}  // namespace

void copyHostText(char* to, const char* from, int limit) {
    size_t length = 0;
    while (length < static_cast<size_t>(limit) && from[length] != '\0') ++length;
    std::memcpy(to, from, length);
    to[length] = '\0';
}

const char* const* namesTable() {
    static const NamesTable table;  // thread-safe one-time initialisation
    return table.entries;
}

}  // namespace identity
