// The process-wide table of names the host asks for: effect, vendor and
// product, then the name and label of each of the 240 parameters.
#pragma once

enum NameEntry { EffectNameEntry = 0, VendorEntry = 1, ProductEntry = 2, FirstParameterEntry = 3 };

// Built once, on first use, and shared by every instance.
const char* const* namesTable();

inline int parameterNameEntry(int index) { return FirstParameterEntry + 2 * index; }
inline int parameterLabelEntry(int index) { return FirstParameterEntry + 2 * index + 1; }
