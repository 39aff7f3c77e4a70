#include "PadLayout.h"

#include <algorithm>

#include "engine/Kit.h"

namespace {

constexpr size_t kLongestName = 15;

int defaultPadOf(int note) {
    for (int p = 0; p < kPadCount; ++p)
        if (kDefaultPadNotes[p] == note) return p;
    return -1;
}

// The wishes in the order they claim pads.
std::vector<size_t> claimOrder(const std::vector<PadWish>& wishes) {
    std::vector<size_t> order;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t w = 0; w < wishes.size(); ++w)
            if ((defaultPadOf(wishes[w].note) >= 0) == (pass == 0)) order.push_back(w);
    if (order.size() > static_cast<size_t>(kPadCount)) order.resize(kPadCount);
    return order;
}

void placePads(const std::vector<PadWish>& wishes, std::vector<PadPlace>& places) {
    const std::vector<size_t> kept = claimOrder(wishes);
    bool taken[kPadCount] = {};
    std::vector<size_t> waiting;
    for (size_t w : kept) {
        const int pad = defaultPadOf(wishes[w].note);
        if (pad >= 0 && !taken[pad]) {
            places[w].pad = pad;
            taken[pad] = true;
        } else {
            waiting.push_back(w);
        }
    }
    int next = 0;
    for (size_t w : waiting) {
        while (taken[next]) ++next;
        places[w].pad = next;
        taken[next] = true;
    }
}

void assignGroups(const std::vector<PadWish>& wishes, std::vector<PadPlace>& places) {
    for (size_t w = 0; w < wishes.size(); ++w) {
        if (places[w].pad < 0) continue;
        places[w].group = places[w].pad + 1;
        if (wishes[w].chokeClass < 0) continue;
        for (size_t other = 0; other < wishes.size(); ++other)
            if (places[other].pad >= 0 && wishes[other].chokeClass == wishes[w].chokeClass)
                places[w].group = std::min(places[w].group, places[other].pad + 1);
    }
}

// The text cut to at most size bytes, at a character boundary.
std::string cutToFit(const std::string& text, size_t size) {
    if (text.size() <= size) return text;
    size_t cut = size;
    // Back over UTF-8 continuation bytes to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

bool usedBefore(const std::vector<PadPlace*>& byPad, size_t i, const std::string& name) {
    for (size_t j = 0; j < i; ++j)
        if (byPad[j]->name == name) return true;
    return false;
}

// A repeated name gets " 2", " 3", ... in pad order, cut to fit.
void makeNamesUnique(std::vector<PadPlace>& places) {
    std::vector<PadPlace*> byPad;
    for (PadPlace& place : places)
        if (place.pad >= 0) byPad.push_back(&place);
    std::sort(byPad.begin(), byPad.end(), [](const PadPlace* a, const PadPlace* b) { return a->pad < b->pad; });
    for (size_t i = 0; i < byPad.size(); ++i) {
        const std::string base = byPad[i]->name;
        for (int count = 2; usedBefore(byPad, i, byPad[i]->name); ++count) {
            const std::string suffix = " " + std::to_string(count);
            byPad[i]->name = cutToFit(base, kLongestName - suffix.size()) + suffix;
        }
    }
}

}  // namespace

std::string shortPadName(const std::string& name) {
    std::string cleaned;
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) cleaned += c;
    return cutToFit(cleaned, kLongestName);
}

std::vector<PadPlace> layOutPads(const std::vector<PadWish>& wishes) {
    std::vector<PadPlace> places(wishes.size(), PadPlace{-1, 0, ""});
    placePads(wishes, places);
    assignGroups(wishes, places);
    for (size_t w = 0; w < wishes.size(); ++w)
        if (places[w].pad >= 0) places[w].name = shortPadName(wishes[w].name);
    makeNamesUnique(places);
    return places;
}
