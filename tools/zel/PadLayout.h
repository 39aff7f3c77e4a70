// Where the sounds of an imported kit go: which 16 of them get pads, on
// which pad each lands, the choke group and the name each pad gets. One
// rule for every kind of kit the tool imports.
#pragma once

#include <string>
#include <vector>

struct PadWish {
    std::string name;
    int note;        // the key that is to play it, 20 to 90
    int chokeClass;  // sounds of one class cut each other; -1: none
};

struct PadPlace {
    int pad;    // 0 to 15; -1: dropped, no pad left
    int group;  // the pad's choke group, 1 to 16
    std::string name;  // what the pad shows: at most 15 bytes, unique in the kit
};

// Sounds on the plug-in's default keys come first, then the others in their
// order; past 16 the rest are dropped. Each sound on a default key takes
// that key's pad when it is free, the others the free pads from the left.
// A choke class becomes the group of its leftmost pad; a sound without one
// keeps its pad's own group.
std::vector<PadPlace> layOutPads(const std::vector<PadWish>& wishes);

// The name cut to what a pad holds, at a character boundary, without
// control characters.
std::string shortPadName(const std::string& name);
