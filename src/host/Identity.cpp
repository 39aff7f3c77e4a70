#include "host/Identity.h"

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

const char* const* namesTable() {
    static const NamesTable table;  // thread-safe one-time initialisation
    return table.entries;
}

}  // namespace identity
